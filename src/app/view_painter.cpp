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
#include <QSet>

#include <algorithm>
#include <cassert>
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
        pixels.fill(Qt::white);
        raster.Render(doc.m_image, view.m_fZoom, {strip.left(), strip.top(), strip.right() + 1, strip.bottom() + 1},
                      reinterpret_cast<std::uint32_t*>(pixels.bits()), pixels.bytesPerLine() / 4);
        painter.drawImage(strip.topLeft(), pixels);
    }
}

/// Draws the vector lines in three layers, so that markers and labels are
/// never buried under later lines: every shown line's polyline in store
/// order, then the end nodes, then the ids. Anything that cannot reach the
/// area is passed over; what is drawn does not depend on the area.
class LinePainter {
public:
    LinePainter(QPainter& painter, const ViewState& view, const QRect& area, bool cull)
        : m_painter(painter), m_view(view), m_zoom(view.m_fZoom), m_unit(GridUnit(m_zoom)),
          m_penWidth(LinePenWidth(m_zoom)), m_radius(3 * m_unit), m_metrics(painter.font()), m_area(area),
          m_cull(cull), m_scale(VectorScale(m_zoom)), m_half(VectorScale(m_zoom) / 2)
    {
        assert(at(3.5, 7.25) == QPointF(VertexToDevice(3.5, 7.25, m_zoom).x, VertexToDevice(3.5, 7.25, m_zoom).y));
        m_digitWidth = m_metrics.horizontalAdvance(QLatin1Char('0'));
        for (QChar c : QStringLiteral("123456789-"))
            m_digitWidth = std::max(m_digitWidth, m_metrics.horizontalAdvance(c));
    }

    void paint(const CLineStore& store)
    {
        collectShown(store);
        paintPolylines();
        if (m_view.m_bShowEndNodes)
            paintEndNodes();
        if (m_view.m_bShowLineIds)
            paintIds();
    }

private:
    struct Shown {
        const CVectorLine* line;
        bool selected;
    };

    /// Where an image point is drawn: VertexToDevice, with the zoom's scale
    /// worked out once.
    QPointF at(double x, double y) const
    {
        return {(std::trunc(m_scale * x) + m_half) * m_unit, (std::trunc(m_scale * y) + m_half) * m_unit};
    }

    /// Whether something drawn within `reach` of the box from `a` to `b`
    /// (a at the top left) can show in the area.
    bool reaches(const QPointF& a, const QPointF& b, double reach) const
    {
        return !m_cull || (b.x() + reach >= m_area.left() && a.x() - reach <= m_area.right() + 1 &&
                           b.y() + reach >= m_area.top() && a.y() - reach <= m_area.bottom() + 1);
    }

    void collectShown(const CLineStore& store)
    {
        // Looked up once per line, sorted, so that selecting every line of a
        // large drawing does not make each repaint quadratic.
        std::vector<std::uint32_t> selection = m_view.m_selection;
        std::sort(selection.begin(), selection.end());
        std::vector<std::uint32_t> filter = m_view.m_filter;
        std::sort(filter.begin(), filter.end());
        for (const auto& line : store.lines()) {
            const auto id = std::uint32_t(line->m_nId);
            if (line->m_nodes.empty())
                continue;
            if (m_view.m_bFilterMode && !std::binary_search(filter.begin(), filter.end(), id))
                continue;
            m_shown.push_back({line.get(), std::binary_search(selection.begin(), selection.end(), id)});
        }
    }

    void paintPolylines()
    {
        const QColor normal = fromPacked(m_view.m_lineColor);
        const QColor selected = fromPacked(kSelectedRed);
        const double reach = m_penWidth / 2 + 1;
        // Round caps on every segment draw exactly what round joins draw, so
        // consecutive lines of one colour go to the painter as one batch of
        // segments; the order of colours stays that of the store.
        QList<QLineF> segments;
        bool batchSelected = false;
        auto flush = [&] {
            if (segments.isEmpty())
                return;
            m_painter.setPen(QPen(batchSelected ? selected : normal, m_penWidth, Qt::SolidLine, Qt::RoundCap,
                                  Qt::RoundJoin));
            m_painter.drawLines(segments);
            segments.clear();
        };
        for (const Shown& shown : m_shown) {
            const CVectorLine& line = *shown.line;
            if (line.m_nodes.size() < 2)
                continue; // a single vertex draws no visible segment
            const ImageRect box = VertexBounds(line);
            if (!reaches(at(box.left, box.top), at(box.right, box.bottom), reach))
                continue;
            if (shown.selected != batchSelected) {
                flush();
                batchSelected = shown.selected;
            }
            QPointF from = at(line.m_nodes[0].m_dX, line.m_nodes[0].m_dY);
            for (std::size_t i = 1; i < line.m_nodes.size(); ++i) {
                const QPointF to = at(line.m_nodes[i].m_dX, line.m_nodes[i].m_dY);
                segments.append(QLineF(from, to));
                from = to;
            }
        }
        flush();
    }

    /// A circle of the end nodes: red outline, filled with `fill`.
    QImage nodeSprite(const QColor& fill, double outline) const
    {
        const int size = int(std::ceil(2 * m_radius + outline)) + 2;
        QImage sprite(size, size, QImage::Format_ARGB32_Premultiplied);
        sprite.fill(Qt::transparent);
        QPainter p(&sprite);
        p.setPen(QPen(Qt::red, outline));
        p.setBrush(fill);
        p.drawEllipse(QPointF(size / 2.0, size / 2.0), m_radius, m_radius);
        return sprite;
    }

    void paintEndNodes()
    {
        // First vertex yellow, last vertex white, each in a red ring. Below a
        // pixel across the ring is all that shows: a red dot.
        const double outline = m_unit > 1 ? m_unit : 1;
        const double reach = m_radius + outline;
        if (m_radius < 1) {
            QPolygon dots;
            for (const Shown& shown : m_shown)
                for (const VectorNode* node : {&shown.line->m_nodes.front(), &shown.line->m_nodes.back()}) {
                    const QPointF p = at(node->m_dX, node->m_dY);
                    if (reaches(p, p, reach))
                        dots.append(p.toPoint());
                }
            m_painter.setPen(QPen(Qt::red, 0));
            m_painter.drawPoints(dots);
            return;
        }
        const QImage start = nodeSprite(kEndYellow, outline);
        const QImage end = nodeSprite(Qt::white, outline);
        const QPointF centre(start.width() / 2.0, start.height() / 2.0);
        for (const Shown& shown : m_shown) {
            const VectorNode& first = shown.line->m_nodes.front();
            const VectorNode& last = shown.line->m_nodes.back();
            const QPointF a = at(first.m_dX, first.m_dY), b = at(last.m_dX, last.m_dY);
            if (reaches(a, a, reach))
                m_painter.drawImage((a - centre).toPoint(), start);
            if (reaches(b, b, reach))
                m_painter.drawImage((b - centre).toPoint(), end);
        }
    }

    void paintIds()
    {
        // Where ids would be written over each other, the first line's id is
        // written: the window is cut into cells about one short id in size,
        // and each cell shows the id of the first line whose middle vertex
        // lies in it. Which id a cell shows depends on the lines alone.
        const double cellWidth = 4 * m_digitWidth;
        const double cellHeight = m_metrics.height();
        const double widest = 11 * m_digitWidth + 2;
        const double tallest = m_metrics.height() + 2;
        const QRectF reachable = m_cull ? QRectF(m_area).adjusted(-widest, -tallest, 0, 0) : QRectF();
        const qint64 left = qint64(std::floor(reachable.left() / cellWidth));
        const qint64 top = qint64(std::floor(reachable.top() / cellHeight));
        const qint64 columns = qint64(std::floor(reachable.right() / cellWidth)) - left + 1;
        const qint64 rows = qint64(std::floor(reachable.bottom() / cellHeight)) - top + 1;
        std::vector<bool> taken(m_cull ? std::size_t(columns * rows) : 0);
        QSet<qint64> takenAnywhere; // without culling every cell of the drawing counts

        m_painter.setPen(kIdBlue);
        for (const Shown& shown : m_shown) {
            const QPointF anchor = at(shown.line->m_dMidX, shown.line->m_dMidY);
            const qint64 cx = qint64(std::floor(anchor.x() / cellWidth));
            const qint64 cy = qint64(std::floor(anchor.y() / cellHeight));
            if (m_cull) {
                if (cx < left || cy < top || cx >= left + columns || cy >= top + rows)
                    continue;
                const std::size_t cell = std::size_t((cy - top) * columns + (cx - left));
                if (taken[cell])
                    continue;
                taken[cell] = true;
            } else {
                const qint64 key = (cy << 32) ^ (cx & 0xFFFFFFFF);
                if (takenAnywhere.contains(key))
                    continue;
                takenAnywhere.insert(key);
            }
            const QString text = QString::number(shown.line->m_nId);
            if (reaches(anchor, anchor + QPointF(text.size() * m_digitWidth + 2, tallest), 0))
                m_painter.drawText(anchor + QPointF(0, m_metrics.ascent()), text);
        }
    }

    QPainter& m_painter;
    const ViewState& m_view;
    float m_zoom;
    double m_unit;
    double m_penWidth;
    double m_radius;
    QFontMetricsF m_metrics;
    QRect m_area;
    bool m_cull;
    double m_scale; ///< k, the vector scale
    double m_half;  ///< k div 2
    double m_digitWidth = 0;
    std::vector<Shown> m_shown;
};

} // namespace

QRect ImageDeviceRect(const Document& doc, float zoom)
{
    return QRect(0, 0, DeviceExtent(doc.m_image.GetWidth(), zoom), DeviceExtent(doc.m_image.GetHeight(), zoom));
}

void PaintDocument(QPainter& painter, const Document& doc, const ViewState& view, ImageRaster& raster,
                   const QRect& area, const QPoint& hatchOrigin, bool cullLines)
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
    LinePainter(painter, view, area, cullLines).paint(doc.m_lines);
    painter.restore();
}

} // namespace orvane::app
