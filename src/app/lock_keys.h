// The state of the Caps Lock, Num Lock and Scroll Lock keys, for the status
// bar's indicators. Read from the keyboard lights the system exposes; a
// system that exposes none reports every key off.
#pragma once

namespace orvane::app {

struct LockKeys {
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

LockKeys ReadLockKeys();

} // namespace orvane::app
