// The window tree: every window of the process with its class, styles, geometry and state.
// One lock guards the whole tree; no window procedure, backend or GDI call runs under it.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/gdi/surface.h"
#include "platform/win32/api.h"
#include "platform/window/nonclient.h"

namespace platform::window {

struct ThreadQueue;

enum class WindowKind { Generic, Dialog, Static, ListBox };

struct Window {
    HWND handle = nullptr;
    HWND parent = nullptr;
    std::vector<HWND> children; // top of the Z order first
    std::u16string className;
    WindowKind kind = WindowKind::Generic;
    LONG style = 0;
    LONG exStyle = 0;
    int id = 0;
    // Window rectangle: screen coordinates for a top-level window, the parent's client
    // coordinates for a child.
    RECT rect{0, 0, 0, 0};
    // Frame and caption as last computed; Win32 keeps them until the window is sized or its
    // frame is declared changed, whatever SetWindowLongW does to the style meanwhile.
    NonClient nonClient;
    std::u16string text;
    WNDPROC proc = nullptr;
    LONG_PTR userData = 0;
    std::shared_ptr<ThreadQueue> owner;

    // Update region, kept as its bounding rectangle in client coordinates.
    bool invalid = false;
    bool eraseNeeded = false;
    RECT invalidRect{0, 0, 0, 0};

    RECT normalRect{0, 0, 0, 0}; // where SW_RESTORE puts the window back
    bool restoreToMaximized = false;

    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    HMENU systemMenu = nullptr;
    std::vector<std::u16string> listItems;

    // Top-level windows only: the client-area pixels, and what was last presented.
    std::shared_ptr<gdi::Surface> surface;
    uint64_t presentedVersion = ~uint64_t{0};
    bool presentWanted = false;

    bool destroying = false;
};

std::mutex& TreeMutex();

// The window, or null for an unknown or destroyed handle. Caller holds TreeMutex().
Window* FindLocked(HWND hwnd);
// Top-level windows in creation order. Caller holds TreeMutex().
const std::vector<HWND>& TopLevelLocked();

HWND AddWindowLocked(std::unique_ptr<Window> window);
void RemoveWindowLocked(HWND hwnd);

// Geometry, all under TreeMutex().
SIZE ClientSizeLocked(const Window& w);
// The client area's origin in screen coordinates.
POINT ClientOriginOnScreenLocked(const Window& w);
// The client area in screen coordinates.
RECT ClientRectOnScreenLocked(const Window& w);
RECT WindowRectOnScreenLocked(const Window& w);
bool IsVisibleLocked(const Window& w); // the window and all its ancestors have WS_VISIBLE
Window* TopLevelOfLocked(Window* w);

// Called (outside the lock) when a window is gone, e.g. to drop framework wrappers.
void AddDestroyListener(std::function<void(HWND)> listener);
void NotifyDestroyed(HWND hwnd);

} // namespace platform::window
