// Drawing figures (every zombie and the player) as black rectangles.
#pragma once
#include "actors/skeleton.h"

// Places and draws one zombie relative to the current model-view matrix (the caller applies the
// world camera), leaving that matrix as it was. The caller disables texturing and skips figures
// that are not on screen.
void DrawCharacter(const tenemy &e);
// The same for any figure; the player is DrawFigure(Player.body.pos, Player.anim, guys[0]).
void DrawFigure(tvector pos, const tanidata &anim, const tguy &guy);
// Every visible root part with its descendants. Call between glBegin(GL_QUADS) and glEnd: the
// part placements are applied to the vertices here, as GL matrix calls are not allowed there.
void DrawSkeleton(const tguy &guy);
// Part i and its children, placed below `parent` (relative to the current GL matrix).
void DrawPart(int i, const tguy &guy, const tplacement &parent = IdentityPlacement());
// One part's rectangle through `place`: colour with alpha 0 when transparent, else 1, then
// (c2.x, c2.y), (c2.x, c1.y), (c1.x, c1.y), (c1.x, c2.y) at z = 0.
void DrawPartQuad(const tplacement &place, tvector c1, tvector c2, const double colour[4], bool transparent);
