// Formatting front ends of the platform port.
#include "port/port.h"

#include <cstdarg>
#include <cstdio>

namespace orvane {
namespace {

/// Longest text a status or message call shows; longer texts are cut.
constexpr std::size_t kMaxText = 255;

std::string_view formatInto(char (&buffer)[kMaxText + 1], const char* format, std::va_list args)
{
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    if (n < 0)
        return {};
    return {buffer, static_cast<std::size_t>(n) < kMaxText ? static_cast<std::size_t>(n) : kMaxText};
}

StatusPane paneFromNumber(int pane)
{
    switch (pane) {
    case 1: return StatusPane::Coordinates;
    case 2: return StatusPane::Caps;
    case 3: return StatusPane::Num;
    case 4: return StatusPane::Scroll;
    default: return StatusPane::Message;
    }
}

} // namespace

MessageAnswer firstButtonAnswer(MessageButtons buttons)
{
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Yes;
}

bool Port::CheckCancelRepeatedly(long count)
{
    for (long i = 0; i < count; ++i)
        if (CheckCancel())
            return true;
    return false;
}

MessageAnswer SilentPort::showMessage(std::string_view, MessageButtons buttons)
{
    return firstButtonAnswer(buttons);
}

MessageAnswer ShowMessageBox(Port& port, MessageButtons buttons, const char* format, ...)
{
    char buffer[kMaxText + 1];
    std::va_list args;
    va_start(args, format);
    std::string_view text = formatInto(buffer, format, args);
    va_end(args);
    return port.showMessage(text, buttons);
}

void SetStatusText(Port* port, int pane, const char* format, ...)
{
    if (!port)
        return;
    char buffer[kMaxText + 1];
    std::va_list args;
    va_start(args, format);
    std::string_view text = formatInto(buffer, format, args);
    va_end(args);
    port->showStatus(paneFromNumber(pane), text);
}

ProgressSession::ProgressSession(Port& port, std::string_view title) : m_port(port)
{
    m_port.progressOpen(title);
}

ProgressSession::~ProgressSession() { m_port.progressClose(); }

} // namespace orvane
