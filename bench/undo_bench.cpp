// Undo and redo of One-Touch on the generated 8000 x 6000 scanned drawing,
// and the work a command does outside its progress dialog: the snapshot
// taken before it and the histogram counted after it.
#include "common/drawing.h"
#include "commands/processing_commands.h"
#include "document/document.h"
#include "document/undo_history.h"
#include "port/port.h"
#include "settings/app_settings.h"

#include <benchmark/benchmark.h>

namespace {

using namespace orvane;

/// A document after One-Touch, with the step in its history; made once.
struct Traced {
    Document doc;
    UndoHistory history;

    Traced()
    {
        doc.m_image = bench::MakeScannedDrawing(8000, 6000, 1);
        DocumentSnapshot before = doc.TakeSnapshot(kSnapshotImage | kSnapshotLines);
        SilentPort port;
        AppSettings settings;
        settings.m_bRetainOriginal = 0; // the image changes too
        doc.ApplyOutcome(OneTouchCommand(doc.m_image, doc.m_lines, port, settings));
        doc.UpdateHistogram();
        history.Push("One-Touch Vectorisation", std::move(before));
    }
};

Traced& traced()
{
    static Traced* t = new Traced;
    return *t;
}

void BM_UndoOneTouch(benchmark::State& state)
{
    Traced& t = traced();
    for (auto _ : state) {
        t.history.Undo(t.doc);
        state.PauseTiming();
        t.history.Redo(t.doc);
        state.ResumeTiming();
    }
    state.counters["lines"] = t.doc.m_lines.GetLineCount();
}

void BM_RedoOneTouch(benchmark::State& state)
{
    Traced& t = traced();
    for (auto _ : state) {
        state.PauseTiming();
        t.history.Undo(t.doc);
        state.ResumeTiming();
        t.history.Redo(t.doc);
    }
}

void BM_SnapshotBeforeOneTouch(benchmark::State& state)
{
    Traced& t = traced();
    for (auto _ : state)
        benchmark::DoNotOptimize(t.doc.TakeSnapshot(kSnapshotImage | kSnapshotLines));
}

void BM_HistogramAfterAStep(benchmark::State& state)
{
    Traced& t = traced();
    for (auto _ : state)
        t.doc.UpdateHistogram();
}

BENCHMARK(BM_UndoOneTouch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedoOneTouch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SnapshotBeforeOneTouch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistogramAfterAStep)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
