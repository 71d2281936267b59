// Thinning of the benchmark drawing by each method: binarise, thin and
// write back, as the Thin operation does. Working memory is the growth of
// the peak resident size over the first run, per pixel.
#include "common/processing_bench_support.h"
#include "port/port.h"
#include "processing/thinning.h"

namespace {

void BM_Thin(benchmark::State& state)
{
    const auto method = static_cast<std::uint16_t>(state.range(0));
    state.SetLabel(method == orvane::kThinZhangSuen ? "Zhang-Suen" : "Stentiford");
    orvane::SilentPort port;
    orvane::bench::RunOnDrawing(state, [&](orvane::CBitmapImage& image) { orvane::Thin(image, port, method); });
}
BENCHMARK(BM_Thin)->Arg(orvane::kThinZhangSuen)->Arg(orvane::kThinStentiford)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same on a drawing as heavy as a real scan: the speed users see.
void BM_ThinRealistic(benchmark::State& state)
{
    const auto method = static_cast<std::uint16_t>(state.range(0));
    state.SetLabel(method == orvane::kThinZhangSuen ? "Zhang-Suen, realistic" : "Stentiford, realistic");
    orvane::SilentPort port;
    orvane::bench::RunOnDrawing(state, [&](orvane::CBitmapImage& image) { orvane::Thin(image, port, method); },
                                &orvane::bench::RealisticDrawing());
}
BENCHMARK(BM_ThinRealistic)
    ->Arg(orvane::kThinZhangSuen)
    ->Arg(orvane::kThinStentiford)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
