// The core's port in the desktop program: message boxes, the status bar
// and the progress dialog.
#pragma once

#include "port/port.h"

#include <QElapsedTimer>

#include <memory>

namespace orvane::app {

class CProgressDlg;
class CVaroApp;

/// One port per command: a long operation opens its own progress dialog,
/// which goes when the operation (or, at the latest, the port) ends. Once
/// the user cancels, every later check of the command reports the cancel,
/// also in the next progress dialog the command opens.
class DesktopPort final : public Port {
public:
    explicit DesktopPort(CVaroApp& app);
    ~DesktopPort() override;

    MessageAnswer showMessage(std::string_view text, MessageButtons buttons) override;
    void showStatus(StatusPane pane, std::string_view text) override;
    void progressOpen(std::string_view title) override;
    void progressStatus(std::string_view text) override;
    void progressRange(std::uint16_t upper) override;
    void progressPos(int position) override;
    /// Lets the window process what is pending (at most every few
    /// hundredths of a second, so that operations that check very often
    /// stay fast) and says whether the user has cancelled.
    bool CheckCancel() override;
    bool CheckCancelRepeatedly(long count) override;
    void progressClose() override;

    /// The open progress dialog, or null.
    CProgressDlg* progressDialog() const { return m_dialog.get(); }

private:
    CVaroApp& m_app;
    std::unique_ptr<CProgressDlg> m_dialog;
    QElapsedTimer m_sinceEvents;
    bool m_cancelled = false;
};

} // namespace orvane::app
