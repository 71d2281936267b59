// The desktop port.
#include "app/desktop_port.h"

#include "app/main_frame.h"
#include "app/progress_dlg.h"
#include "app/varo_app.h"

#include <QCoreApplication>

namespace orvane::app {
namespace {

/// How long an operation may keep the window from processing its events.
constexpr qint64 kEventIntervalMs = 40;

QString toQString(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

} // namespace

DesktopPort::DesktopPort(CVaroApp& app) : m_app(app) {}

DesktopPort::~DesktopPort() = default;

MessageAnswer DesktopPort::showMessage(std::string_view text, MessageButtons buttons)
{
    return m_app.MessageBox(toQString(text), buttons);
}

void DesktopPort::showStatus(StatusPane pane, std::string_view text)
{
    m_app.SetStatusText(int(pane), toQString(text));
}

void DesktopPort::progressOpen(std::string_view title)
{
    m_dialog = std::make_unique<CProgressDlg>(m_app.mainFrame());
    m_dialog->setWindowTitle(toQString(title));
    m_dialog->show();
    m_dialog->repaint();
    // A cancel lasts for the whole command: One-Touch's tracing must not
    // start after its thinning was cancelled.
    m_sinceEvents.invalidate();
}

void DesktopPort::progressStatus(std::string_view text)
{
    if (m_dialog)
        m_dialog->SetStatus(toQString(text));
}

void DesktopPort::progressRange(std::uint16_t upper)
{
    if (m_dialog)
        m_dialog->SetRange(upper);
}

void DesktopPort::progressPos(int position)
{
    if (m_dialog)
        m_dialog->SetPos(position);
}

bool DesktopPort::CheckCancel()
{
    if (m_app.m_checkHook)
        m_app.m_checkHook(m_dialog.get());
    if (!m_sinceEvents.isValid() || m_sinceEvents.elapsed() >= kEventIntervalMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        m_sinceEvents.start();
    }
    if (m_dialog && m_dialog->m_bCancel)
        m_cancelled = true;
    return m_cancelled;
}

bool DesktopPort::CheckCancelRepeatedly(long count)
{
    // Nothing happens between these checks, so one answer serves them all.
    return count > 0 ? CheckCancel() : m_cancelled;
}

void DesktopPort::progressClose() { m_dialog.reset(); }

} // namespace orvane::app
