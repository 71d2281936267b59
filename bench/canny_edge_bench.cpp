// Canny edge detection of the benchmark drawing with sigma 4 and the
// default thresholds: as run (eight lanes where the processor has AVX2), and
// four lanes at a time, as on a processor without it.
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

void BM_CannyEdgeFourLanes(benchmark::State& state)
{
    orvane::SilentPort port;
    orvane::bench::RunOnDrawing(state, [&](orvane::CBitmapImage& image) {
        orvane::CCannyEdge canny(port, 4.0f, 5, 3);
        canny.setWideLanes(false);
        canny.Run(image, 2);
    });
}
BENCHMARK(BM_CannyEdgeFourLanes)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
