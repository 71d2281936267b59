// The histogram window.
#include "app/histogram_bar.h"

#include "document/document.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPolygon>
#include <QVBoxLayout>

namespace orvane::app {

CHistogramBar::CHistogramBar(std::function<const Document*()> activeDocument, QWidget* parent)
    : QWidget(parent), m_activeDocument(std::move(activeDocument))
{
    setAccessibleName(QStringLiteral("Histogram"));
    // The plot is 256 pixels wide from x = 12, whatever the window's width.
    setMinimumSize(285, 200);
    auto* pixels = new QLabel(QStringLiteral("# Pixels"), this);
    auto* zero = new QLabel(QStringLiteral("0"), this);
    auto* top = new QLabel(QStringLiteral("255"), this);
    m_red = new QCheckBox(QStringLiteral("Red"), this);
    m_green = new QCheckBox(QStringLiteral("Green"), this);
    m_blue = new QCheckBox(QStringLiteral("Blue"), this);

    auto* boxes = new QHBoxLayout;
    boxes->setContentsMargins(0, 0, 0, 0);
    boxes->addWidget(zero);
    boxes->addStretch(1);
    boxes->addWidget(m_red);
    boxes->addWidget(m_green);
    boxes->addWidget(m_blue);
    boxes->addStretch(1);
    boxes->addWidget(top);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 2);
    layout->addWidget(pixels);
    layout->addStretch(1);
    layout->addLayout(boxes);

    auto bind = [this](QCheckBox* box, int& flag) {
        box->setChecked(true);
        connect(box, &QCheckBox::toggled, this, [this, &flag](bool on) {
            flag = on ? 1 : 0;
            update();
        });
    };
    bind(m_red, m_bShowRed);
    bind(m_green, m_bShowGreen);
    bind(m_blue, m_bShowBlue);
}

QPoint CHistogramBar::PlotPoint(int value, std::int64_t count, std::int64_t max, int height)
{
    const int base = height - 30;
    const std::int64_t plot = height - 45;
    const std::int64_t rise = max == 0 ? 0 : count * plot / max;
    return {12 + value, int(base - rise)};
}

void CHistogramBar::paintEvent(QPaintEvent*)
{
    const Document* doc = m_activeDocument ? m_activeDocument() : nullptr;
    if (!doc)
        return;
    QPainter painter(this);
    const int height = this->height();
    painter.setPen(QPen(Qt::black, 0));
    painter.drawPolyline(QPolygon({QPoint(11, 16), QPoint(11, height - 29), QPoint(270, height - 29)}));

    const bool several = m_bShowRed + m_bShowGreen + m_bShowBlue >= 2;
    struct Channel {
        int shown;
        const Document::Histogram& counts;
        std::int32_t max;
        QColor colour;
    };
    const Channel channels[] = {{m_bShowRed, doc->m_histRed, doc->m_nMaxRed, QColor(255, 0, 0)},
                                {m_bShowGreen, doc->m_histGreen, doc->m_nMaxGreen, QColor(0, 255, 0)},
                                {m_bShowBlue, doc->m_histBlue, doc->m_nMaxBlue, QColor(0, 0, 255)}};
    for (const Channel& c : channels) {
        if (!c.shown)
            continue;
        const std::int64_t max = several ? doc->m_nMaxCount : c.max;
        QPolygon line;
        for (int v = 0; v < 256; ++v)
            line << PlotPoint(v, c.counts[std::size_t(v)], max < 0 ? 0 : max, height);
        painter.setPen(QPen(c.colour, 0));
        painter.drawPolyline(line);
    }
}

void CHistogramBar::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    update();
}

} // namespace orvane::app
