// Where a window's device context draws: the window manager tells GDI through a resolver, so
// GDI needs nothing else from it.
#pragma once

#include <functional>
#include <memory>

#include "platform/gdi/surface.h"
#include "platform/win32/types.h"

namespace platform::gdi {

struct DrawTarget {
    std::shared_ptr<Surface> surface; // the top-level window's surface
    POINT origin{0, 0};               // the window's client (0, 0) in surface pixels
    RECT clip{0, 0, 0, 0};            // the window's client area in surface pixels
};

// Fills `out` for a live window and returns true; false for an unknown or destroyed one.
using WindowTargetResolver = std::function<bool(HWND, DrawTarget& out)>;
// Called after a drawing through a window's device context ends (ReleaseDC, EndPaint).
using WindowDrawnNotifier = std::function<void(HWND)>;

void SetWindowTargetResolver(WindowTargetResolver resolver, WindowDrawnNotifier notifier);

// The surface a device context draws into, and its clip rectangle there (for tests and
// screenshots). Returns null for an invalid DC.
std::shared_ptr<Surface> SurfaceOfDC(HDC dc, RECT* clip = nullptr);

// Icons: `pixels` are width x height words 0xAARRGGBB, top row first. DrawIcon blends them
// by their alpha. Destroyed with DestroyIcon.
HICON CreateIconFromPixels(int width, int height, const uint32_t* pixels);
// The icon's pixels (as a surface of 0xAARRGGBB words), or null for an invalid handle.
std::shared_ptr<const Surface> IconPixels(HICON icon);

} // namespace platform::gdi
