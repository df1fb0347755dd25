// Pieces the front-end screens share: the title panel and clipping text to a panel's body.
#pragma once
#include <string>

#include "base/vector.h"

// The title in large letters inside a panel from (-halfWidth, 2) to (halfWidth, 3).
void TitlePanel(double halfWidth, const std::string &title);
// Until EndClip, only what falls inside the rectangle a-b is drawn (stencil test).
void ClipTo(tvector a, tvector b);
void EndClip();
