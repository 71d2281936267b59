// Canny edge detection of the benchmark drawing with sigma 4 and the
// default thresholds.
#include "common/processing_bench_support.h"
#include "port/port.h"
#include "processing/canny_edge.h"

namespace {

void BM_CannyEdge(benchmark::State& state)
{
    orvane::SilentPort port;
    orvane::bench::RunOnDrawing(state,
                                [&](orvane::CBitmapImage& image) { orvane::EdgeDetect(image, port, 4.0f, 5, 3); });
}
BENCHMARK(BM_CannyEdge)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
