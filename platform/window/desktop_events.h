// What the desktop reports, turned into window messages of the window's thread.
#pragma once

#include "platform/backend/backend.h"

namespace platform::window {

// Callbacks for Backend::pumpEvents on the user-interface thread. They only queue work for that
// thread (PostToUiThread): the messages are sent after pumpEvents returned, so a handler may run
// a loop of its own.
const BackendEvents& DesktopEvents();

// The window that takes a click at `point` (client coordinates of `hwnd`): the topmost
// visible, enabled child under it that takes mouse input, else `hwnd` itself. A Static
// without SS_NOTIFY is transparent to the mouse. `point` comes back in the target's client
// coordinates.
HWND MouseTarget(HWND hwnd, POINT& point);

} // namespace platform::window
