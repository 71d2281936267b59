// What clean tracing adds to One-Touch, step by step, on the realistic
// 4000 x 3000 scanned drawing as a 1-bit scan (the One-Touch path a CAD
// user takes): the ink mask, the stroke width that sizes a speck, the
// despeckling, and tracing the thinned image clean against tracing it
// split. Clean mode should cost at most a quarter more than split mode over
// the whole run; these figures say which of its steps to look at first.
// Last, One-Touch on noise, where clean tracing meets its worst case.
#include "commands/processing_commands.h"
#include "common/drawing.h"
#include "image/ink_mask.h"
#include "port/port.h"
#include "processing/despeckle.h"
#include "processing/thinning.h"
#include "settings/app_settings.h"
#include "vector/line_store.h"
#include "vector/vectoriser.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

using namespace orvane;

const CBitmapImage& scan()
{
    static const CBitmapImage image =
        bench::WithDepth(bench::MakeScannedDrawing(4000, 3000, 1, bench::DrawingProfile::Realistic), 1);
    return image;
}

const CBitmapImage& thinned(int method)
{
    auto make = [](int how) {
        CBitmapImage image = scan().Clone();
        SilentPort port;
        Thin(image, port, how);
        return image;
    };
    static const CBitmapImage zhangSuen = make(kThinZhangSuen), stentiford = make(kThinStentiford);
    return method == kThinStentiford ? stentiford : zhangSuen;
}

void setRate(benchmark::State& state)
{
    const double pixels = double(scan().GetWidth()) * scan().GetHeight();
    state.counters["Mpx/s"] = benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_InkMask(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(InkMask::FromImage(scan()));
    setRate(state);
}
BENCHMARK(BM_InkMask)->Unit(benchmark::kMillisecond);

void BM_TypicalStrokeWidth(benchmark::State& state)
{
    const InkMask mask = InkMask::FromImage(scan());
    for (auto _ : state)
        benchmark::DoNotOptimize(mask.typicalStrokeWidth());
    setRate(state);
}
BENCHMARK(BM_TypicalStrokeWidth)->Unit(benchmark::kMillisecond);

void BM_Despeckle(benchmark::State& state)
{
    const InkMask original = InkMask::FromImage(scan());
    const int size = AutomaticSpeckSize(original.typicalStrokeWidth());
    std::size_t pixels = 0;
    for (auto _ : state) {
        state.PauseTiming();
        CBitmapImage image = scan().Clone();
        InkMask mask = original;
        state.ResumeTiming();
        pixels = Despeckle(image, mask, size).pixels;
    }
    setRate(state);
    state.counters["erased"] = double(pixels);
}
BENCHMARK(BM_Despeckle)->Unit(benchmark::kMillisecond);

/// Tracing the thinned drawing: argument 0 Zhang-Suen, 1 Stentiford;
/// second argument 0 split, 1 clean (with the ink mask, as One-Touch
/// gives it).
void BM_Trace(benchmark::State& state)
{
    const int method = state.range(0) ? kThinStentiford : kThinZhangSuen;
    const bool clean = state.range(1) != 0;
    const CBitmapImage& image = thinned(method);
    const InkMask mask = clean ? InkMask::FromImage(scan()) : InkMask();
    SilentPort port;
    AppSettings settings;
    settings.m_nTopology = clean ? kTopologyClean : kTopologySplit;
    CLineStore store;
    for (auto _ : state) {
        state.PauseTiming();
        store.DeleteAllLines();
        state.ResumeTiming();
        CVectoriser vectoriser(port, store, settings);
        vectoriser.setInkMask(clean ? &mask : nullptr);
        if (!vectoriser.Run(image))
            state.SkipWithError("the run failed");
    }
    setRate(state);
    state.counters["lines"] = store.GetLineCount();
}
BENCHMARK(BM_Trace)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);

/// One-Touch Stentiford on 2000 x 1500 pixels of noise, half of them ink:
/// thinning leaves a mesh with a junction every pixel or two, the worst
/// case for joining near junctions. (Split tracing refuses such ink: a
/// crowded pixel stops it.)
void BM_OneTouchNoise(benchmark::State& state)
{
    static const CBitmapImage noise = [] {
        CBitmapImage image;
        const RGBQUAD table[] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
        image.Create(2000, 1500, 1, table);
        std::mt19937 random(1);
        for (int y = 1; y <= 1500; ++y)
            for (int x = 1; x <= 2000; ++x)
                image.SetPixelIndex(x, y, random() & 1);
        return image;
    }();
    AppSettings settings;
    settings.m_nTopology = kTopologyClean;
    settings.m_bRetainOriginal = 0;
    SilentPort port;
    CLineStore store;
    for (auto _ : state) {
        state.PauseTiming();
        store.DeleteAllLines();
        CBitmapImage image = noise.Clone();
        state.ResumeTiming();
        if (!OneTouchCommand(image, store, port, settings, nullptr).succeeded)
            state.SkipWithError("the run failed");
    }
    state.counters["lines"] = store.GetLineCount();
}
BENCHMARK(BM_OneTouchNoise)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
