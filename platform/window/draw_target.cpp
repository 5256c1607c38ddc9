#include "platform/window/draw_target.h"

#include <algorithm>
#include <mutex>

#include "platform/win32/constants.h"
#include "platform/window/thread_queue.h"

namespace platform::window {
namespace {

RECT Intersect(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (r.right <= r.left || r.bottom <= r.top)
        return {0, 0, 0, 0};
    return r;
}

bool ResolveTarget(HWND hwnd, gdi::DrawTarget& out) {
    std::lock_guard lock(TreeMutex());
    Window* w = FindLocked(hwnd);
    return w && TargetOfLocked(*w, false, out);
}

void WindowDrawn(HWND hwnd) {
    std::shared_ptr<ThreadQueue> owner;
    {
        std::lock_guard lock(TreeMutex());
        Window* top = TopLevelOfLocked(FindLocked(hwnd));
        if (!top)
            return;
        top->presentWanted = true;
        owner = top->owner;
    }
    // The drawing may come from any thread; the window's own thread presents it.
    owner->notify();
}

} // namespace

bool TargetOfLocked(Window& w, bool withNonClient, gdi::DrawTarget& out) {
    Window* top = TopLevelOfLocked(&w);
    if (!top || !top->surface)
        return false;
    const POINT topOrigin = ClientOriginOnScreenLocked(*top);
    RECT area = withNonClient ? WindowRectOnScreenLocked(w) : ClientRectOnScreenLocked(w);
    out.surface = top->surface;
    out.origin = {area.left - topOrigin.x, area.top - topOrigin.y};
    if (!IsVisibleLocked(w) || (top->style & WS_MINIMIZE)) {
        out.clip = {0, 0, 0, 0};
        return true;
    }
    // A child draws only inside each ancestor's client area.
    for (Window* p = FindLocked(w.parent); p; p = FindLocked(p->parent))
        area = Intersect(area, ClientRectOnScreenLocked(*p));
    if (&w == top)
        area = Intersect(area, ClientRectOnScreenLocked(*top));
    RECT clip{area.left - topOrigin.x, area.top - topOrigin.y, area.right - topOrigin.x,
              area.bottom - topOrigin.y};
    out.clip = Intersect(clip, {0, 0, top->surface->width(), top->surface->height()});
    return true;
}

void ConnectToGdi() {
    static std::once_flag once;
    std::call_once(once, [] { gdi::SetWindowTargetResolver(ResolveTarget, WindowDrawn); });
}

void FillTarget(const gdi::DrawTarget& target, RECT rect, COLORREF colour, bool frameOnly) {
    if (!target.surface)
        return;
    const uint32_t pixel = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    RECT r{rect.left + target.origin.x, rect.top + target.origin.y, rect.right + target.origin.x,
           rect.bottom + target.origin.y};
    const RECT outer = r;
    r = Intersect(r, target.clip);
    if (r.right <= r.left)
        return;
    gdi::Surface& s = *target.surface;
    {
        std::lock_guard lock(s.mutex());
        for (int y = r.top; y < r.bottom; ++y) {
            uint32_t* row = s.row(y);
            const bool edgeRow = y == outer.top || y == outer.bottom - 1;
            for (int x = r.left; x < r.right; ++x)
                if (!frameOnly || edgeRow || x == outer.left || x == outer.right - 1)
                    row[x] = pixel;
        }
    }
    s.touch();
}

} // namespace platform::window
