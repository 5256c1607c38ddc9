#include "platform/window/desktop_events.h"

#include <mutex>

#include "platform/win32/api.h"
#include "platform/win32/constants.h"
#include "platform/window/placement.h"
#include "platform/window/ui_thread.h"
#include "platform/window/window_tree.h"

namespace platform::window {
namespace {

bool TakesMouse(const Window& w) {
    if (!(w.style & WS_VISIBLE) || (w.style & WS_DISABLED))
        return false;
    return !(w.kind == WindowKind::Static && !(w.style & SS_NOTIFY));
}

void ClientResized(HWND hwnd, int width, int height) {
    RECT rect;
    {
        std::lock_guard lock(TreeMutex());
        Window* w = FindLocked(hwnd);
        if (!w)
            return;
        rect = w->rect;
        rect.right = rect.left + w->nonClient.left + width + w->nonClient.right;
        rect.bottom = rect.top + w->nonClient.top + height + w->nonClient.bottom;
    }
    Place(hwnd, rect, kFromDesktop);
}

void ClientMoved(HWND hwnd, int x, int y) {
    RECT rect;
    {
        std::lock_guard lock(TreeMutex());
        Window* w = FindLocked(hwnd);
        if (!w)
            return;
        const int dx = x - (w->rect.left + w->nonClient.left);
        const int dy = y - (w->rect.top + w->nonClient.top);
        rect = {w->rect.left + dx, w->rect.top + dy, w->rect.right + dx, w->rect.bottom + dy};
    }
    Place(hwnd, rect, kFromDesktop);
}

void Mouse(HWND hwnd, UINT message, int x, int y) {
    POINT point{x, y};
    HWND target = MouseTarget(hwnd, point);
    if (target)
        PostMessageW(target, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                     MAKELPARAM(point.x, point.y));
}

// Keys go to the top-level window: no control of ours takes the keyboard focus.
void Key(HWND hwnd, UINT virtualKey, bool down) {
    LPARAM flags = 1; // repeat count
    if (!down)
        flags |= (LPARAM)0xC0000000u; // previous state down, released
    PostMessageW(hwnd, down ? WM_KEYDOWN : WM_KEYUP, virtualKey, flags);
}

} // namespace

HWND MouseTarget(HWND hwnd, POINT& point) {
    std::lock_guard lock(TreeMutex());
    Window* w = FindLocked(hwnd);
    if (!w)
        return nullptr;
    for (bool descended = true; descended;) {
        descended = false;
        for (HWND child : w->children) {
            Window* c = FindLocked(child);
            if (!c || !TakesMouse(*c))
                continue;
            if (point.x >= c->rect.left && point.x < c->rect.right && point.y >= c->rect.top &&
                point.y < c->rect.bottom) {
                point.x -= c->rect.left + c->nonClient.left;
                point.y -= c->rect.top + c->nonClient.top;
                w = c;
                descended = true;
                break;
            }
        }
    }
    return w->handle;
}

const BackendEvents& DesktopEvents() {
    thread_local BackendEvents events;
    thread_local bool made = false;
    if (made)
        return events;
    made = true;
    auto later = [](std::function<void()> work) { PostToUiThread(std::move(work)); };
    events.closeRequested = [later](HWND h) {
        later([h] { SendMessageW(h, WM_SYSCOMMAND, SC_CLOSE, 0); });
    };
    events.resized = [later](HWND h, int width, int height) {
        later([=] { ClientResized(h, width, height); });
    };
    events.moved = [later](HWND h, int x, int y) { later([=] { ClientMoved(h, x, y); }); };
    events.minimized = [later](HWND h) { later([h] { ShowWindowFrom(h, SW_MINIMIZE, true); }); };
    events.maximized = [later](HWND h) { later([h] { ShowWindowFrom(h, SW_MAXIMIZE, true); }); };
    events.restored = [later](HWND h) { later([h] { ShowWindowFrom(h, SW_RESTORE, true); }); };
    events.exposed = [later](HWND h) {
        later([h] {
            std::lock_guard lock(TreeMutex());
            if (Window* w = FindLocked(h))
                w->presentWanted = true;
        });
    };
    events.doubleClicked = [later](HWND h, int x, int y) {
        later([=] { Mouse(h, WM_LBUTTONDBLCLK, x, y); });
    };
    events.buttonDown = [later](HWND h, int x, int y) {
        later([=] { Mouse(h, WM_LBUTTONDOWN, x, y); });
    };
    events.buttonUp = [later](HWND h, int x, int y) {
        later([=] { Mouse(h, WM_LBUTTONUP, x, y); });
    };
    events.key = [later](HWND h, UINT vk, bool down) { later([=] { Key(h, vk, down); }); };
    return events;
}

} // namespace platform::window
