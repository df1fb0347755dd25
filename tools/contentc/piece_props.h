// Ready-made silhouettes a level author can drop into a piece by name (lamp posts, wrecked
// cars, fences, windowed walls...). They only add drawn blocks: whatever should be stood on or
// stop shots is written as plain blocks beside them.
#pragma once
#include "contentc/piece_source.h"
#include "contentc/source_text.h"

// True when the line's keyword names a prop; the prop's blocks are then added to `drawn`.
bool ExpandProp(const SourceLine &line, tblkarray &drawn);
// The prop keywords with their arguments, for error messages.
const char *PropUsage();
