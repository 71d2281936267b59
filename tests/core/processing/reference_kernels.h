// Plain, cell-by-cell versions of the processing kernels, written to read
// like the algorithms' descriptions. The fast kernels must agree with them
// pixel for pixel.
#pragma once

#include "image/bitmap_image.h"

#include <cstdint>
#include <vector>

namespace orvane::test {

/// A byte grid addressed g[row][col].
using Grid = std::vector<std::vector<std::uint8_t>>;

/// The thinning working grid of an image: frame of 255, ink 0, background 255.
Grid BinariseForThinning(const CBitmapImage& image);

/// Zhang-Suen as described: marks of a pass see the grid of the pass start.
/// With `mended`, the marks are removed in scan order and a mark whose
/// removal would then split its ink neighbours or leave none is kept.
/// Returns the number of passes, the last one included.
int RefZhangSuen(Grid& g, bool mended);

/// Stentiford as described, full scans. Returns the number of iterations.
int RefStentiford(Grid& g);

/// Canny edge detection, cell by cell, returning the final image grid
/// (R x C, 0 edge, 255 none) before it is written back.
Grid RefCanny(const CBitmapImage& image, float sigma, int high, int low);

} // namespace orvane::test
