// Shared set-up of the image-processing benchmarks.
#include "common/processing_bench_support.h"

#include "common/drawing.h"

#include <sys/resource.h>

namespace orvane::bench {

const CBitmapImage& BenchmarkDrawing()
{
    static const CBitmapImage drawing = MakeScannedDrawing(kDrawingWidth, kDrawingHeight, 2024);
    return drawing;
}

const CBitmapImage& RealisticDrawing()
{
    static const CBitmapImage drawing = MakeScannedDrawing(kDrawingWidth, kDrawingHeight, 1, DrawingProfile::Realistic);
    return drawing;
}

void RunOnDrawing(benchmark::State& state, const std::function<void(CBitmapImage&)>& operation,
                  const CBitmapImage* drawing)
{
    const CBitmapImage& source = drawing ? *drawing : BenchmarkDrawing();
    CBitmapImage work;
    work.Create(source.GetWidth(), source.GetHeight(), 24);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(work.GetBits(), source.GetBits(), source.GetBitsSize());
        state.ResumeTiming();
        operation(work);
        benchmark::ClobberMemory();
    }
    const double pixels = double(source.GetWidth()) * source.GetHeight();
    state.counters["Mpx/s"] = benchmark::Counter(pixels / 1e6 * double(state.iterations()), benchmark::Counter::kIsRate);
}

long PeakResidentBytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss * 1024L;
}

} // namespace orvane::bench
