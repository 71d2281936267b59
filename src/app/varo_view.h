// CVaroView: one window's look at a document. It draws the image and the
// vector lines at its own zoom with its own display switches, scrolls, and
// handles the view commands; printing goes through the same drawing.
#pragma once

#include "app/cmd_ui.h"
#include "view/view_state.h"

#include <QAbstractScrollArea>
#include <QPoint>

class QPrinter;

namespace orvane::app {

class CChildFrame;
class CVaroDoc;

class CVaroView : public QAbstractScrollArea, public CommandTarget {
    Q_OBJECT
public:
    explicit CVaroView(CVaroDoc* doc, QWidget* parent = nullptr);
    ~CVaroView() override;

    CVaroDoc* GetDocument() const { return m_doc; }
    /// Zoom, display switches, mouse modes, filter and selection.
    ViewState& state() { return m_state; }
    const ViewState& state() const { return m_state; }

    /// Sizes the scroll range for the image (after the view is placed).
    void OnInitialUpdate();
    /// Leaves the document: called when the window closes for good.
    void DetachFromDocument();

    bool OnCmdMsg(int id, CmdUI* ui) override;

    // --- Zoom -----------------------------------------------------------------

    void StepZoomIn();
    void StepZoomOut();
    /// One zoom level in (out), keeping the image point under the client
    /// point `at` where it is.
    void ZoomInAt(const QPoint& at);
    void ZoomOutAt(const QPoint& at);
    /// Sets the zoom, keeping the image point under the client point `at`
    /// still, and repaints. The one place the zoom changes.
    void SetZoom(float zoom, const QPoint& at);
    void OnZoomReset();

    /// Scroll position: the scrolled device point at the viewport's corner.
    QPoint scrollPosition() const;
    /// The image's size in device pixels at the current zoom.
    QSize scrollExtent() const;
    /// The image pixel (0-based) under a viewport point.
    QPoint imagePointAt(const QPoint& client) const;

    /// Repaints everything.
    void OnRedraw();
    /// Prints (or previews) the image and lines on one page, as large as
    /// the page allows.
    void Print(QPrinter& printer);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void toggle(std::int32_t& flag);
    void updateScrollBars();
    void OnFilePrint();
    void OnFilePrintPreview();

    CVaroDoc* m_doc;
    ViewState m_state;
};

} // namespace orvane::app
