// Where a window's pixels lie in its top-level window's surface, for GDI and for the
// controls' own painting.
#pragma once

#include "platform/gdi/target.h"
#include "platform/window/window_tree.h"

namespace platform::window {

// Fills `out` for the window's client area (or its whole window rectangle with
// `withNonClient`), clipped to every ancestor's client area and to the surface. A hidden
// window, or one in a minimised top-level window, gets an empty clip. Caller holds the lock.
bool TargetOfLocked(Window& w, bool withNonClient, gdi::DrawTarget& out);

// Registers the resolver and drawn-notifier with GDI (once).
void ConnectToGdi();

// Paints straight into the surface, inside the target's clip; `rect` is in the coordinates
// the target's origin defines. `frameOnly` draws just the rectangle's 1-pixel outline.
void FillTarget(const gdi::DrawTarget& target, RECT rect, COLORREF colour, bool frameOnly);

} // namespace platform::window
