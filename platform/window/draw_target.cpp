#include "platform/window/draw_target.h"

#include <algorithm>
#include <mutex>

#include "platform/gdi/canvas.h"
#include "platform/gdi/pixel_word.h"
#include "platform/win32/constants.h"
#include "platform/window/thread_queue.h"

namespace platform::window {
namespace {

using gdi::Intersect;

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
    const uint32_t pixel = gdi::WordFromColorref(colour);
    const gdi::PixelBox outer{
        int64_t(rect.left) + target.origin.x, int64_t(rect.top) + target.origin.y,
        int64_t(rect.right) + target.origin.x, int64_t(rect.bottom) + target.origin.y};
    gdi::ClippedTarget clipped(target, outer);
    const gdi::PixelBox& r = clipped.box();
    for (int64_t y = r.top; y < r.bottom; ++y) {
        uint32_t* row = clipped.row(y);
        const bool edgeRow = y == outer.top || y == outer.bottom - 1;
        if (!frameOnly || edgeRow) {
            std::fill(row + r.left, row + r.right, pixel);
            continue;
        }
        for (const int64_t x : {outer.left, outer.right - 1})
            if (x >= r.left && x < r.right)
                row[x] = pixel;
    }
}

} // namespace platform::window
