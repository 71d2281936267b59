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

/// How the Zhang-Suen passes remove their marks.
enum class ZhangSuenRemoval {
    /// All marks of a pass at once, as the method was published.
    kParallel,
    /// In scan order, keeping a mark whose removal would then split its ink
    /// neighbours or leave none, or that ends an exact 45-degree band of
    /// two-pixel rows (four rows beyond it): the method before near-45-degree
    /// bands were kept too.
    kKeep45DegreeBandEnds,
    /// As kKeep45DegreeBandEnds, also keeping the ends of two-pixel bands a
    /// few degrees off 45: the method as it is.
    kKeepBandEnds,
};

/// Zhang-Suen as described: marks of a pass see the grid of the pass start.
/// Returns the number of passes, the last one included.
int RefZhangSuen(Grid& g, ZhangSuenRemoval removal = ZhangSuenRemoval::kKeepBandEnds);

/// Stentiford as described, full scans. Returns the number of iterations.
int RefStentiford(Grid& g);

/// Canny edge detection, cell by cell, returning the final image grid
/// (R x C, 0 edge, 255 none) before it is written back.
Grid RefCanny(const CBitmapImage& image, float sigma, int high, int low);

} // namespace orvane::test
