// Device contexts of windows: the window manager's resolver says where a window's client area
// lies on its top-level surface.
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/trace_log.h"
#include "platform/win32/api.h"

namespace platform::gdi {

namespace {

struct WindowHooks {
    std::mutex lock;
    WindowTargetResolver resolver;
    WindowDrawnNotifier notifier;
};

WindowHooks& Hooks() {
    static WindowHooks* hooks = new WindowHooks;
    return *hooks;
}

// Copies, so the window manager is called without any GDI lock held.
WindowTargetResolver CurrentResolver() {
    std::lock_guard<std::mutex> lock(Hooks().lock);
    return Hooks().resolver;
}

WindowDrawnNotifier CurrentNotifier() {
    std::lock_guard<std::mutex> lock(Hooks().lock);
    return Hooks().notifier;
}

} // namespace

void SetWindowTargetResolver(WindowTargetResolver resolver, WindowDrawnNotifier notifier) {
    std::lock_guard<std::mutex> lock(Hooks().lock);
    Hooks().resolver = std::move(resolver);
    Hooks().notifier = std::move(notifier);
}

std::shared_ptr<Surface> SurfaceOfDC(HDC dc, RECT* clip) {
    std::lock_guard<std::mutex> lock(GdiObjectLock());
    auto context = FindGdiObjectOf<DeviceContext>(dc);
    if (!context)
        return nullptr;
    if (clip != nullptr)
        *clip = context->target.clip;
    return context->target.surface;
}

} // namespace platform::gdi

using namespace platform::gdi;

HDC GetDC(HWND hwnd) {
    HDC dc = nullptr;
    DrawTarget target;
    WindowTargetResolver resolver = CurrentResolver();
    if (hwnd != nullptr && resolver && resolver(hwnd, target) && target.surface) {
        auto context = std::make_shared<DeviceContext>();
        context->hwnd = hwnd;
        context->target = std::move(target);
        std::lock_guard<std::mutex> lock(GdiObjectLock());
        dc = static_cast<HDC>(AddGdiObject(std::move(context)));
    }
    RecordGdiCall("GetDC", dc, {}, nullptr, nullptr, hwnd);
    return dc;
}

int ReleaseDC(HWND hwnd, HDC dc) {
    RecordGdiCall("ReleaseDC", dc, {}, nullptr, nullptr, hwnd);
    {
        std::lock_guard<std::mutex> lock(GdiObjectLock());
        auto context = FindGdiObjectOf<DeviceContext>(dc);
        if (!context || context->memory || context->hwnd != hwnd)
            return 0;
        RemoveGdiObject(dc);
    }
    if (WindowDrawnNotifier notifier = CurrentNotifier())
        notifier(hwnd);
    return 1;
}

HWND WindowFromDC(HDC dc) {
    HWND hwnd = nullptr;
    if (auto context = FindDC(dc))
        hwnd = context->hwnd;
    RecordGdiCall("WindowFromDC", dc, {}, nullptr, nullptr, hwnd);
    return hwnd;
}
