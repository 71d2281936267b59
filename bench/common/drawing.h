// Deterministic test drawings for the benchmarks.
#pragma once

#include "image/bitmap_image.h"

namespace orvane::bench {

/// Makes a 24-bit picture that looks like a scanned line drawing: slightly
/// tinted paper with light noise, dark anti-aliased strokes 1 to 7 pixels
/// wide at many angles (horizontal, vertical, 45 degrees and arbitrary),
/// circular arcs, many crossings and a few specks of dust. About 7 % of the
/// pixels are ink (some channel below 170). The same size and seed always
/// give the same bytes, on every platform.
CBitmapImage MakeScannedDrawing(int width, int height, unsigned seed);

} // namespace orvane::bench
