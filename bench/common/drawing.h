// Deterministic test drawings for the benchmarks.
#pragma once

#include "image/bitmap_image.h"

namespace orvane::bench {

/// How heavy a generated drawing is.
enum class DrawingProfile {
    /// Strokes 1 to 7 pixels wide, light paper noise, a few specks.
    Light,
    /// As a real scan of a CAD drawing or map: strokes 2 to 8 pixels wide,
    /// rows of lettering (short strokes in glyph-sized clusters), and
    /// scanner noise strong enough to leave stray ink pixels and rough
    /// stroke edges.
    Realistic,
};

/// Makes a 24-bit picture that looks like a scanned line drawing: slightly
/// tinted paper with noise, dark anti-aliased strokes at many angles
/// (horizontal, vertical, 45 degrees and arbitrary), circular arcs, many
/// crossings and specks of dust. About 7 % of the pixels are ink (some
/// channel below 170). The same size, seed and profile always give the same
/// bytes, on every platform.
CBitmapImage MakeScannedDrawing(int width, int height, unsigned seed, DrawingProfile profile = DrawingProfile::Light);

/// The drawing at another depth: 8-bit grey (a 256-entry grey table, the
/// luminance of each pixel) or 1-bit (black where any channel is below 170,
/// the ink rule of thinning, else white). 24 returns a copy.
CBitmapImage WithDepth(const CBitmapImage& drawing, int bits);

} // namespace orvane::bench
