#include "platform/window/placement.h"

#include <algorithm>
#include <mutex>

#include "platform/backend/backend.h"
#include "platform/win32/api.h"
#include "platform/win32/constants.h"
#include "platform/window/paint.h"
#include "platform/window/window_tree.h"

namespace platform::window {
namespace {

bool SameSize(const RECT& a, const RECT& b) {
    return a.right - a.left == b.right - b.left && a.bottom - a.top == b.bottom - b.top;
}

UINT SizeType(LONG style) {
    if (style & WS_MINIMIZE)
        return SIZE_MINIMIZED;
    return (style & WS_MAXIMIZE) ? SIZE_MAXIMIZED : SIZE_RESTORED;
}

// Replaces a top-level window's surface by one of the new client size, keeping what
// overlaps; drawings still under way finish in the old one.
void CopySurface(const gdi::Surface& from, gdi::Surface& to) {
    std::scoped_lock lock(from.mutex(), to.mutex());
    const int w = std::min(from.width(), to.width());
    const int h = std::min(from.height(), to.height());
    for (int y = 0; y < h; ++y)
        std::copy(from.row(y), from.row(y) + w, to.row(y));
}

RECT IconicRect() {
    return {kMinimizedPosition, kMinimizedPosition, kMinimizedPosition + kMinimizedWidth,
            kMinimizedPosition + kMinimizedHeight};
}

} // namespace

void Place(HWND hwnd, const RECT& requested, unsigned flags) {
    RECT rect = requested;
    const LONG largestWidth = GetSystemMetrics(SM_CXMAXTRACK);
    const LONG largestHeight = GetSystemMetrics(SM_CYMAXTRACK);
    bool sendSize = false, sendMove = false, topLevel = false, minimized = false;
    UINT sizeType = SIZE_RESTORED;
    SIZE client{0, 0};
    POINT clientOrigin{0, 0};
    RECT clientScreen{0, 0, 0, 0};
    std::shared_ptr<gdi::Surface> oldSurface, newSurface;
    std::shared_ptr<ThreadQueue> owner;
    {
        std::lock_guard lock(TreeMutex());
        Window* w = FindLocked(hwnd);
        if (!w)
            return;
        if (w->parent == nullptr) {
            rect.right = rect.left + std::min(rect.right - rect.left, largestWidth);
            rect.bottom = rect.top + std::min(rect.bottom - rect.top, largestHeight);
        }
        const RECT old = w->rect;
        const SIZE oldClient = ClientSizeLocked(*w);
        const POINT oldOrigin{old.left + w->nonClient.left, old.top + w->nonClient.top};
        const bool sized = !SameSize(old, rect);
        w->rect = rect;
        if (sized || (flags & kRecomputeFrame))
            w->nonClient = NonClientOf(w->style, w->exStyle);
        client = ClientSizeLocked(*w);
        clientOrigin = {rect.left + w->nonClient.left, rect.top + w->nonClient.top};
        sendSize = (flags & kAlwaysSize) || client.cx != oldClient.cx || client.cy != oldClient.cy;
        sendMove = clientOrigin.x != oldOrigin.x || clientOrigin.y != oldOrigin.y;
        sizeType = SizeType(w->style);
        minimized = (w->style & WS_MINIMIZE) != 0;
        topLevel = w->parent == nullptr;
        owner = w->owner;
        if (topLevel) {
            clientScreen = {clientOrigin.x, clientOrigin.y, clientOrigin.x + client.cx,
                            clientOrigin.y + client.cy};
            if (!minimized && w->surface &&
                (w->surface->width() != std::max<LONG>(client.cx, 1) ||
                 w->surface->height() != std::max<LONG>(client.cy, 1))) {
                oldSurface = w->surface;
                newSurface = std::make_shared<gdi::Surface>(std::max<LONG>(client.cx, 1),
                                                            std::max<LONG>(client.cy, 1));
                w->surface = newSurface;
                w->presentWanted = true;
            }
        }
        const bool changed = sized || sendMove || (flags & kRecomputeFrame);
        if (changed && !(flags & kNoRedraw)) {
            InvalidateLocked(*w, nullptr, true);
            if (!topLevel && (w->style & WS_VISIBLE)) {
                InvalidateParentAreaLocked(*w, old);
                InvalidateParentAreaLocked(*w, rect);
            }
        }
    }
    if (oldSurface)
        CopySurface(*oldSurface, *newSurface);
    if (owner)
        owner->notify();
    if (topLevel && !minimized && !(flags & (kFromDesktop | kNoGeometry)))
        CurrentBackend().setGeometry(hwnd, clientScreen);
    if (sendMove)
        SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(clientOrigin.x, clientOrigin.y));
    if (sendSize)
        SendMessageW(hwnd, WM_SIZE, sizeType, MAKELPARAM(client.cx, client.cy));
}

BOOL ShowWindowFrom(HWND hwnd, int command, bool fromDesktop) {
    const SIZE screen = CurrentBackend().screenSize();
    bool wasVisible = false, nowVisible = false, place = false, topLevel = false;
    RECT target{0, 0, 0, 0};
    unsigned placeFlags = kRecomputeFrame | kAlwaysSize;
    if (fromDesktop)
        placeFlags |= kFromDesktop;
    std::shared_ptr<ThreadQueue> owner;
    {
        std::lock_guard lock(TreeMutex());
        Window* w = FindLocked(hwnd);
        if (!w)
            return FALSE;
        wasVisible = (w->style & WS_VISIBLE) != 0;
        const bool maximized = (w->style & WS_MAXIMIZE) != 0;
        const bool minimized = (w->style & WS_MINIMIZE) != 0;
        topLevel = w->parent == nullptr;
        owner = w->owner;
        RECT area{0, 0, screen.cx, screen.cy};
        if (Window* parent = FindLocked(w->parent)) {
            SIZE s = ClientSizeLocked(*parent);
            area = {0, 0, s.cx, s.cy};
        }
        auto maximize = [&] {
            w->style = (w->style & ~WS_MINIMIZE) | WS_MAXIMIZE;
            target = MaximizedRect(area, w->style, w->exStyle);
            place = true;
            placeFlags |= kNoGeometry;
        };
        switch (command) {
        case SW_HIDE:
            w->style &= ~WS_VISIBLE;
            break;
        case SW_SHOW:
        case SW_SHOWNA:
        case SW_SHOWNOACTIVATE:
            w->style |= WS_VISIBLE;
            break;
        case SW_MAXIMIZE:
            w->style |= WS_VISIBLE;
            if (!maximized) {
                if (!minimized)
                    w->normalRect = w->rect;
                maximize();
            }
            break;
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED:
        case SW_SHOWMINNOACTIVE:
        case SW_FORCEMINIMIZE:
            w->style |= WS_VISIBLE;
            if (!minimized) {
                if (!maximized)
                    w->normalRect = w->rect;
                w->restoreToMaximized = maximized;
                w->style = (w->style & ~WS_MAXIMIZE) | WS_MINIMIZE;
                target = IconicRect();
                place = true;
            }
            break;
        case SW_SHOWNORMAL:
        case SW_RESTORE:
        case SW_SHOWDEFAULT:
            w->style |= WS_VISIBLE;
            if (minimized && w->restoreToMaximized) {
                maximize();
            } else if (minimized || maximized) {
                w->style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
                target = w->normalRect;
                place = true;
            }
            break;
        default:
            return wasVisible;
        }
        nowVisible = (w->style & WS_VISIBLE) != 0;
        if (nowVisible && !wasVisible)
            InvalidateLocked(*w, nullptr, true);
        if (!topLevel && nowVisible != wasVisible)
            InvalidateParentAreaLocked(*w, w->rect);
    }
    if (topLevel && !fromDesktop && (place || nowVisible != wasVisible))
        CurrentBackend().show(hwnd, command);
    if (owner)
        owner->notify();
    if (place)
        Place(hwnd, target, placeFlags);
    return wasVisible ? TRUE : FALSE;
}

} // namespace platform::window

using namespace platform::window;

BOOL ShowWindow(HWND hwnd, int command) {
    return ShowWindowFrom(hwnd, command, false);
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    RECT rect;
    bool show = false, hide = false;
    {
        std::lock_guard lock(TreeMutex());
        Window* w = FindLocked(hwnd);
        if (!w)
            return FALSE;
        rect = w->rect;
        if (!(flags & SWP_NOMOVE)) {
            rect = {x, y, x + (rect.right - rect.left), y + (rect.bottom - rect.top)};
        }
        if (!(flags & SWP_NOSIZE)) {
            rect.right = rect.left + std::clamp<LONG>(cx, 0, kLargestWindowSide);
            rect.bottom = rect.top + std::clamp<LONG>(cy, 0, kLargestWindowSide);
        }
        if (!(flags & SWP_NOZORDER)) {
            if (insertAfter == HWND_TOPMOST)
                w->exStyle |= WS_EX_TOPMOST;
            else if (insertAfter == HWND_NOTOPMOST)
                w->exStyle &= ~WS_EX_TOPMOST;
            else if (Window* parent = FindLocked(w->parent)) {
                auto& order = parent->children;
                order.erase(std::remove(order.begin(), order.end(), hwnd), order.end());
                auto at = order.begin();
                if (insertAfter == HWND_BOTTOM)
                    at = order.end();
                else if (insertAfter != HWND_TOP) {
                    auto it = std::find(order.begin(), order.end(), insertAfter);
                    at = it == order.end() ? order.begin() : it + 1;
                }
                order.insert(at, hwnd);
            }
        }
        show = (flags & SWP_SHOWWINDOW) && !(w->style & WS_VISIBLE);
        hide = (flags & SWP_HIDEWINDOW) && (w->style & WS_VISIBLE);
    }
    unsigned placeFlags = 0;
    if (flags & SWP_FRAMECHANGED)
        placeFlags |= kRecomputeFrame;
    if (flags & SWP_NOREDRAW)
        placeFlags |= kNoRedraw;
    Place(hwnd, rect, placeFlags);
    if (show)
        ShowWindow(hwnd, SW_SHOWNA);
    if (hide)
        ShowWindow(hwnd, SW_HIDE);
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    return SetWindowPos(hwnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
    std::lock_guard lock(TreeMutex());
    Window* w = FindLocked(hwnd);
    if (!w || !rect)
        return FALSE;
    *rect = WindowRectOnScreenLocked(*w);
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
    std::lock_guard lock(TreeMutex());
    Window* w = FindLocked(hwnd);
    if (!w || !rect)
        return FALSE;
    SIZE s = ClientSizeLocked(*w);
    *rect = {0, 0, s.cx, s.cy};
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point) {
    std::lock_guard lock(TreeMutex());
    Window* w = FindLocked(hwnd);
    if (!w || !point)
        return FALSE;
    POINT o = ClientOriginOnScreenLocked(*w);
    point->x -= o.x;
    point->y -= o.y;
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point) {
    std::lock_guard lock(TreeMutex());
    Window* w = FindLocked(hwnd);
    if (!w || !point)
        return FALSE;
    POINT o = ClientOriginOnScreenLocked(*w);
    point->x += o.x;
    point->y += o.y;
    return TRUE;
}
