// A port that records what a user would have seen, for tests and for replay.
#pragma once

#include "port/port.h"

#include <deque>
#include <string>
#include <vector>

namespace orvane {

/// One thing the core did to the user interface.
struct PortEvent {
    enum class Kind { Message, Status, ProgressOpen, ProgressStatus, ProgressRange, ProgressPos, Check, ProgressClose };

    Kind kind = Kind::Message;
    std::string text{}; ///< message, status, title or stage text
    int value = 0;     ///< range upper bound, position, or 1 when a check answered "cancel"
    MessageButtons buttons = MessageButtons::Ok; ///< for Message
    StatusPane pane = StatusPane::Message;       ///< for Status

    bool operator==(const PortEvent&) const = default;
};

/// Records every call in order. Questions are answered from a script (the
/// first button once the script is used up) and a cancel can be scripted to
/// start at the Nth CheckCancel.
class RecordingPort final : public Port {
public:
    MessageAnswer showMessage(std::string_view text, MessageButtons buttons) override;
    void showStatus(StatusPane pane, std::string_view text) override;
    void progressOpen(std::string_view title) override;
    void progressStatus(std::string_view text) override;
    void progressRange(std::uint16_t upper) override;
    void progressPos(int position) override;
    bool CheckCancel() override;
    void progressClose() override;

    /// Queues answers for the next questions, in order.
    void scriptAnswers(std::initializer_list<MessageAnswer> answers);
    /// From the nth CheckCancel on (counting from 1 over the recorder's whole
    /// life) the user has cancelled; 0 means never.
    void cancelFromCheck(int n) { m_cancelFrom = n; }
    int checkCount() const { return m_checks; }

    const std::vector<PortEvent>& events() const { return m_events; }
    void clear() { m_events.clear(); }

    /// The texts of the message boxes shown, in order.
    std::vector<std::string> messages() const;
    /// The texts written to one status pane, in order.
    std::vector<std::string> statusTexts(StatusPane pane = StatusPane::Message) const;
    /// The last text of the message pane, or "" when none was written.
    std::string lastStatus() const;
    /// Titles and stage texts of the progress display, in order.
    std::vector<std::string> progressTexts() const;
    /// Progress positions, in order.
    std::vector<int> positions() const;
    /// Events of the given kinds only, in order.
    std::vector<PortEvent> eventsOf(std::initializer_list<PortEvent::Kind> kinds) const;

private:
    std::vector<PortEvent> m_events;
    std::deque<MessageAnswer> m_answers;
    int m_cancelFrom = 0;
    int m_checks = 0;
};

} // namespace orvane
