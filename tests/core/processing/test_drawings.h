// Small generated pictures for the processing tests.
#pragma once

#include "image/bitmap_image.h"

#include <string>
#include <vector>

namespace orvane::test {

/// A 24-bit picture from rows of text: '#' black, anything else white.
CBitmapImage FromText(const std::vector<std::string>& rows);

/// The picture's black pixels as text rows, '#' black and '.' other.
std::vector<std::string> ToText(const CBitmapImage& image);

/// A 24-bit white picture with hard-edged black strokes: straight strokes
/// 1 to 6 pixels wide at any angle (some at exactly 45 degrees and some
/// two-pixel 45-degree bands), arcs, crossings, strokes touching the border.
/// With `nearAxes`, four straight strokes within 20 degrees of the axes only.
CBitmapImage RandomStrokes(int width, int height, unsigned seed, int strokes, bool nearAxes = false);

/// A grey, noisy picture with soft-edged dark shapes, for edge detection.
CBitmapImage RandomGreyShapes(int width, int height, unsigned seed);

/// Whether thinning `before` into `after` kept every 8-connected group of
/// black pixels as exactly one non-empty 8-connected group (and added no
/// black pixel).
bool KeepsEveryStroke(const CBitmapImage& before, const CBitmapImage& after);

} // namespace orvane::test
