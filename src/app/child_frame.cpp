// The child frame.
#include "app/child_frame.h"

#include "app/varo_doc.h"
#include "app/varo_view.h"

#include <QApplication>
#include <QCloseEvent>

namespace orvane::app {

CChildFrame::CChildFrame(CVaroView* view, QWidget* parent) : QMdiSubWindow(parent), m_view(view)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(view);
    setWindowIcon(QApplication::windowIcon());
    UpdateTitle();
}

CVaroDoc* CChildFrame::document() const { return m_view->GetDocument(); }

bool CChildFrame::CloseWithoutAsking()
{
    m_questionsAsked = true;
    const bool closed = close();
    m_questionsAsked = false;
    return closed;
}

void CChildFrame::UpdateTitle()
{
    CVaroDoc* doc = document();
    if (!doc)
        return;
    QString title = doc->GetTitle();
    const auto& views = doc->views();
    if (views.size() > 1)
        title += QStringLiteral(":%1").arg(views.indexOf(m_view) + 1);
    setWindowTitle(title + QStringLiteral("[*]"));
    setWindowModified(doc->IsModified());
}

void CChildFrame::closeEvent(QCloseEvent* event)
{
    CVaroDoc* doc = document();
    if (doc) {
        const bool mayClose = m_questionsAsked ? !doc->RefuseIfBusy() : doc->CanCloseFrame(this);
        if (!mayClose) {
            event->ignore();
            return;
        }
        m_view->DetachFromDocument();
    }
    QMdiSubWindow::closeEvent(event);
}

} // namespace orvane::app
