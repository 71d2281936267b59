// The progress display of one image operation, with its cancel state.
#pragma once

#include "port/port.h"

#include <string_view>

namespace orvane {

/// Opens a progress display for the length of an operation and remembers
/// whether the user has cancelled. Every check asks the port (so the user
/// interface stays alive and every check point is visible to a recorder);
/// once a check has reported a cancel the operation stays cancelled.
class OperationProgress {
public:
    OperationProgress(Port& port, std::string_view title) : m_session(port, title) {}

    void setStatus(std::string_view text) { m_session.setStatus(text); }
    void setRange(long count) { m_session.setRange(count); }
    void setPos(int position)
    {
        m_pos = position;
        m_session.setPos(position);
    }
    /// Moves to one more than the last position set.
    void nextPos() { setPos(m_pos + 1); }

    /// One check point: asks the port and returns true once cancelled.
    bool check()
    {
        const bool answer = m_session.CheckCancel();
        m_cancelled = m_cancelled || answer;
        return m_cancelled;
    }
    /// `count` check points in a row, ending at the first that cancels.
    bool checkRepeatedly(long count)
    {
        if (count <= 0)
            return m_cancelled;
        const bool answer = m_session.port().CheckCancelRepeatedly(count);
        m_cancelled = m_cancelled || answer;
        return m_cancelled;
    }
    /// Whether a check has reported a cancel, without asking again.
    bool cancelled() const { return m_cancelled; }
    Port& port() { return m_session.port(); }

private:
    ProgressSession m_session;
    int m_pos = 0;
    bool m_cancelled = false;
};

} // namespace orvane
