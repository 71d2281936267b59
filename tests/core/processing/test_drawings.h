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
CBitmapImage RandomStrokes(int width, int height, unsigned seed, int strokes);

/// A grey, noisy picture with soft-edged dark shapes, for edge detection.
CBitmapImage RandomGreyShapes(int width, int height, unsigned seed);

/// Whether thinning `before` into `after` kept every 8-connected group of
/// black pixels as exactly one non-empty 8-connected group (and added no
/// black pixel).
bool KeepsEveryStroke(const CBitmapImage& before, const CBitmapImage& after);

/// Whether every black pixel of `before` has a black pixel of `after`
/// within `reach` pixels in x and in y: thinning moves a stroke to its
/// centre line and shortens its ends by about half its width, but a stroke
/// eaten away from its ends leaves black pixels far from any line.
bool CoversEveryStroke(const CBitmapImage& before, const CBitmapImage& after, int reach);

} // namespace orvane::test
