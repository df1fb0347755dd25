// The tutorial: which of its hints fits what is on screen and the time of day.
#pragma once
#include <cstdint>

#include "base/vector.h"

struct thint {
  const char *line1;
  const char *line2;  // "" with one box
  uint8_t secondBox;
  uint8_t pointer;  // a line is drawn from the box to `target`
  uint8_t urgent;   // drawn in the alarm colour
  tvector target;
};

// Whether the overlay shows at all: the option is on, and it is the first day or the
// helicopter has come and is in view.
bool TutorialShown();
// The later rules override the earlier ones; for crates and defenders the last one in view wins.
thint ChooseHint();
