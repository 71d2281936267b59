// Colour-range filtering of the benchmark drawing.
#include "common/processing_bench_support.h"
#include "port/port.h"
#include "processing/threshold.h"

namespace {

void BM_Threshold(benchmark::State& state)
{
    orvane::SilentPort port;
    const std::uint32_t lower = orvane::PackColor(0, 0, 0), upper = orvane::PackColor(160, 160, 160);
    orvane::bench::RunOnDrawing(state,
                                [&](orvane::CBitmapImage& image) { orvane::Threshold(image, port, lower, upper); });
}
BENCHMARK(BM_Threshold)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
