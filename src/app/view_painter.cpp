// Painting a document's image and lines.
#include "app/view_painter.h"

#include "document/document.h"
#include "view/image_raster.h"
#include "view/view_state.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <QRegion>

#include <algorithm>
#include <cmath>

namespace orvane::app {
namespace {

/// Rows of image converted to screen pixels at a time: keeps the buffer
/// small however large the painted area (a printed page, say).
constexpr int kStripRows = 256;

const QColor kHatchGrey(200, 200, 200);
const QColor kEndYellow(255, 255, 0);
const QColor kIdBlue(0, 0, 255);

QColor fromPacked(std::uint32_t rgb) { return QColor(int(rgb & 0xFF), int(rgb >> 8 & 0xFF), int(rgb >> 16 & 0xFF)); }

void paintHatch(QPainter& painter, const QRect& area, const QRect& image, const QPoint& origin)
{
    const QRegion outside = QRegion(area).subtracted(QRegion(image));
    if (outside.isEmpty())
        return;
    painter.save();
    painter.setBrushOrigin(origin);
    for (const QRect& r : outside) {
        painter.fillRect(r, Qt::white);
        painter.fillRect(r, QBrush(kHatchGrey, Qt::DiagCrossPattern));
    }
    painter.restore();
}

void paintImage(QPainter& painter, const Document& doc, const ViewState& view, ImageRaster& raster,
                const QRect& area)
{
    if (area.isEmpty())
        return;
    if (!view.m_bShowImage) {
        painter.fillRect(area, Qt::white);
        return;
    }
    for (int top = area.top(); top <= area.bottom(); top += kStripRows) {
        const QRect strip(area.left(), top, area.width(), std::min(kStripRows, area.bottom() + 1 - top));
        QImage pixels(strip.size(), QImage::Format_RGB32);
        raster.Render(doc.m_image, view.m_fZoom, {strip.left(), strip.top(), strip.right() + 1, strip.bottom() + 1},
                      reinterpret_cast<std::uint32_t*>(pixels.bits()), pixels.bytesPerLine() / 4);
        painter.drawImage(strip.topLeft(), pixels);
    }
}

/// Draws the lines one after another, each with what the view's switches
/// ask for; lines that cannot reach the area are passed over.
class LinePainter {
public:
    LinePainter(QPainter& painter, const ViewState& view, const QRect& area)
        : m_painter(painter), m_view(view), m_zoom(view.m_fZoom), m_unit(GridUnit(m_zoom)),
          m_penWidth(LinePenWidth(m_zoom)), m_metrics(painter.font())
    {
        // A line reaches this far beyond its vertices: half its pen, the end
        // circles with their outline, and a pixel for rounding.
        m_reach = m_penWidth / 2 + 1 + (view.m_bShowEndNodes ? 3 * m_unit + std::max(1.0, m_unit) : 0.0);
        m_area = QRectF(area).adjusted(-m_reach, -m_reach, m_reach, m_reach);
        m_idArea = QRectF(area);
        m_digitWidth = m_metrics.horizontalAdvance(QLatin1Char('0'));
        for (QChar c : QStringLiteral("123456789-"))
            m_digitWidth = std::max(m_digitWidth, m_metrics.horizontalAdvance(c));
    }

    void draw(const CVectorLine& line, const QColor& colour)
    {
        if (line.m_nodes.empty())
            return;
        const bool drawBody = reaches(line);
        const bool drawId = m_view.m_bShowLineIds && idReaches(line);
        if (!drawBody && !drawId)
            return;
        if (drawBody)
            drawPolyline(line, colour);
        if (drawBody && m_view.m_bShowEndNodes)
            drawEndNodes(line);
        if (drawId)
            drawLineId(line);
    }

private:
    QPointF at(double x, double y) const
    {
        const DevicePoint p = VertexToDevice(x, y, m_zoom);
        return {p.x, p.y};
    }

    bool reaches(const CVectorLine& line) const
    {
        const ImageRect box = VertexBounds(line);
        const QPointF topLeft = at(box.left, box.top);
        const QPointF bottomRight = at(box.right, box.bottom);
        return QRectF(topLeft, bottomRight).normalized().adjusted(-0.5, -0.5, 0.5, 0.5).intersects(m_area);
    }

    QRectF idRect(const CVectorLine& line) const
    {
        const QPointF topLeft = at(line.m_dMidX, line.m_dMidY);
        const int digits = int(QString::number(line.m_nId).size());
        return QRectF(topLeft, QSizeF(m_digitWidth * digits + 2, m_metrics.height() + 2));
    }

    bool idReaches(const CVectorLine& line) const { return idRect(line).intersects(m_idArea); }

    void drawPolyline(const CVectorLine& line, const QColor& colour)
    {
        if (line.m_nodes.size() < 2)
            return; // a single vertex draws no visible segment
        m_points.clear();
        for (const VectorNode& node : line.m_nodes)
            m_points.append(at(node.m_dX, node.m_dY));
        m_painter.setPen(QPen(colour, m_penWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        m_painter.drawPolyline(m_points);
    }

    void drawEndNodes(const CVectorLine& line)
    {
        const double r = 3 * m_unit;
        m_painter.setPen(QPen(Qt::red, m_unit > 1 ? m_unit : 0));
        const VectorNode& first = line.m_nodes.front();
        const VectorNode& last = line.m_nodes.back();
        m_painter.setBrush(kEndYellow);
        m_painter.drawEllipse(at(first.m_dX, first.m_dY), r, r);
        m_painter.setBrush(Qt::white);
        m_painter.drawEllipse(at(last.m_dX, last.m_dY), r, r);
        m_painter.setBrush(Qt::NoBrush);
    }

    void drawLineId(const CVectorLine& line)
    {
        const QPointF topLeft = at(line.m_dMidX, line.m_dMidY);
        m_painter.setPen(kIdBlue);
        m_painter.drawText(topLeft + QPointF(0, m_metrics.ascent()), QString::number(line.m_nId));
    }

    QPainter& m_painter;
    const ViewState& m_view;
    float m_zoom;
    double m_unit;
    double m_penWidth;
    QFontMetricsF m_metrics;
    double m_reach = 0;
    double m_digitWidth = 0;
    QRectF m_area;
    QRectF m_idArea;
    QPolygonF m_points;
};

} // namespace

QRect ImageDeviceRect(const Document& doc, float zoom)
{
    return QRect(0, 0, DeviceExtent(doc.m_image.GetWidth(), zoom), DeviceExtent(doc.m_image.GetHeight(), zoom));
}

void PaintDocument(QPainter& painter, const Document& doc, const ViewState& view, ImageRaster& raster,
                   const QRect& area, const QPoint& hatchOrigin)
{
    const QRect image = ImageDeviceRect(doc, view.m_fZoom);
    paintHatch(painter, area, image, hatchOrigin);
    if (image.isEmpty())
        return;
    paintImage(painter, doc, view, raster, area.intersected(image));
    if (!view.m_bShowVectors)
        return;

    painter.save();
    painter.setClipRect(area);
    painter.setRenderHint(QPainter::Antialiasing, false);
    LinePainter lines(painter, view, area);
    const QColor normal = fromPacked(view.m_lineColor);
    const QColor selected = fromPacked(kSelectedRed);
    // Looked up once per line: sorted, so that selecting every line of a
    // large drawing does not make each repaint quadratic.
    std::vector<std::uint32_t> selection = view.m_selection;
    std::sort(selection.begin(), selection.end());
    std::vector<std::uint32_t> filter = view.m_filter;
    std::sort(filter.begin(), filter.end());
    for (const auto& line : doc.m_lines.lines()) {
        const auto id = std::uint32_t(line->m_nId);
        if (view.m_bFilterMode && !std::binary_search(filter.begin(), filter.end(), id))
            continue;
        const bool isSelected = std::binary_search(selection.begin(), selection.end(), id);
        lines.draw(*line, isSelected ? selected : normal);
    }
    painter.restore();
}

} // namespace orvane::app
