// The platform port: everything the core needs of a user interface.
//
// The core never talks to a window system. It shows messages, asks
// questions, writes status texts and drives a progress display through this
// one interface. The desktop shell adapts it to Qt, the command line to a
// terminal, and the tests to a recorder (recording_port.h).
#pragma once

#include <cstdint>
#include <string_view>

namespace orvane {

/// The button sets a message box offers.
enum class MessageButtons { Ok, YesNo, YesNoCancel };

/// What the user answered; a box with only OK always answers Ok.
enum class MessageAnswer { Ok, Yes, No, Cancel };

/// The panes of the status bar a status text can go to.
enum class StatusPane { Message, Coordinates, Caps, Num, Scroll };

/// A user interface as the core sees it. Every call happens on the thread
/// that runs the operation; an implementation may process pending user
/// events inside CheckCancel (and only there).
class Port {
public:
    virtual ~Port() = default;

    /// Shows a modal message and returns the user's answer.
    virtual MessageAnswer showMessage(std::string_view text, MessageButtons buttons) = 0;

    /// Replaces the text of one status pane at once.
    virtual void showStatus(StatusPane pane, std::string_view text) = 0;

    // The progress display of a long operation, used in this order:
    // progressOpen, then any number of progressStatus / progressRange /
    // progressPos / CheckCancel, then progressClose. Each open starts a fresh
    // display whose cancel state is clear.

    /// Shows the progress display with its title.
    virtual void progressOpen(std::string_view title) = 0;
    /// Replaces the one-line stage text under the title.
    virtual void progressStatus(std::string_view text) = 0;
    /// Sets the bar's range to 0..upper.
    virtual void progressRange(std::uint16_t upper) = 0;
    /// Moves the bar to a position within the range.
    virtual void progressPos(int position) = 0;
    /// Lets the user interface process pending events; returns true once the
    /// user has asked to cancel the running operation.
    virtual bool CheckCancel() = 0;
    /// Asks CheckCancel up to `count` times in a row, stopping at the first
    /// answer that reports a cancel; returns true when one did. For loops
    /// that check very often with no other effect in between (once per tap
    /// of a filter); a port whose check has nothing to process may answer at
    /// once without asking each time.
    virtual bool CheckCancelRepeatedly(long count);
    /// Removes the progress display.
    virtual void progressClose() = 0;
};

/// A port that shows nothing, answers every question with its first button
/// and never cancels. For callers that have no user to talk to.
class SilentPort final : public Port {
public:
    MessageAnswer showMessage(std::string_view, MessageButtons buttons) override;
    void showStatus(StatusPane, std::string_view) override {}
    void progressOpen(std::string_view) override {}
    void progressStatus(std::string_view) override {}
    void progressRange(std::uint16_t) override {}
    void progressPos(int) override {}
    bool CheckCancel() override { return false; }
    bool CheckCancelRepeatedly(long) override { return false; }
    void progressClose() override {}
};

/// The answer a box's first button gives: Ok for OK, Yes otherwise.
MessageAnswer firstButtonAnswer(MessageButtons buttons);

/// Formats a text by printf rules, truncated to 255 characters, and shows it
/// in a message box. Returns the answer.
MessageAnswer ShowMessageBox(Port& port, MessageButtons buttons, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

/// Formats a status text by printf rules into at most 255 characters and
/// shows it in a pane: 0 the message pane, 1 the coordinate pane, 2, 3 and 4
/// the CAPS, NUM and SCRL panes; any other number the message pane. With no
/// port (no user interface yet) it does nothing.
void SetStatusText(Port* port, int pane, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

/// Owns one progress display for the length of an operation: opens it with
/// a title, and closes it when the operation's scope ends, however it ends.
class ProgressSession {
public:
    ProgressSession(Port& port, std::string_view title);
    ~ProgressSession();
    ProgressSession(const ProgressSession&) = delete;
    ProgressSession& operator=(const ProgressSession&) = delete;

    void setStatus(std::string_view text) { m_port.progressStatus(text); }
    /// Sets the range to 0..count; the count is taken as 16 bits, so 65536
    /// and more wrap around to their low 16 bits.
    void setRange(long count) { m_port.progressRange(static_cast<std::uint16_t>(count & 0xFFFF)); }
    void setPos(int position) { m_port.progressPos(position); }
    /// True once the user has cancelled.
    bool CheckCancel() { return m_port.CheckCancel(); }
    Port& port() { return m_port; }

private:
    Port& m_port;
};

} // namespace orvane
