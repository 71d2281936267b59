// The vectorisation run.
#include "vector/vectoriser.h"

#include "image/bitmap_image.h"
#include "image/pixel_grid.h"
#include "settings/app_settings.h"
#include "vector/polyline_optimiser.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <utility>

namespace orvane {
namespace {

/// Whether each colour-table index is black (indices beyond the held table,
/// whose colour cannot be read, are not).
std::array<std::uint8_t, 256> blackIndices(const CBitmapImage& image)
{
    std::array<std::uint8_t, 256> black{};
    const RGBQUAD* table = image.GetColorTable();
    for (std::uint32_t i = 0; table && i < image.GetColorTableSize() && i < 256; ++i)
        black[i] = (table[i].rgbRed | table[i].rgbGreen | table[i].rgbBlue) == 0;
    return black;
}

/// Window cells: 1 for ink (red, green and blue all 0), 0 otherwise; image
/// column x is cell x, cells 0 and width + 1 stay 0.
void loadRow(const CBitmapImage& image, int y, std::uint8_t* cells, const std::array<std::uint8_t, 256>& black)
{
    const int width = image.GetWidth();
    if (image.GetBitCount() == 24) {
        const std::uint8_t* bgr = image.GetRow(y);
        for (int x = 1; x <= width; ++x, bgr += 3)
            cells[x] = (bgr[0] | bgr[1] | bgr[2]) == 0;
        return;
    }
    image.GetRowIndices(y, cells + 1);
    for (int x = 1; x <= width; ++x)
        cells[x] = black[cells[x]];
}

} // namespace

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
    m_blackIndex = blackIndices(image);
    loadRow(image, 1, window->data[2], m_blackIndex);

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
            loadRow(image, i + 2, window[2], m_blackIndex);
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
    const CPolylineOptimiser optimiser;
    if (m_settings.m_bSmoothWhileVectorising)
        optimiser.Smooth(points);
    if (m_settings.m_bReduceWhileVectorising)
        m_store.m_nLinesSaved += optimiser.Reduce(points, m_settings.m_dReduceTolerance);
    m_store.m_nTotalLines += points.count - 1;
    return m_store.AddLine(points);
}

} // namespace orvane
