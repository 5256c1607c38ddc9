// Update regions: what needs WM_PAINT, and in which order.
#pragma once

#include "platform/window/thread_queue.h"
#include "platform/window/window_tree.h"

namespace platform::window {

// Adds `rect` (client coordinates; null for all of it) to the window's update region, and
// to its children's when the window lacks WS_CLIPCHILDREN, as Win32 does. Caller holds the
// lock.
void InvalidateLocked(Window& w, const RECT* rect, bool erase);
// The area a child covers in its parent, after the child moved or was hidden.
void InvalidateParentAreaLocked(Window& child, const RECT& rectInParent);

// The first window of the queue's thread that needs painting: a parent before its children.
bool NextPaintMessage(ThreadQueue& queue, MSG& msg);

} // namespace platform::window
