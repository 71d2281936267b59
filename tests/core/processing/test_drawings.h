// Generated pictures and a stroke check for the processing tests, beside
// the shared text pictures and random strokes of support/drawings.h.
#pragma once

#include "support/drawings.h"

namespace orvane::test {

/// A grey, noisy picture with soft-edged dark shapes, for edge detection.
CBitmapImage RandomGreyShapes(int width, int height, unsigned seed);

/// Labels the 8-connected groups of '#' cells of a text picture 1 up (0
/// elsewhere) and sets `count` to their number.
std::vector<std::vector<int>> LabelStrokes(const Text& map, int& count);

/// Whether thinning `before` into `after` kept every 8-connected group of
/// black pixels as exactly one non-empty 8-connected group (and added no
/// black pixel).
bool KeepsEveryStroke(const CBitmapImage& before, const CBitmapImage& after);

} // namespace orvane::test
