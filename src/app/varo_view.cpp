// The view: drawing, zoom, scrolling, display switches and printing.
#include "app/varo_view.h"

#include "app/artwork.h"
#include "app/command_table.h"
#include "app/desktop_port.h"
#include "app/image_info_dlg.h"
#include "app/show_filter_dlg.h"
#include "app/threshold_dlg.h"
#include "app/varo_app.h"
#include "app/wait_cursor.h"
#include "app/varo_doc.h"
#include "app/view_painter.h"
#include "commands/processing_commands.h"
#include "document/document.h"
#include "settings/app_settings.h"
#include "vector/line_quality.h"
#include "vector/edit_commands.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <optional>

namespace orvane::app {
namespace {

/// The largest zoom level not above `scale` (device pixels per image pixel),
/// and never below 1/16.
float levelAtMost(double scale)
{
    if (scale >= 1.0)
        return float(std::min(16, int(std::floor(scale))));
    const int n = std::min(16, int(std::ceil(1.0 / scale)));
    return 1.0f / float(n);
}

} // namespace

CVaroView::CVaroView(CVaroDoc* doc, QWidget* parent) : QAbstractScrollArea(parent), m_doc(doc)
{
    setAccessibleName(QStringLiteral("Image view"));
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    QFont idFont = font();
    idFont.setPointSize(8);
    setFont(idFont);
    viewport()->setMouseTracking(true);
    m_doc->AddView(this);
    updateCursor();
}

CVaroView::~CVaroView() { DetachFromDocument(); }

void CVaroView::DetachFromDocument()
{
    if (!m_doc)
        return;
    CVaroDoc* doc = m_doc;
    m_doc = nullptr;
    doc->RemoveView(this);
}

void CVaroView::OnInitialUpdate()
{
    updateScrollBars();
    viewport()->update();
}

bool CVaroView::OnCmdMsg(int id, CmdUI* ui)
{
    if (!m_doc)
        return false;
    auto toggleCommand = [&](std::int32_t& flag) {
        if (ui)
            ui->checked = flag != 0;
        else
            toggle(flag);
        return true;
    };
    auto command = [&](auto&& run) {
        if (!ui)
            run();
        return true;
    };
    switch (id) {
    case ID_SHOW_END_NODES: return toggleCommand(m_state.m_bShowEndNodes);
    case ID_SHOW_LINE_IDS: return toggleCommand(m_state.m_bShowLineIds);
    case ID_SHOW_IMAGE: return toggleCommand(m_state.m_bShowImage);
    case ID_SHOW_VECTORS: return toggleCommand(m_state.m_bShowVectors);
    case ID_FILTER_MODE: return toggleCommand(m_state.m_bFilterMode);
    case ID_ZOOM_MODE:
        if (ui) {
            ui->checked = m_state.m_bZoomMode != 0;
            return true;
        }
        m_state.m_bZoomMode = !m_state.m_bZoomMode;
        m_state.m_bEditImageMode = 0;
        updateCursor();
        return true;
    case ID_EDIT_IMAGE_PEN:
        if (ui) {
            ui->checked = m_state.m_bEditImageMode != 0;
            return true;
        }
        m_state.m_bEditImageMode = 1;
        m_state.m_bZoomMode = 0;
        CVaroApp::instance()->SetStatusText(0, QStringLiteral("Please click on the image..."));
        updateCursor();
        return true;
    case ID_SELECT_BY_CURSOR:
        return command([this] {
            DesktopPort port(*CVaroApp::instance());
            OnSelectByCursor(port, m_state);
            updateCursor();
        });
    case ID_GREY_SCALE:
        return command([this] {
            runCommand(QStringLiteral("Grey Scale"), kSnapshotImage,
                       [](Document& doc, DesktopPort& port) { return GreyScaleCommand(doc.m_image, port); }, false);
        });
    case ID_THRESHOLDING: return command([this] { OnThresholding(); });
    case ID_THINNING_ZHANG_SUEN:
    case ID_THINNING_STENTIFORD:
        return command([this, id] {
            const std::uint16_t method = id == ID_THINNING_ZHANG_SUEN ? 0 : 1;
            runCommand(QStringLiteral("Thinning"), kSnapshotImage,
                       [method](Document& doc, DesktopPort& port) { return ThinCommand(doc.m_image, port, method); },
                       false);
        });
    case ID_EDGE_CANNY:
        return command([this] {
            runCommand(QStringLiteral("Edge Detection"), kSnapshotImage, [](Document& doc, DesktopPort& port) {
                return EdgeDetectCommand(doc.m_image, port, CVaroApp::instance()->m_settings);
            }, false);
        });
    case ID_VECTORISE: return command([this] { runTrace(false); });
    case ID_ONE_TOUCH: return command([this] { runTrace(true); });
    case ID_SELECT_ALL:
        return command([this] {
            runEdit({}, false, [](DesktopPort& port, CLineStore& store, ViewState& view) {
                return OnSelectAll(port, store, view);
            });
        });
    case ID_UNSELECT:
        return command([this] {
            runEdit({}, false, [](DesktopPort& port, CLineStore& store, ViewState& view) {
                return OnUnselect(port, store, view);
            });
        });
    case ID_CLEAR_SELECTION:
        return command([this] {
            runEdit({}, false, [](DesktopPort& port, CLineStore&, ViewState& view) {
                return OnClearSelection(port, view);
            });
        });
    case ID_DELETE_SELECTED:
        return command([this] {
            runEdit(QStringLiteral("Delete Selected Features"), true,
                    [](DesktopPort& port, CLineStore& store, ViewState& view) {
                        return OnDeleteSelected(port, store, view);
                    });
        });
    case ID_POLY_TO_STRAIGHT:
        return command([this] {
            runEdit(QStringLiteral("Polyline to Straight Line"), true,
                    [](DesktopPort& port, CLineStore& store, ViewState& view) {
                        return OnPolyToStraight(port, store, view, CVaroApp::instance()->m_settings);
                    });
        });
    case ID_SPLINE_SMOOTH:
        return command([this] {
            runEdit(QStringLiteral("Spline/Smooth Polyline"), true,
                    [](DesktopPort& port, CLineStore& store, ViewState& view) {
                        return OnSplineSmooth(port, store, view);
                    });
        });
    case ID_SHOW_FILTER: return command([this] { OnShowFilter(); });
    case ID_IMAGE_INFORMATION: return command([this] { OnImageInformation(); });
    case ID_VECTOR_INFORMATION: return command([this] { OnVectorInformation(); });
    case ID_ZOOM_IN:
        return command([this] { SetZoom(orvane::StepZoomIn(orvane::StepZoomIn(m_state.m_fZoom)), viewport()->rect().center()); });
    case ID_ZOOM_OUT:
        return command([this] { SetZoom(orvane::StepZoomOut(orvane::StepZoomOut(m_state.m_fZoom)), viewport()->rect().center()); });
    case ID_ZOOM_RESET: return command([this] { OnZoomReset(); });
    case ID_REDRAW: return command([this] { OnRedraw(); });
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_PREVIEW:
        // Printing a half-processed image helps nobody: wait for the end.
        if (ui) {
            ui->enabled = !m_doc->IsBusy();
            return true;
        }
        if (!m_doc->RefuseIfBusy())
            id == ID_FILE_PRINT ? OnFilePrint() : OnFilePrintPreview();
        return true;
    default: return false;
    }
}

void CVaroView::runTrace(bool oneTouch)
{
    CVaroDoc* doc = m_doc;
    const QString name = oneTouch ? QStringLiteral("One-Touch Vectorisation") : QStringLiteral("Vectorisation");
    const std::int16_t topology = CVaroApp::instance()->m_settings.m_nTopology;
    std::vector<LineQuality> rows;
    const bool kept = runCommand(
        name, oneTouch ? kSnapshotImage | kSnapshotLines : kSnapshotLines,
        [oneTouch, &rows](Document& core, DesktopPort& port) {
            const AppSettings& settings = CVaroApp::instance()->m_settings;
            return oneTouch ? OneTouchCommand(core.m_image, core.m_lines, port, settings, &rows)
                            : VectoriseCommand(core.m_image, core.m_lines, port, settings, &rows);
        },
        true);
    // A failed or cancelled trace put the lines back: so does the report.
    if (kept && doc)
        doc->SetTraceReport(std::move(rows), name, topology);
}

bool CVaroView::runCommand(const QString& name, unsigned parts, const Command& command, bool undoFailure)
{
    CVaroDoc* doc = m_doc;
    if (!doc || doc->RefuseIfBusy())
        return false;
    Document& core = doc->core();
    DesktopPort port(*CVaroApp::instance());
    DocumentSnapshot before = core.TakeSnapshot(parts);
    if (!before.complete) {
        // Without the copy there is no undo, and nothing to put back if the
        // command fails: the user decides.
        if (ShowMessageBox(port, MessageButtons::YesNo,
                           "There is not enough memory to keep a copy of the image for Undo.\n"
                           "Run %s without Undo (earlier changes can no longer be undone either)?",
                           name.toStdString().c_str()) != MessageAnswer::Yes)
            return false;
        doc->history().Clear();
        undoFailure = false;
    }
    const std::vector<std::uint32_t> selection = m_state.m_selection;
    CommandOutcome outcome;
    {
        Document::BusyGuard busy(core);
        WaitCursor wait;
        if (parts & kSnapshotLines)
            m_state.m_selection.clear(); // the lines go; so do their ids
        outcome = command(core, port);
    }
    core.ApplyOutcome(outcome);
    const bool changed = outcome.imageChanged || outcome.linesReplaced;
    if (!outcome.succeeded && undoFailure && changed) {
        // A run that failed or was cancelled half way leaves nothing behind:
        // the image and lines are as they were before the command.
        core.SwapSnapshot(before);
        m_state.m_selection = selection;
        doc->OnDocumentChanged();
        return false;
    }
    if (!changed) {
        m_state.m_selection = selection;
        return outcome.succeeded;
    }
    if (outcome.imageChanged && outcome.succeeded)
        doc->UpdateHistogram();
    if (outcome.linesReplaced)
        doc->ClearSelections(); // the ids now name other lines, in every window
    if (before.complete)
        doc->RecordChange(name, std::move(before));
    doc->OnDocumentChanged();
    return outcome.succeeded;
}

void CVaroView::runEdit(const QString& name, bool changesLines, const Edit& edit)
{
    CVaroDoc* doc = m_doc;
    if (!doc || doc->RefuseIfBusy())
        return;
    Document& core = doc->core();
    DesktopPort port(*CVaroApp::instance());
    std::optional<DocumentSnapshot> before;
    if (changesLines)
        before = core.TakeSnapshot(kSnapshotLines);
    const Repaint repaint = edit(port, core.m_lines, m_state);
    if (changesLines && !repaint.empty()) {
        core.SetVectorsChanged();
        doc->RecordChange(name, std::move(*before));
        doc->UpdateAllViews(this); // the other windows of the document show the change too
    }
    applyRepaint(repaint);
}

void CVaroView::applyRepaint(const Repaint& repaint)
{
    if (repaint.wholeView) {
        viewport()->update();
        return;
    }
    const QPoint scroll = scrollPosition();
    // Ids are written beside their line's middle vertex: a line's rectangle
    // grows by the room an id takes.
    const QMargins idRoom = m_state.m_bShowLineIds ? QMargins(2, 2, 90, 24) : QMargins(2, 2, 2, 2);
    for (const ImageRect& rect : repaint.rects) {
        const DeviceRect d = ScaleToView(rect, m_state.m_fZoom);
        viewport()->update(QRect(QPoint(d.left, d.top), QPoint(d.right, d.bottom)).translated(-scroll) + idRoom);
    }
}

void CVaroView::OnThresholding()
{
    if (!m_doc || m_doc->RefuseIfBusy())
        return;
    CThresholdDlg dialog(m_state.m_lowerColor, m_state.m_upperColor, this);
    if (CVaroApp::instance()->RunModal(dialog) != QDialog::Accepted)
        return;
    m_state.m_lowerColor = dialog.m_lowerColor;
    m_state.m_upperColor = dialog.m_upperColor;
    const std::uint32_t lower = dialog.m_lowerColor, upper = dialog.m_upperColor;
    runCommand(QStringLiteral("Thresholding"), kSnapshotImage, [lower, upper](Document& doc, DesktopPort& port) {
        return ThresholdCommand(doc.m_image, port, lower, upper);
    }, false);
}

void CVaroView::OnShowFilter()
{
    CShowFilterDlg dialog(m_state.GetFilterList(), m_state.m_bFilterMode != 0, this);
    if (CVaroApp::instance()->RunModal(dialog) != QDialog::Accepted || !dialog.m_bChanged)
        return;
    m_state.SetFilterList(dialog.m_filter);
    m_state.m_bFilterMode = dialog.m_bFilterMode ? 1 : 0;
    viewport()->update();
}

void CVaroView::OnImageInformation()
{
    const CBitmapImage& image = m_doc->core().m_image;
    CImageInfoDlg dialog(m_doc->GetPathName(), image.GetWidth(), image.GetHeight(), image.GetBitCount(), this);
    CVaroApp::instance()->RunModal(dialog);
}

void CVaroView::OnVectorInformation()
{
    DesktopPort port(*CVaroApp::instance());
    ShowMessageBox(port, MessageButtons::Ok, "Total number vector lines is %d.", m_doc->core().m_lines.GetLineCount());
}

// --- Mouse -------------------------------------------------------------------------

QColor CVaroView::ColourAt(const QPoint& client)
{
    if (!m_doc)
        return {};
    QImage pixel(1, 1, QImage::Format_RGB32);
    QPainter painter(&pixel);
    const QPoint at = client + scrollPosition();
    painter.translate(-at);
    painter.setFont(font());
    PaintDocument(painter, m_doc->core(), m_state, m_doc->raster(), QRect(at, QSize(1, 1)));
    painter.end();
    return pixel.pixelColor(0, 0);
}

void CVaroView::ShowReadouts(const QPoint& client)
{
    const QPoint image = imagePointAt(client);
    CVaroApp& app = *CVaroApp::instance();
    app.SetStatusText(1, QStringLiteral("X %1, Y %2").arg(image.x()).arg(image.y()));
    const QColor colour = ColourAt(client);
    app.SetStatusText(0, QStringLiteral("R %1, G %2, B %3").arg(colour.red()).arg(colour.green()).arg(colour.blue()));
}

void CVaroView::OnLeftClick(const QPoint& client)
{
    if (!m_doc)
        return;
    if (m_state.m_bEditImageMode) {
        OnPen(client);
    } else if (m_state.m_bZoomMode) {
        ZoomInAt(client);
    } else if (m_state.m_bSelectMode) {
        const QPoint image = imagePointAt(client);
        runEdit({}, false, [image](DesktopPort& port, CLineStore& store, ViewState& view) {
            return SelectLineAt(port, store, view, image.x(), image.y());
        });
    }
}

void CVaroView::OnRightClick(const QPoint& client)
{
    CVaroApp& app = *CVaroApp::instance();
    if (m_state.m_bEditImageMode) {
        m_state.m_bEditImageMode = 0;
        app.SetStatusText(0, QStringLiteral("Edit Image Mode = %1").arg(m_state.m_bEditImageMode));
    } else if (m_state.m_bZoomMode) {
        ZoomOutAt(client);
    } else if (m_state.m_bSelectMode) {
        m_state.m_bSelectMode = 0;
        app.SetStatusText(0, QStringLiteral("Selection mode = %1").arg(m_state.m_bSelectMode));
    }
    updateCursor();
}

void CVaroView::OnPen(const QPoint& client)
{
    if (m_doc->RefuseIfBusy())
        return;
    // The pixel under the cursor: 0-based X, Y is 1-based X + 1, Y + 1.
    const QPoint image = imagePointAt(client);
    const int x = image.x() + 1, y = image.y() + 1;
    Document& core = m_doc->core();
    DocumentSnapshot before = core.TakePixelSnapshot(x, y);
    std::uint8_t red = 0, green = 0, blue = 0;
    const bool painted = core.m_image.SetPixelColor(x, y, 0, 0, 0) == 1;
    core.m_image.GetPixelColor(x, y, red, green, blue);
    const bool changed = painted && !before.pixels.empty() &&
                         !std::equal(before.pixels[0].bytes.begin(), before.pixels[0].bytes.end(),
                                     core.m_image.GetBits() + before.pixels[0].offset);
    if (changed) {
        // A click outside the image, on a pixel that is black already, or on
        // an image whose colours lack black, changes nothing and leaves the
        // document as it was.
        m_doc->RecordChange(QStringLiteral("Pen"), std::move(before));
        m_doc->raster().PixelChanged(core.m_image, image.x(), image.y());
        m_doc->UpdateAllViews(this);
        const float z = m_state.m_fZoom;
        const QPoint scroll = scrollPosition();
        viewport()->update(QRect(QPoint(int((image.x() - 3) * z), int((image.y() - 3) * z)),
                                 QPoint(int((image.x() + 3) * z), int((image.y() + 3) * z)))
                               .translated(-scroll));
        m_doc->SetModifiedFlag(true);
    }
    CVaroApp::instance()->SetStatusText(
        0, QStringLiteral("New value is R %1, G %2, B %3").arg(red).arg(green).arg(blue));
}

void CVaroView::updateCursor()
{
    if (m_state.m_bEditImageMode)
        viewport()->setCursor(Qt::CrossCursor);
    else if (m_state.m_bZoomMode)
        viewport()->setCursor(ZoomCursor());
    else if (m_state.m_bSelectMode)
        viewport()->setCursor(Qt::ArrowCursor);
    else
        viewport()->unsetCursor();
}

void CVaroView::mouseMoveEvent(QMouseEvent* event)
{
    ShowReadouts(event->position().toPoint());
    QAbstractScrollArea::mouseMoveEvent(event);
}

void CVaroView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OnLeftClick(event->position().toPoint());
    QAbstractScrollArea::mousePressEvent(event);
}

void CVaroView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton)
        OnRightClick(event->position().toPoint());
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void CVaroView::toggle(std::int32_t& flag)
{
    flag = !flag;
    viewport()->update();
}

void CVaroView::StepZoomIn() { m_state.m_fZoom = orvane::StepZoomIn(m_state.m_fZoom); }

void CVaroView::StepZoomOut() { m_state.m_fZoom = orvane::StepZoomOut(m_state.m_fZoom); }

void CVaroView::ZoomInAt(const QPoint& at) { SetZoom(orvane::StepZoomIn(m_state.m_fZoom), at); }

void CVaroView::ZoomOutAt(const QPoint& at) { SetZoom(orvane::StepZoomOut(m_state.m_fZoom), at); }

void CVaroView::SetZoom(float zoom, const QPoint& at)
{
    const float old = m_state.m_fZoom;
    const QPoint scroll = scrollPosition();
    m_state.m_fZoom = zoom;
    updateScrollBars();
    const QSize extent = scrollExtent();
    const QSize client = viewport()->size();
    horizontalScrollBar()->setValue(ScrollToKeepPoint(scroll.x(), at.x(), old, zoom, extent.width(), client.width()));
    verticalScrollBar()->setValue(ScrollToKeepPoint(scroll.y(), at.y(), old, zoom, extent.height(), client.height()));
    viewport()->update();
}

void CVaroView::OnZoomReset() { SetZoom(1.0f, viewport()->rect().center()); }

void CVaroView::OnRedraw() { viewport()->update(); }

QPoint CVaroView::scrollPosition() const
{
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

QSize CVaroView::scrollExtent() const
{
    return m_doc ? ImageDeviceRect(m_doc->core(), m_state.m_fZoom).size() : QSize();
}

QPoint CVaroView::imagePointAt(const QPoint& client) const
{
    const QPoint scrolled = client + scrollPosition();
    return {DeviceToImage(scrolled.x(), m_state.m_fZoom), DeviceToImage(scrolled.y(), m_state.m_fZoom)};
}

void CVaroView::updateScrollBars()
{
    const QSize extent = scrollExtent();
    const QSize client = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, extent.width() - client.width()));
    horizontalScrollBar()->setPageStep(std::max(1, client.width()));
    horizontalScrollBar()->setSingleStep(std::max(1, client.width() / 20));
    verticalScrollBar()->setRange(0, std::max(0, extent.height() - client.height()));
    verticalScrollBar()->setPageStep(std::max(1, client.height()));
    verticalScrollBar()->setSingleStep(std::max(1, client.height() / 20));
}

void CVaroView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QPoint scroll = scrollPosition();
    painter.translate(-scroll);
    painter.setFont(font());
    if (!m_doc)
        return;
    PaintDocument(painter, m_doc->core(), m_state, m_doc->raster(), event->rect().translated(scroll));
}

void CVaroView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void CVaroView::scrollContentsBy(int dx, int dy) { viewport()->scroll(dx, dy); }

void CVaroView::OnFilePrint()
{
    QPrintDialog dialog(&CVaroApp::instance()->printer(), this);
    if (dialog.exec() == QDialog::Accepted)
        Print(CVaroApp::instance()->printer());
}

void CVaroView::OnFilePrintPreview()
{
    QPrintPreviewDialog preview(&CVaroApp::instance()->printer(), this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* printer) { Print(*printer); });
    preview.exec();
}

void CVaroView::Print(QPrinter& printer)
{
    if (!m_doc)
        return;
    QPainter painter(&printer);
    if (!painter.isActive())
        return;
    const CBitmapImage& image = m_doc->core().m_image;
    if (image.IsEmpty())
        return;
    // The image as large as the page allows: drawn at the zoom level nearest
    // below that size, then scaled up to it, so the lines look as on screen.
    const QRect page = painter.viewport();
    const double scale = std::min(double(page.width()) / image.GetWidth(), double(page.height()) / image.GetHeight());
    ViewState printed = m_state;
    printed.m_fZoom = levelAtMost(scale);
    const double stretch = scale / printed.m_fZoom;
    painter.scale(stretch, stretch);
    QFont idFont = font();
    idFont.setPointSizeF(8.0 / stretch);
    painter.setFont(idFont);
    ImageRaster raster;
    PaintDocument(painter, m_doc->core(), printed, raster, ImageDeviceRect(m_doc->core(), printed.m_fZoom));
}

} // namespace orvane::app
