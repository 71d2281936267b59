// CVaroView: one window's look at a document. It draws the image and the
// vector lines at its own zoom with its own display switches, scrolls, and
// handles the view commands; printing goes through the same drawing.
#pragma once

#include "app/cmd_ui.h"
#include "view/view_state.h"

#include <QAbstractScrollArea>
#include <QPoint>

#include <functional>

class QPrinter;

namespace orvane {
class CLineStore;
class Document;
struct CommandOutcome;
struct Repaint;
} // namespace orvane

namespace orvane::app {

class CChildFrame;
class CVaroDoc;
class DesktopPort;

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

    // --- Mouse --------------------------------------------------------------

    /// The status readouts for the mouse at a viewport point: "X %d, Y %d"
    /// in the coordinate pane and the colour shown there in the message pane.
    void ShowReadouts(const QPoint& client);
    /// A left click at a viewport point, in the first mode that is on: pen,
    /// zoom, select.
    void OnLeftClick(const QPoint& client);
    /// A right click (on release): leaves pen or select mode, or zooms out.
    void OnRightClick(const QPoint& client);
    /// The colour the view shows at a viewport point, as drawn.
    QColor ColourAt(const QPoint& client);
    /// Prints (or previews) the image and lines on one page, as large as
    /// the page allows.
    void Print(QPrinter& printer);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    using Command = std::function<CommandOutcome(Document&, DesktopPort&)>;
    using Edit = std::function<Repaint(DesktopPort&, CLineStore&, ViewState&)>;

    /// Runs a processing command on the document: refused while another
    /// runs, undoable once it changed something, and with "put back as it
    /// was" for a run that failed or was cancelled half way when asked.
    /// True when the command succeeded and its result stands.
    bool runCommand(const QString& name, unsigned parts, const Command& command, bool undoFailure);
    /// Vectorise (or One-Touch) through runCommand; a trace that stands
    /// leaves its line quality report with the document.
    void runTrace(bool oneTouch);
    /// Runs a selection or editing command and repaints what it says; a
    /// command that `changesLines` is undoable.
    void runEdit(const QString& name, bool changesLines, const Edit& edit);
    /// Repaints what a command reports, in image pixels, at this zoom.
    void applyRepaint(const Repaint& repaint);
    void OnThresholding();
    void OnShowFilter();
    void OnImageInformation();
    void OnVectorInformation();
    void OnPen(const QPoint& client);
    void updateCursor();
    void toggle(std::int32_t& flag);
    void updateScrollBars();
    void OnFilePrint();
    void OnFilePrintPreview();

    CVaroDoc* m_doc;
    ViewState m_state;
};

} // namespace orvane::app
