#include "platform/window/paint.h"

#include <algorithm>

#include "platform/win32/api.h"
#include "platform/win32/constants.h"

namespace platform::window {
namespace {

bool IsEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

RECT Offset(RECT r, int dx, int dy) {
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

bool FindPaintLocked(Window& w, ThreadQueue& queue, MSG& msg) {
    if (!(w.style & WS_VISIBLE))
        return false;
    if (w.invalid && w.owner.get() == &queue) {
        msg = MSG{w.handle, WM_PAINT, 0, 0, 0, {0, 0}};
        return true;
    }
    for (HWND child : w.children)
        if (Window* c = FindLocked(child); c && FindPaintLocked(*c, queue, msg))
            return true;
    return false;
}

} // namespace

void InvalidateLocked(Window& w, const RECT* rect, bool erase) {
    const SIZE size = ClientSizeLocked(w);
    RECT r{0, 0, size.cx, size.cy};
    if (rect)
        r = {std::max(rect->left, r.left), std::max(rect->top, r.top),
             std::min(rect->right, r.right), std::min(rect->bottom, r.bottom)};
    if (IsEmpty(r))
        return;
    if (w.invalid) {
        w.invalidRect = {std::min(w.invalidRect.left, r.left), std::min(w.invalidRect.top, r.top),
                         std::max(w.invalidRect.right, r.right),
                         std::max(w.invalidRect.bottom, r.bottom)};
    } else {
        w.invalid = true;
        w.invalidRect = r;
    }
    w.eraseNeeded = w.eraseNeeded || erase;
    if (w.style & WS_CLIPCHILDREN)
        return;
    for (HWND child : w.children) {
        Window* c = FindLocked(child);
        if (!c)
            continue;
        RECT inChild =
            Offset(r, -(c->rect.left + c->nonClient.left), -(c->rect.top + c->nonClient.top));
        InvalidateLocked(*c, &inChild, erase);
    }
}

void InvalidateParentAreaLocked(Window& child, const RECT& rectInParent) {
    if (Window* parent = FindLocked(child.parent))
        InvalidateLocked(*parent, &rectInParent, true);
}

bool NextPaintMessage(ThreadQueue& queue, MSG& msg) {
    std::lock_guard lock(TreeMutex());
    for (HWND top : TopLevelLocked())
        if (Window* w = FindLocked(top); w && FindPaintLocked(*w, queue, msg))
            return true;
    return false;
}

} // namespace platform::window

using namespace platform::window;

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    std::vector<std::shared_ptr<ThreadQueue>> owners;
    {
        std::lock_guard lock(TreeMutex());
        if (!hwnd) {
            for (HWND top : TopLevelLocked())
                if (Window* w = FindLocked(top)) {
                    InvalidateLocked(*w, nullptr, erase);
                    owners.push_back(w->owner);
                }
        } else {
            Window* w = FindLocked(hwnd);
            if (!w)
                return FALSE;
            InvalidateLocked(*w, rect, erase);
            owners.push_back(w->owner);
        }
    }
    for (auto& owner : owners)
        owner->notify();
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
    bool needsPaint = false;
    {
        std::lock_guard lock(TreeMutex());
        Window* w = FindLocked(hwnd);
        if (!w)
            return FALSE;
        needsPaint = w->invalid && IsVisibleLocked(*w);
    }
    if (needsPaint)
        SendMessageW(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
    if (!paint)
        return nullptr;
    *paint = PAINTSTRUCT{};
    bool erase = false;
    {
        std::lock_guard lock(TreeMutex());
        Window* w = FindLocked(hwnd);
        if (!w)
            return nullptr;
        if (w->invalid)
            paint->rcPaint = w->invalidRect;
        erase = w->invalid && w->eraseNeeded;
        w->invalid = false;
        w->eraseNeeded = false;
    }
    paint->hdc = GetDC(hwnd);
    if (erase && paint->hdc)
        paint->fErase = SendMessageW(hwnd, WM_ERASEBKGND, (WPARAM)paint->hdc, 0) ? FALSE : TRUE;
    return paint->hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint) {
    if (paint && paint->hdc)
        ReleaseDC(hwnd, paint->hdc);
    return TRUE;
}
