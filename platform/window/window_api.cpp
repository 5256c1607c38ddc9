// Creating and destroying windows, their long values, text and relations.
#include <algorithm>
#include <mutex>

#include "platform/backend/backend.h"
#include "platform/win32/api.h"
#include "platform/win32/constants.h"
#include "platform/window/draw_target.h"
#include "platform/window/menus.h"
#include "platform/window/paint.h"
#include "platform/window/thread_queue.h"
#include "platform/window/window_classes.h"
#include "platform/window/window_tree.h"

using namespace platform;
using namespace platform::window;

namespace {

std::u16string TextOf(LPCWSTR text) {
    return text ? std::u16string(text) : std::u16string();
}

// The window and its descendants, parent first.
void CollectSubtreeLocked(Window& w, std::vector<HWND>& out) {
    out.push_back(w.handle);
    for (HWND child : w.children)
        if (Window* c = FindLocked(child))
            CollectSubtreeLocked(*c, out);
}

} // namespace

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE, LPVOID) {
    ConnectToGdi();
    auto w = std::make_unique<Window>();
    w->className = TextOf(className);
    w->kind = KindOfClass(w->className);
    w->proc = ClassProc(w->kind);
    // The show state starts normal; WS_MAXIMIZE and WS_MINIMIZE come only from ShowWindow.
    w->style = (LONG)(style & ~(DWORD)(WS_MAXIMIZE | WS_MINIMIZE));
    w->exStyle = (LONG)exStyle;
    w->text = TextOf(windowName);
    w->rect = {x, y, x + std::max(width, 0), y + std::max(height, 0)};
    w->normalRect = w->rect;
    w->nonClient = NonClientOf(w->style, w->exStyle);
    w->owner = CurrentThreadQueue();
    const bool child = (style & WS_CHILD) != 0;
    if (child && !parent)
        return nullptr;
    w->parent = child ? parent : nullptr;
    if (child)
        w->id = (int)(intptr_t)menu;
    HWND hwnd;
    RECT clientScreen{0, 0, 0, 0};
    {
        std::lock_guard lock(TreeMutex());
        if (child && !FindLocked(parent))
            return nullptr;
        if (!child) {
            SIZE s = ClientSizeLocked(*w);
            w->surface =
                std::make_shared<gdi::Surface>(std::max<LONG>(s.cx, 1), std::max<LONG>(s.cy, 1));
        }
        Window* raw = w.get();
        hwnd = AddWindowLocked(std::move(w));
        if (!child)
            clientScreen = ClientRectOnScreenLocked(*raw);
        if (IsVisibleLocked(*raw))
            InvalidateLocked(*raw, nullptr, true);
    }
    if (!child)
        CurrentBackend().createWindow(hwnd, clientScreen, (LONG)style, TextOf(windowName));
    if (SendMessageW(hwnd, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (!child && (style & WS_VISIBLE))
        CurrentBackend().show(hwnd, SW_SHOW);
    CurrentThreadQueue()->notify();
    return hwnd;
}

BOOL DestroyWindow(HWND hwnd) {
    std::vector<HWND> subtree;
    bool topLevel = false;
    {
        std::lock_guard lock(TreeMutex());
        Window* w = FindLocked(hwnd);
        // Only the window's own thread may destroy it, as in Win32.
        if (!w || w->destroying || w->owner != CurrentThreadQueue())
            return FALSE;
        CollectSubtreeLocked(*w, subtree);
        for (HWND h : subtree)
            if (Window* d = FindLocked(h))
                d->destroying = true;
        topLevel = w->parent == nullptr;
        if (!topLevel && (w->style & WS_VISIBLE))
            InvalidateParentAreaLocked(*w, w->rect);
    }
    if (topLevel)
        CurrentBackend().show(hwnd, SW_HIDE);
    for (HWND h : subtree)
        SendMessageW(h, WM_DESTROY, 0, 0);
    for (auto it = subtree.rbegin(); it != subtree.rend(); ++it) {
        SendMessageW(*it, WM_NCDESTROY, 0, 0);
        HMENU menu = nullptr;
        {
            std::lock_guard lock(TreeMutex());
            if (Window* d = FindLocked(*it))
                menu = d->systemMenu;
            RemoveWindowLocked(*it);
        }
        DestroyMenuHandle(menu);
        NotifyDestroyed(*it);
    }
    if (topLevel)
        CurrentBackend().destroyWindow(hwnd);
    return TRUE;
}

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) {
    std::lock_guard lock(TreeMutex());
    Window* w = FindLocked(hwnd);
    if (!w)
        return 0;
    switch (index) {
    case GWL_STYLE:
        return w->style;
    case GWL_EXSTYLE:
        return w->exStyle;
    case GWL_ID:
        return w->id;
    case GWLP_USERDATA:
        return w->userData;
    case GWLP_WNDPROC:
        return (LONG_PTR)w->proc;
    }
    return 0;
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
    LONG_PTR previous = 0;
    bool styleChanged = false;
    LONG style = 0;
    {
        std::lock_guard lock(TreeMutex());
        Window* w = FindLocked(hwnd);
        if (!w)
            return 0;
        switch (index) {
        case GWL_STYLE:
            previous = w->style;
            w->style = (LONG)value;
            style = w->style;
            styleChanged = w->parent == nullptr && previous != value;
            break;
        case GWL_EXSTYLE:
            previous = w->exStyle;
            w->exStyle = (LONG)value;
            break;
        case GWL_ID:
            previous = w->id;
            w->id = (int)value;
            break;
        case GWLP_USERDATA:
            previous = w->userData;
            w->userData = value;
            break;
        case GWLP_WNDPROC:
            previous = (LONG_PTR)w->proc;
            if (value)
                w->proc = (WNDPROC)value;
            break;
        default:
            return 0;
        }
    }
    // The desktop shows the new decorations now; the client area follows on the next sizing
    // or SWP_FRAMECHANGED, as in Win32.
    if (styleChanged)
        CurrentBackend().setStyle(hwnd, style);
    return previous;
}

LONG GetWindowLongW(HWND hwnd, int index) {
    if (index == GWLP_WNDPROC)
        return 0; // a pointer does not fit a LONG here
    return (LONG)GetWindowLongPtrW(hwnd, index);
}

LONG SetWindowLongW(HWND hwnd, int index, LONG value) {
    if (index == GWLP_WNDPROC)
        return 0;
    return (LONG)SetWindowLongPtrW(hwnd, index, value);
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

HWND GetDlgItem(HWND dialog, int id) {
    std::lock_guard lock(TreeMutex());
    Window* w = FindLocked(dialog);
    if (!w)
        return nullptr;
    for (HWND child : w->children)
        if (Window* c = FindLocked(child); c && c->id == id)
            return child;
    return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
    std::lock_guard lock(TreeMutex());
    Window* w = FindLocked(hwnd);
    return w && w->parent ? w->id : 0;
}

HWND GetParent(HWND hwnd) {
    std::lock_guard lock(TreeMutex());
    Window* w = FindLocked(hwnd);
    return w ? w->parent : nullptr;
}

BOOL IsChild(HWND parent, HWND hwnd) {
    std::lock_guard lock(TreeMutex());
    Window* w = FindLocked(hwnd);
    for (Window* p = w ? FindLocked(w->parent) : nullptr; p; p = FindLocked(p->parent))
        if (p->handle == parent)
            return TRUE;
    return FALSE;
}

BOOL IsWindow(HWND hwnd) {
    std::lock_guard lock(TreeMutex());
    return FindLocked(hwnd) ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd) {
    std::lock_guard lock(TreeMutex());
    Window* w = FindLocked(hwnd);
    return w && IsVisibleLocked(*w) ? TRUE : FALSE;
}

BOOL IsIconic(HWND hwnd) {
    return (GetWindowLongW(hwnd, GWL_STYLE) & WS_MINIMIZE) ? TRUE : FALSE;
}

BOOL IsZoomed(HWND hwnd) {
    return (GetWindowLongW(hwnd, GWL_STYLE) & WS_MAXIMIZE) ? TRUE : FALSE;
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
    if (!IsWindow(hwnd))
        return FALSE;
    return SendMessageW(hwnd, WM_SETTEXT, 0, (LPARAM)text) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int size) {
    if (!buffer || size <= 0)
        return 0;
    std::lock_guard lock(TreeMutex());
    Window* w = FindLocked(hwnd);
    if (!w) {
        buffer[0] = 0;
        return 0;
    }
    const int n = std::min<int>((int)w->text.size(), size - 1);
    std::copy(w->text.begin(), w->text.begin() + n, buffer);
    buffer[n] = 0;
    return n;
}

BOOL EnumWindows(WNDENUMPROC callback, LPARAM lParam) {
    if (!callback)
        return FALSE;
    std::vector<HWND> windows;
    {
        std::lock_guard lock(TreeMutex());
        windows = TopLevelLocked();
    }
    for (HWND hwnd : windows)
        if (IsWindow(hwnd) && !callback(hwnd, lParam))
            return FALSE;
    return TRUE;
}
