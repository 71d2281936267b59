// The command line's port: messages to stderr prefixed with the input's
// name, a progress bar on stderr when it is a terminal.
#pragma once

#include "port/port.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>

namespace orvane::cli {

/// What all inputs of one run share: the stream, its lock and the switches.
struct Terminal {
    std::FILE* err = stderr;
    std::mutex lock;
    bool quiet = false;    ///< errors only
    bool verbose = false;  ///< also the status texts
    bool showProgress = false; ///< draw progress bars (stderr is a terminal)
    std::atomic<bool> interrupted{false}; ///< the user pressed Ctrl-C: cancel what runs
};

/// One input's port. Questions take their first button (OK, or Yes).
class CliPort final : public Port {
public:
    CliPort(Terminal& terminal, std::string input) : m_terminal(terminal), m_input(std::move(input)) {}

    MessageAnswer showMessage(std::string_view text, MessageButtons buttons) override;
    void showStatus(StatusPane pane, std::string_view text) override;
    void progressOpen(std::string_view title) override;
    void progressStatus(std::string_view) override {}
    void progressRange(std::uint16_t upper) override { m_upper = upper; }
    void progressPos(int position) override;
    bool CheckCancel() override { return m_terminal.interrupted.load(); }
    bool CheckCancelRepeatedly(long) override { return m_terminal.interrupted.load(); }
    void progressClose() override;

    /// Writes "orvane-cli: INPUT: text" to stderr, even when quiet.
    void error(std::string_view text);
    /// Writes "INPUT: text" to stderr unless quiet: something the user
    /// should know that is not a failure.
    void note(std::string_view text);
    /// The last text the core wrote to the message pane (its failure text
    /// names the step that failed).
    const std::string& lastStatus() const { return m_lastStatus; }

private:
    void drawBar(int percent);

    Terminal& m_terminal;
    std::string m_input;
    std::string m_title;
    std::string m_lastStatus;
    std::uint16_t m_upper = 0;
    int m_lastPercent = -1;
};

} // namespace orvane::cli
