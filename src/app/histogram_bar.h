// CHistogramBar: the red, green and blue histograms of the active image as
// three polylines, each shown or hidden by its check box.
#pragma once

#include <QWidget>

#include <functional>

class QCheckBox;

namespace orvane {
class Document;
}

namespace orvane::app {

class CHistogramBar : public QWidget {
    Q_OBJECT
public:
    /// `activeDocument` names the document whose counts are drawn: that of
    /// the active view, or null when there is none.
    explicit CHistogramBar(std::function<const Document*()> activeDocument, QWidget* parent = nullptr);

    int m_bShowRed = 1;
    int m_bShowGreen = 1;
    int m_bShowBlue = 1;

    QCheckBox* redBox() const { return m_red; }
    QCheckBox* greenBox() const { return m_green; }
    QCheckBox* blueBox() const { return m_blue; }

    /// Where count `count` of value `value` is drawn in a client area of
    /// `height` pixels, with scale `max` (0: on the base line).
    static QPoint PlotPoint(int value, std::int64_t count, std::int64_t max, int height);

protected:
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    std::function<const Document*()> m_activeDocument;
    QCheckBox* m_red;
    QCheckBox* m_green;
    QCheckBox* m_blue;
};

} // namespace orvane::app
