// What the desktop reports, turned into window messages of the window's thread.
#pragma once

#include <memory>

#include "platform/backend/backend.h"
#include "platform/window/thread_queue.h"

namespace platform::window {

// Callbacks for Backend::pumpEvents on this thread. They only queue work: the messages are
// sent after pumpEvents returned, so a handler may run a loop of its own.
const BackendEvents& DesktopEventsFor(const std::shared_ptr<ThreadQueue>& queue);

// The window that takes a click at `point` (client coordinates of `hwnd`): the topmost
// visible, enabled child under it that takes mouse input, else `hwnd` itself. A Static
// without SS_NOTIFY is transparent to the mouse. `point` comes back in the target's client
// coordinates.
HWND MouseTarget(HWND hwnd, POINT& point);

} // namespace platform::window
