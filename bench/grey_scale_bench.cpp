// Grey-scale conversion of the benchmark drawing.
#include "common/processing_bench_support.h"
#include "port/port.h"
#include "processing/grey_scale.h"

namespace {

void BM_GreyScale(benchmark::State& state)
{
    orvane::SilentPort port;
    orvane::bench::RunOnDrawing(state, [&](orvane::CBitmapImage& image) { orvane::ConvertToGreyScale(image, port); });
}
BENCHMARK(BM_GreyScale)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
