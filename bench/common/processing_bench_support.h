// Shared set-up of the image-processing benchmarks.
#pragma once

#include "image/bitmap_image.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>

namespace orvane::bench {

/// The drawing every processing benchmark works on.
inline constexpr int kDrawingWidth = 4000;
inline constexpr int kDrawingHeight = 3000;

/// The 4000 x 3000 benchmark drawing, made once per program.
const CBitmapImage& BenchmarkDrawing();
/// The same size drawn as heavy as a real scan (the realistic profile of
/// the generator: thicker strokes, lettering, scanner noise), made once.
const CBitmapImage& RealisticDrawing();

/// Times `operation` on a fresh copy of the drawing (or of `drawing`) each
/// iteration (the copy is not timed) and reports megapixels per second as
/// "Mpx/s".
void RunOnDrawing(benchmark::State& state, const std::function<void(CBitmapImage&)>& operation,
                  const CBitmapImage* drawing = nullptr);

/// The peak resident memory of the process so far, in bytes.
long PeakResidentBytes();

} // namespace orvane::bench
