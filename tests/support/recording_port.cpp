// The recording port used by tests.
#include "support/recording_port.h"

#include <algorithm>

namespace orvane {

using Kind = PortEvent::Kind;

MessageAnswer RecordingPort::showMessage(std::string_view text, MessageButtons buttons)
{
    m_events.push_back({Kind::Message, std::string(text), 0, buttons, StatusPane::Message});
    if (m_answers.empty())
        return firstButtonAnswer(buttons);
    MessageAnswer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void RecordingPort::showStatus(StatusPane pane, std::string_view text)
{
    m_events.push_back({Kind::Status, std::string(text), 0, MessageButtons::Ok, pane});
}

void RecordingPort::progressOpen(std::string_view title)
{
    m_events.push_back({Kind::ProgressOpen, std::string(title)});
}

void RecordingPort::progressStatus(std::string_view text)
{
    m_events.push_back({Kind::ProgressStatus, std::string(text)});
}

void RecordingPort::progressRange(std::uint16_t upper)
{
    m_events.push_back({Kind::ProgressRange, {}, upper});
}

void RecordingPort::progressPos(int position) { m_events.push_back({Kind::ProgressPos, {}, position}); }

bool RecordingPort::CheckCancel()
{
    ++m_checks;
    bool cancelled = m_cancelFrom > 0 && m_checks >= m_cancelFrom;
    m_events.push_back({Kind::Check, {}, cancelled ? 1 : 0});
    return cancelled;
}

void RecordingPort::progressClose() { m_events.push_back({Kind::ProgressClose}); }

void RecordingPort::scriptAnswers(std::initializer_list<MessageAnswer> answers)
{
    m_answers.insert(m_answers.end(), answers.begin(), answers.end());
}

std::vector<std::string> RecordingPort::messages() const
{
    std::vector<std::string> out;
    for (const PortEvent& e : m_events)
        if (e.kind == Kind::Message)
            out.push_back(e.text);
    return out;
}

std::vector<std::string> RecordingPort::statusTexts(StatusPane pane) const
{
    std::vector<std::string> out;
    for (const PortEvent& e : m_events)
        if (e.kind == Kind::Status && e.pane == pane)
            out.push_back(e.text);
    return out;
}

std::string RecordingPort::lastStatus() const
{
    std::vector<std::string> texts = statusTexts(StatusPane::Message);
    return texts.empty() ? std::string() : texts.back();
}

std::vector<std::string> RecordingPort::progressTexts() const
{
    std::vector<std::string> out;
    for (const PortEvent& e : m_events)
        if (e.kind == Kind::ProgressOpen || e.kind == Kind::ProgressStatus)
            out.push_back(e.text);
    return out;
}

std::vector<int> RecordingPort::positions() const
{
    std::vector<int> out;
    for (const PortEvent& e : m_events)
        if (e.kind == Kind::ProgressPos)
            out.push_back(e.value);
    return out;
}

std::vector<PortEvent> RecordingPort::eventsOf(std::initializer_list<Kind> kinds) const
{
    std::vector<PortEvent> out;
    for (const PortEvent& e : m_events)
        if (std::find(kinds.begin(), kinds.end(), e.kind) != kinds.end())
            out.push_back(e);
    return out;
}

} // namespace orvane
