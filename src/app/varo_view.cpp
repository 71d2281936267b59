// The view: drawing, zoom, scrolling, display switches and printing.
#include "app/varo_view.h"

#include "app/command_table.h"
#include "app/varo_app.h"
#include "app/varo_doc.h"
#include "app/view_painter.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

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
    m_doc->AddView(this);
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
        return true;
    case ID_ZOOM_IN:
        return command([this] { SetZoom(orvane::StepZoomIn(orvane::StepZoomIn(m_state.m_fZoom)), viewport()->rect().center()); });
    case ID_ZOOM_OUT:
        return command([this] { SetZoom(orvane::StepZoomOut(orvane::StepZoomOut(m_state.m_fZoom)), viewport()->rect().center()); });
    case ID_ZOOM_RESET: return command([this] { OnZoomReset(); });
    case ID_REDRAW: return command([this] { OnRedraw(); });
    case ID_FILE_PRINT: return command([this] { OnFilePrint(); });
    case ID_FILE_PRINT_PREVIEW: return command([this] { OnFilePrintPreview(); });
    default: return false;
    }
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
