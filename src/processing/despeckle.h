// Despeckling: dust and scanner noise go before thinning, so that they do
// not come out as dots and short lines.
#pragma once

#include <cstddef>

namespace orvane {

class CBitmapImage;
class InkMask;

/// What a despeckling run did.
struct DespeckleResult {
    std::size_t specks = 0; ///< patches of ink removed
    std::size_t pixels = 0; ///< their pixels
};

/// The speck size that suits a drawing whose typical stroke is
/// `strokeWidth` pixels wide: a patch of ink no wider and no higher than
/// half a stroke (at least 2 pixels) is dust, not drawing.
int AutomaticSpeckSize(double strokeWidth);

/// Removes every patch of ink (pixels joined across sides and corners)
/// that fits in a square of `size` pixels, from the mask and from the
/// image, where its pixels become white. Size 0 removes nothing.
DespeckleResult Despeckle(CBitmapImage& image, InkMask& mask, int size);

} // namespace orvane
