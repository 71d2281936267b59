// The vectorisation run.
#include "vector/vectoriser.h"

#include "image/bitmap_image.h"
#include "image/ink_mask.h"
#include "image/pixel_grid.h"
#include "image/black_ink.h"
#include "vector/clean_tracer.h"
#include "vector/line_quality.h"
#include "settings/app_settings.h"
#include "vector/polyline_optimiser.h"

#include <array>
#include <cstdio>
#include <new>
#include <string>
#include <cmath>
#include <cstring>
#include <utility>

namespace orvane {
CVectoriser::CVectoriser(Port& port, CLineStore& store, const AppSettings& settings)
    : m_port(port), m_store(store), m_settings(settings), m_tracer(port, *this)
{
}

CVectoriser::~CVectoriser()
{
    m_tracer.end();
    m_progressDlg.reset();
}

int CVectoriser::Run(const CBitmapImage& image)
{
    m_nWidth = image.GetWidth();
    m_nHeight = image.GetHeight();
    m_nUnwrittenNodes = 0;
    m_nPeakWorkingBytes = 0;
    if (image.IsEmpty() || m_nWidth <= 0 || m_nHeight <= 0)
        return 0;
    m_firstReported = std::size_t(m_store.GetLineCount());
    if (m_settings.m_nTopology == kTopologyClean)
        return runClean(image);

    m_progressDlg.emplace(m_port, "Vectorisation");
    m_progressDlg->setRange(100);
    m_progressDlg->setStatus("Converted 0 pixel rows...");
    m_progressDlg->setPos(0);

    const int cells = m_nWidth + 2;
    PixelGridPtr window = NewPixelGrid(m_port, 3, cells);
    if (!window)
        return 0;
    for (int r = 0; r < 3; ++r)
        std::memset(window->data[r], 0, std::size_t(cells));
    const std::size_t windowBytes = 3 * std::size_t(cells) + 3 * sizeof(std::uint8_t*);
    if (!m_tracer.begin(m_nWidth)) {
        FreePixelGrid(window);
        return 0;
    }
    m_progressDlg->setPos(1);
    m_blackIndex = BlackIndices(image);
    LoadBlackRow(image, 1, window->data[2], m_blackIndex);

    const int result = traceRows(image, window.get()->data.get());
    if (result < 0) {
        // A crowded pixel ends the run at once; the display closes when the
        // vectoriser goes.
        finishTracing(windowBytes);
        FreePixelGrid(window);
        return 0;
    }
    finishTracing(windowBytes);
    m_progressDlg->setPos(100);
    FreePixelGrid(window);
    if (m_quality) {
        std::vector<const CVectorLine*> lines;
        for (std::size_t i = m_firstReported; i < std::size_t(m_store.GetLineCount()); ++i)
            lines.push_back(&m_store.line(int(i)));
        CountFreeEnds(lines, std::span<LineQuality>(*m_quality).last(lines.size()));
    }
    m_progressDlg->setStatus("Done.");
    m_progressDlg.reset();
    return result;
}

/// Returns 1 when every row was traced, 0 when the user cancelled and -1
/// when the tracer stopped the run.
int CVectoriser::traceRows(const CBitmapImage& image, std::uint8_t** window)
{
    int step = m_nHeight / 100;
    if (step == 0)
        step = 1;
    const std::size_t cells = std::size_t(m_nWidth) + 2;
    for (int i = 0; i < m_nHeight; ++i) {
        if (m_progressDlg->CheckCancel())
            return 0;
        if (i % step == 0) {
            char text[64];
            std::snprintf(text, sizeof text, "Vectorised %ld pixels...", long(i) * long(m_nWidth));
            m_progressDlg->setStatus(text);
            m_progressDlg->setPos(i / step);
        }
        std::uint8_t* oldest = window[0];
        window[0] = window[1];
        window[1] = window[2];
        window[2] = oldest;
        if (i + 1 < m_nHeight)
            LoadBlackRow(image, i + 2, window[2], m_blackIndex);
        else
            std::memset(window[2], 0, cells);

        m_tracer.row = i + 1;
        const std::uint8_t* current = window[1];
        // Cells hold 0 or 1: jump from one ink cell to the next.
        for (const std::uint8_t* hit = current + 1;
             (hit = static_cast<const std::uint8_t*>(std::memchr(hit, 1, std::size_t(current + m_nWidth + 1 - hit))));
             ++hit) {
            const int column = static_cast<int>(hit - current);
            m_tracer.nCol = column;
            const int count = m_tracer.count_neighbours(window[0], current, window[2], column);
            if (!m_tracer.process_pixel(count))
                return -1;
            if (hit == current + m_nWidth)
                break;
        }
    }
    return 1;
}

std::size_t CVectoriser::finishTracing(std::size_t windowBytes)
{
    m_nPeakWorkingBytes =
        windowBytes + m_tracer.columnTableBytes() + m_tracer.poolBytes() + m_tracer.scratchBytes();
    m_nUnwrittenNodes = m_tracer.end();
    return m_nUnwrittenNodes;
}

int CVectoriser::StoreTracedLine(PointList& points)
{
    // The traced vertices lie on the centre pixels: straight runs of
    // pixels between them. They are what the line is measured against.
    PointList source;
    if (m_quality)
        source = points;
    const CPolylineOptimiser optimiser;
    if (m_settings.m_bSmoothWhileVectorising)
        optimiser.Smooth(points);
    if (m_settings.m_bReduceWhileVectorising)
        m_store.m_nLinesSaved += optimiser.Reduce(points, m_settings.m_dReduceTolerance);
    m_store.m_nTotalLines += points.count - 1;
    const int stored = m_store.AddLine(points);
    if (m_quality)
        m_quality->push_back(MeasureLine(m_store.m_nLastLineId, points, source));
    return stored;
}

int CVectoriser::runClean(const CBitmapImage& image)
{
    m_progressDlg.emplace(m_port, "Vectorisation");
    m_progressDlg->setRange(100);
    m_progressDlg->setStatus("Converted 0 pixel rows...");
    m_progressDlg->setPos(0);

    CleanTraceOptions options;
    options.ink = m_ink && m_ink->width() == m_nWidth && m_ink->height() == m_nHeight ? m_ink : nullptr;
    options.smooth = m_settings.m_bSmoothWhileVectorising != 0;
    options.reduce = m_settings.m_bReduceWhileVectorising != 0;
    options.tolerance = m_settings.m_dCleanTolerance;
    options.keepSource = m_quality != nullptr;
    CCleanTracer tracer(options);
    int shown = -1;
    auto cancelled = [&](int percent) {
        if (percent != shown) {
            shown = percent;
            char text[64];
            std::snprintf(text, sizeof text, "Vectorised %ld pixels...",
                          long(std::min(percent, 80)) * long(m_nHeight) / 80 * long(m_nWidth));
            m_progressDlg->setStatus(text);
            m_progressDlg->setPos(percent);
        }
        return m_progressDlg->CheckCancel();
    };
    auto store = [&](CleanLine& line) {
        m_store.m_nTotalLines += line.points.count - 1;
        m_store.AddLine(line.points);
        if (m_quality) {
            LineQuality row = MeasureLine(m_store.m_nLastLineId, line.points, line.source, false);
            row.freeEnds = line.closed ? 0 : line.freeEnds;
            m_quality->push_back(row);
        }
    };
    bool finished = false;
    try {
        finished = tracer.Run(image, cancelled, store);
    } catch (const std::bad_alloc&) {
        m_progressDlg.reset();
        ShowMessageBox(m_port, MessageButtons::Ok, "Not enough memory to trace the image.");
        return 0;
    }
    if (!finished)
        return 0;
    m_progressDlg->setStatus("Done.");
    m_progressDlg.reset();
    warnOfCrowdedInk(tracer.crowdedRegions());
    return 1;
}

void CVectoriser::warnOfCrowdedInk(const std::vector<CrowdedRegion>& regions)
{
    if (regions.empty())
        return;
    std::string places;
    for (std::size_t i = 0; i < regions.size() && i < 5; ++i) {
        char place[48];
        std::snprintf(place, sizeof place, "%s(%ld, %ld)", i ? ", " : "", std::lround(regions[i].x),
                      std::lround(regions[i].y));
        places += place;
    }
    if (regions.size() > 5)
        places += ", ...";
    ShowMessageBox(m_port, MessageButtons::Ok,
                   "Ink at %zu place%s could not be thinned to single lines and was traced as well as it could "
                   "be: %s.",
                   regions.size(), regions.size() == 1 ? "" : "s", places.c_str());
}

} // namespace orvane
