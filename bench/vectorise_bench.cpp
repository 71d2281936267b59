// The vectorisation run (tracing, smoothing, reduction and storing) over the
// generated 4000 x 3000 scanned drawing after thinning. Reports megapixels
// per second, working memory per image column, and the lines and vertices
// stored.
#include "common/drawing.h"
#include "port/port.h"
#include "support/recording_port.h"
#include "settings/app_settings.h"
#include "processing/thinning.h"
#include "vector/line_store.h"
#include "vector/vectoriser.h"

#include <benchmark/benchmark.h>

namespace {

using namespace orvane;

const CBitmapImage& thinnedDrawing()
{
    static CBitmapImage image = [] {
        CBitmapImage picture = bench::MakeScannedDrawing(4000, 3000, 1);
        SilentPort port;
        Thin(picture, port, kThinStentiford);
        return picture;
    }();
    return image;
}

void BM_Vectorise(benchmark::State& state)
{
    const CBitmapImage& image = thinnedDrawing();
    RecordingPort port;
    AppSettings settings; // smoothing and reduction on, tolerance 1.2
    CLineStore store;
    std::size_t workingBytes = 0;
    std::size_t unwritten = 0;
    for (auto _ : state) {
        state.PauseTiming();
        store.DeleteAllLines();
        port.clear();
        state.ResumeTiming();
        CVectoriser vectoriser(port, store, settings);
        if (!vectoriser.Run(image))
            state.SkipWithError("the run failed");
        workingBytes = vectoriser.peakWorkingBytes();
        unwritten = vectoriser.unwrittenNodes();
    }
    std::int64_t vertices = 0;
    for (const auto& line : store.lines())
        vertices += static_cast<std::int64_t>(line->m_nodes.size());
    const double pixels = double(image.GetWidth()) * image.GetHeight();
    state.counters["Mpx/s"] = benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["bytes/column"] = double(workingBytes) / image.GetWidth();
    state.counters["lines"] = store.GetLineCount();
    state.counters["vertices"] = double(vertices);
    state.counters["reduced"] = store.m_nLinesSaved;
    state.counters["messages"] = double(port.messages().size());
    state.counters["unwritten"] = double(unwritten);
}
BENCHMARK(BM_Vectorise)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
