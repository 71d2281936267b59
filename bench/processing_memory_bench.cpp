// Working memory of thinning and Canny on the benchmark drawing: the growth
// of the process's peak resident size during one run, per pixel, each
// operation measured in a fresh process (pass --benchmark_filter).
#include "common/processing_bench_support.h"
#include "port/port.h"
#include "processing/canny_edge.h"
#include "processing/thinning.h"

namespace {

void measure(benchmark::State& state, const std::function<void(orvane::CBitmapImage&)>& operation)
{
    const orvane::CBitmapImage& source = orvane::bench::BenchmarkDrawing();
    orvane::CBitmapImage work;
    work.Create(source.GetWidth(), source.GetHeight(), 24);
    std::memcpy(work.GetBits(), source.GetBits(), source.GetBitsSize());
    const long before = orvane::bench::PeakResidentBytes();
    for (auto _ : state)
        operation(work);
    const long after = orvane::bench::PeakResidentBytes();
    const double pixels = double(source.GetWidth()) * source.GetHeight();
    state.counters["bytes/px"] = double(after - before) / pixels;
}

void BM_ThinMemory(benchmark::State& state)
{
    orvane::SilentPort port;
    const auto method = static_cast<std::uint16_t>(state.range(0));
    measure(state, [&](orvane::CBitmapImage& image) { orvane::Thin(image, port, method); });
}
BENCHMARK(BM_ThinMemory)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_CannyMemory(benchmark::State& state)
{
    orvane::SilentPort port;
    measure(state, [&](orvane::CBitmapImage& image) { orvane::EdgeDetect(image, port, 4.0f, 5, 3); });
}
BENCHMARK(BM_CannyMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
