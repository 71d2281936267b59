// Command routing: how a window, document or the application says whether
// it handles a command, and how a command's menu item and button look.
#pragma once

#include <QString>

namespace orvane::app {

/// The state a handler gives a command's menu item and toolbar button.
struct CmdUI {
    bool enabled = true;
    bool checked = false;
    QString text; ///< a menu text to show instead of the usual one (empty: the usual)
};

/// Something on the command route (view, document, frame, application).
/// OnCmdMsg(id, nullptr) runs the command; OnCmdMsg(id, &ui) only fills in
/// its state. Either way the result is true when this target handles the
/// id, which ends the route.
class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    virtual bool OnCmdMsg(int id, CmdUI* ui) = 0;
};

} // namespace orvane::app
