// Drawing the program's pictures.
#include "app/artwork.h"

#include "app/command_table.h"
#include "app/varo_app.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

#include <functional>

namespace orvane::app {
namespace {

constexpr int kIconSize = 32;

const QColor kInk(30, 30, 30);
const QColor kGreen(0, 170, 0);
const QColor kRed(220, 0, 0);
const QColor kBlue(20, 60, 200);

QIcon drawn(const std::function<void(QPainter&)>& draw)
{
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return QIcon(pixmap);
}

QIcon standard(QStyle::StandardPixmap which) { return QApplication::style()->standardIcon(which); }

/// A thick black stroke: the scan as the user sees it.
void scanStroke(QPainter& p)
{
    p.setPen(QPen(kInk, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(6, 24), QPointF(14, 10), QPointF(26, 20)}));
}

/// A thin line along the stroke's centre, in `colour`.
void centreLine(QPainter& p, const QColor& colour)
{
    p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(6, 24), QPointF(14, 10), QPointF(26, 20)}));
}

void letter(QPainter& p, const QString& text, const QColor& colour)
{
    QFont font = p.font();
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QRect(0, 18, kIconSize, 14), Qt::AlignRight | Qt::AlignBottom, text);
}

void vectorNodes(QPainter& p)
{
    centreLine(p, kGreen);
    p.setPen(QPen(kRed, 1.5));
    p.setBrush(QColor(255, 255, 0));
    p.drawEllipse(QPointF(6, 24), 3, 3);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(26, 20), 3, 3);
}

void magnifier(QPainter& p, const QColor& glass)
{
    p.setPen(QPen(kInk, 3));
    p.setBrush(glass);
    p.drawEllipse(QPointF(13, 13), 8.5, 8.5);
    p.setPen(QPen(kInk, 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(20, 20), QPointF(28, 28));
}

} // namespace

QIcon CommandIcon(int id)
{
    switch (id) {
    case ID_FILE_OPEN: return standard(QStyle::SP_DialogOpenButton);
    case ID_FILE_SAVE: return standard(QStyle::SP_DialogSaveButton);
    case ID_EDIT_CUT:
        return drawn([](QPainter& p) {
            p.setPen(QPen(kInk, 2.5));
            p.drawLine(QPointF(9, 4), QPointF(21, 22));
            p.drawLine(QPointF(23, 4), QPointF(11, 22));
            p.drawEllipse(QPointF(9, 25), 4, 4);
            p.drawEllipse(QPointF(23, 25), 4, 4);
        });
    case ID_EDIT_COPY:
        return drawn([](QPainter& p) {
            p.setPen(QPen(kInk, 2));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(4, 4, 16, 20));
            p.drawRect(QRectF(12, 9, 16, 20));
        });
    case ID_EDIT_PASTE:
        return drawn([](QPainter& p) {
            p.setPen(QPen(kInk, 2));
            p.setBrush(QColor(200, 160, 90));
            p.drawRect(QRectF(5, 6, 20, 23));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(13, 13, 15, 17));
        });
    case ID_FILE_PRINT:
        return drawn([](QPainter& p) {
            p.setPen(QPen(kInk, 2));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(9, 3, 14, 10));
            p.setBrush(QColor(160, 160, 160));
            p.drawRoundedRect(QRectF(3, 12, 26, 12), 2, 2);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(9, 19, 14, 10));
        });
    case ID_APP_ABOUT:
        return drawn([](QPainter& p) {
            p.setPen(Qt::NoPen);
            p.setBrush(kBlue);
            p.drawEllipse(QPointF(16, 16), 13, 13);
            p.setPen(Qt::white);
            QFont font = p.font();
            font.setPixelSize(20);
            font.setBold(true);
            p.setFont(font);
            p.drawText(QRect(0, 0, kIconSize, kIconSize), Qt::AlignCenter, QStringLiteral("?"));
        });
    case ID_ZOOM_MODE: return drawn([](QPainter& p) { magnifier(p, QColor(200, 230, 255)); });
    case ID_SHOW_IMAGE:
        return drawn([](QPainter& p) {
            p.setPen(QPen(kInk, 1.5));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(2, 4, 28, 24));
            scanStroke(p);
        });
    case ID_SHOW_VECTORS: return drawn(vectorNodes);
    case ID_EDIT_IMAGE_PEN:
        return drawn([](QPainter& p) {
            p.setPen(QPen(kInk, 1.5));
            p.setBrush(QColor(250, 200, 60));
            p.drawPolygon(QPolygonF({QPointF(22, 3), QPointF(29, 10), QPointF(11, 28), QPointF(4, 28), QPointF(4, 21)}));
            p.setBrush(kInk);
            p.drawPolygon(QPolygonF({QPointF(4, 28), QPointF(4, 24), QPointF(8, 28)}));
        });
    case ID_THINNING_ZHANG_SUEN:
        return drawn([](QPainter& p) {
            scanStroke(p);
            centreLine(p, Qt::white);
            letter(p, QStringLiteral("Z"), kBlue);
        });
    case ID_THINNING_STENTIFORD:
        return drawn([](QPainter& p) {
            scanStroke(p);
            centreLine(p, Qt::white);
            letter(p, QStringLiteral("S"), kBlue);
        });
    case ID_EDGE_CANNY:
        return drawn([](QPainter& p) {
            p.setPen(QPen(kInk, 2));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(QRectF(5, 7, 22, 18), 5, 5);
            letter(p, QStringLiteral("C"), kBlue);
        });
    case ID_VECTORISE:
        return drawn([](QPainter& p) {
            scanStroke(p);
            vectorNodes(p);
        });
    case ID_ONE_TOUCH:
        return drawn([](QPainter& p) {
            vectorNodes(p);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(250, 190, 0));
            p.drawPolygon(QPolygonF({QPointF(18, 1), QPointF(10, 13), QPointF(15, 13), QPointF(12, 22),
                                     QPointF(22, 9), QPointF(17, 9)}));
        });
    case ID_ONE_TOUCH_OPTION:
    case ID_REDUCTION_OPTION:
        return drawn([id](QPainter& p) {
            if (id == ID_ONE_TOUCH_OPTION)
                vectorNodes(p);
            else
                centreLine(p, kGreen);
            p.setPen(QPen(kInk, 2));
            for (int i = 0; i < 3; ++i)
                p.drawLine(QPointF(18, 5 + 5 * i), QPointF(29, 5 + 5 * i));
        });
    default: return {};
    }
}

QIcon ProgramIcon()
{
    return drawn([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(235, 240, 250));
        p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
        scanStroke(p);
        vectorNodes(p);
    });
}

QPixmap SplashPicture()
{
    QPixmap pixmap(420, 245);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 245);
    sky.setColorAt(0, QColor(250, 250, 245));
    sky.setColorAt(1, QColor(220, 228, 240));
    p.fillRect(pixmap.rect(), sky);

    // A scanned stroke on the left turning into a traced polyline on the right.
    const QPolygonF route({QPointF(30, 180), QPointF(110, 90), QPointF(190, 150), QPointF(270, 70),
                           QPointF(390, 130)});
    p.save();
    p.setClipRect(QRect(0, 0, 200, 245));
    p.setPen(QPen(QColor(40, 40, 40), 14, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(route);
    p.restore();
    p.setPen(QPen(QColor(0, 170, 0), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(route);
    p.setPen(QPen(QColor(220, 0, 0), 2));
    for (const QPointF& vertex : route) {
        p.setBrush(vertex == route.first() ? QColor(255, 255, 0) : Qt::white);
        p.drawEllipse(vertex, 6, 6);
    }

    QFont title = QApplication::font();
    title.setPixelSize(44);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(20, 40, 110));
    p.drawText(QRect(0, 10, 410, 60), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Orvane"));
    QFont line = QApplication::font();
    line.setPixelSize(14);
    p.setFont(line);
    p.setPen(QColor(60, 60, 60));
    p.drawText(QRect(0, 200, 410, 36), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Scanned drawings and maps into vectors  -  version %1").arg(kAppVersion));
    p.setPen(QPen(QColor(120, 120, 120), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return pixmap;
}

QCursor ZoomCursor()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 5));
    p.drawEllipse(QPointF(13, 13), 8.5, 8.5);
    magnifier(p, QColor(255, 255, 255, 120));
    return QCursor(pixmap, 13, 13);
}

} // namespace orvane::app
