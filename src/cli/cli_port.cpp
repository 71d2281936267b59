// The command line's port.
#include "cli/cli_port.h"

#include <algorithm>

namespace orvane::cli {
namespace {

/// A message box text on one line: line breaks become spaces, and the
/// trailing ones go.
std::string oneLine(std::string_view text)
{
    std::string out(text);
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    for (char& c : out)
        if (c == '\n')
            c = ' ';
    return out;
}

} // namespace

MessageAnswer CliPort::showMessage(std::string_view text, MessageButtons buttons)
{
    error(oneLine(text));
    return firstButtonAnswer(buttons);
}

void CliPort::error(std::string_view text)
{
    std::lock_guard guard(m_terminal.lock);
    if (m_lastPercent >= 0)
        std::fputc('\n', m_terminal.err);
    m_lastPercent = -1;
    std::fprintf(m_terminal.err, "orvane-cli: %s: %.*s\n", m_input.c_str(), int(text.size()), text.data());
}

void CliPort::note(std::string_view text)
{
    if (m_terminal.quiet)
        return;
    std::lock_guard guard(m_terminal.lock);
    if (m_lastPercent >= 0)
        std::fputc('\n', m_terminal.err);
    m_lastPercent = -1;
    std::fprintf(m_terminal.err, "%s: %.*s\n", m_input.c_str(), int(text.size()), text.data());
}

void CliPort::showStatus(StatusPane pane, std::string_view text)
{
    if (pane == StatusPane::Message && !text.empty())
        m_lastStatus = text;
    if (!m_terminal.verbose || m_terminal.quiet || pane != StatusPane::Message || text.empty())
        return;
    std::lock_guard guard(m_terminal.lock);
    std::fprintf(m_terminal.err, "%s: %.*s\n", m_input.c_str(), int(text.size()), text.data());
}

void CliPort::progressOpen(std::string_view title)
{
    m_title = title;
    m_upper = 0;
    m_lastPercent = -1;
}

void CliPort::progressPos(int position)
{
    if (!m_terminal.showProgress || m_terminal.quiet || m_upper == 0)
        return;
    const int percent = std::min(100, std::max(0, position * 100 / m_upper));
    if (percent != m_lastPercent)
        drawBar(percent);
}

void CliPort::drawBar(int percent)
{
    std::lock_guard guard(m_terminal.lock);
    constexpr int kWidth = 30;
    const int filled = percent * kWidth / 100;
    std::fprintf(m_terminal.err, "\r\033[K%s: %-22s [%.*s%*s] %3d%%", m_input.c_str(), m_title.c_str(), filled,
                 "##############################", kWidth - filled, "", percent);
    std::fflush(m_terminal.err);
    m_lastPercent = percent;
}

void CliPort::progressClose()
{
    if (m_lastPercent < 0)
        return;
    std::lock_guard guard(m_terminal.lock);
    std::fputs("\r\033[K", m_terminal.err);
    std::fflush(m_terminal.err);
    m_lastPercent = -1;
}

} // namespace orvane::cli
