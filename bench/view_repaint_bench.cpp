// Repainting a 1000 x 700 window of the view on the generated 8000 x 6000
// scanned drawing with its One-Touch lines, end nodes and ids on, at zoom
// 1/16, 1, 4 and 16. "Repaint" is what a paint costs once the zoom's screen
// pixels are made; "FirstPaint" includes making them (the first paint after
// the zoom or the image changed); "AllLines" draws every line without
// passing over those outside the window, as a repaint of everything would;
// "OpenAndShow" reads the BMP file and paints the window at 1:1.
#include "app/view_painter.h"
#include "common/drawing.h"
#include "commands/processing_commands.h"
#include "document/document.h"
#include "image/bmp_file.h"
#include "port/port.h"
#include "settings/app_settings.h"
#include "view/image_raster.h"
#include "view/view_state.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

namespace {

using namespace orvane;

constexpr int kWidth = 8000;
constexpr int kHeight = 6000;
const QSize kWindow(1000, 700);

/// The drawing with the lines One-Touch traced from it, made once.
Document& drawingWithLines()
{
    static Document* doc = [] {
        auto* d = new Document;
        d->m_image = bench::MakeScannedDrawing(kWidth, kHeight, 1);
        SilentPort port;
        AppSettings settings;
        OneTouchCommand(d->m_image, d->m_lines, port, settings);
        return d;
    }();
    return *doc;
}

ViewState viewAt(float zoom)
{
    ViewState view;
    view.m_fZoom = zoom;
    view.m_bShowEndNodes = 1;
    view.m_bShowLineIds = 1;
    return view;
}

/// The window's area, centred on the image at the zoom.
QRect centredWindow(float zoom)
{
    const int w = DeviceExtent(kWidth, zoom), h = DeviceExtent(kHeight, zoom);
    return QRect(QPoint(std::max(0, (w - kWindow.width()) / 2), std::max(0, (h - kWindow.height()) / 2)), kWindow);
}

void paintWindow(QImage& target, const Document& doc, const ViewState& view, ImageRaster& raster, const QRect& area,
                 bool cull = true)
{
    QPainter painter(&target);
    painter.translate(-area.topLeft());
    app::PaintDocument(painter, doc, view, raster, area, {}, cull);
}

/// One window of the view at the zoom the benchmark's argument names
/// (negative n: 1/n), with end nodes and ids on.
struct Window {
    explicit Window(benchmark::State& state)
        : zoom(state.range(0) > 0 ? float(state.range(0)) : 1.0f / float(-state.range(0))), view(viewAt(zoom)),
          area(centredWindow(zoom))
    {
        state.SetLabel(state.range(0) > 0 ? "zoom " + std::to_string(state.range(0))
                                          : "zoom 1/" + std::to_string(-state.range(0)));
        state.counters["lines"] = doc.m_lines.GetLineCount();
    }
    void paint(bool cull = true) { paintWindow(target, doc, view, raster, area, cull); }

    const Document& doc = drawingWithLines();
    float zoom;
    ViewState view;
    QRect area;
    QImage target{kWindow, QImage::Format_RGB32};
    ImageRaster raster;
};

void BM_Repaint(benchmark::State& state)
{
    Window window(state);
    window.paint(); // makes the zoom's screen pixels
    for (auto _ : state)
        window.paint();
}

void BM_FirstPaint(benchmark::State& state)
{
    Window window(state);
    for (auto _ : state) {
        window.raster.Invalidate();
        window.paint();
    }
}

void BM_AllLines(benchmark::State& state)
{
    Window window(state);
    window.view.m_bShowImage = 0;
    for (auto _ : state)
        window.paint(false);
}

void BM_WholeImageToScreen(benchmark::State& state)
{
    const Document& doc = drawingWithLines();
    ImageRaster raster;
    std::vector<std::uint32_t> pixels(std::size_t(kWidth) * 256);
    for (auto _ : state)
        for (int top = 0; top < kHeight; top += 256)
            raster.Render(doc.m_image, 1.0f, {0, top, kWidth, std::min(kHeight, top + 256)}, pixels.data(), kWidth);
    state.SetLabel("zoom 1, the whole 8000 x 6000 image");
}

void BM_OpenAndShow(benchmark::State& state)
{
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "orvane_repaint_bench.bmp";
    WriteBmpFile(bench::MakeScannedDrawing(kWidth, kHeight, 1), file);
    QImage target(kWindow, QImage::Format_RGB32);
    for (auto _ : state) {
        Document doc;
        SilentPort port;
        doc.OnOpenDocument(file, port);
        ImageRaster raster;
        paintWindow(target, doc, viewAt(1.0f), raster, QRect(QPoint(0, 0), kWindow));
    }
    std::filesystem::remove(file);
    state.SetLabel("8000 x 6000 24-bit BMP");
}

void zooms(benchmark::internal::Benchmark* b) { b->Arg(-16)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond); }

BENCHMARK(BM_Repaint)->Apply(zooms);
BENCHMARK(BM_FirstPaint)->Apply(zooms);
BENCHMARK(BM_AllLines)->Apply(zooms);
BENCHMARK(BM_WholeImageToScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenAndShow)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // fonts for the line ids
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
