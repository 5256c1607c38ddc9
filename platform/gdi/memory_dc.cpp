// Memory device contexts and the bitmaps selected into them.
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/trace_log.h"
#include "platform/win32/api.h"

using namespace platform::gdi;

namespace {

// The DC draws into the bitmap from now on; the table lock must be held.
void AttachBitmap(DeviceContext& context, HDC dc, HGDIOBJ handle, DibBitmap& bitmap) {
    context.selected = handle;
    context.target.surface = bitmap.surface;
    context.target.origin = POINT{0, 0};
    context.target.clip = RECT{0, 0, bitmap.width, bitmap.height};
    if (!bitmap.stock)
        bitmap.selectedInto = dc;
}

void DetachBitmap(DeviceContext& context) {
    if (auto bitmap = FindGdiObjectOf<DibBitmap>(context.selected))
        bitmap->selectedInto = nullptr;
    context.selected = nullptr;
    context.target = DrawTarget{};
}

} // namespace

HDC CreateCompatibleDC(HDC) {
    HDC dc = nullptr;
    {
        std::lock_guard<std::mutex> lock(GdiObjectLock());
        HGDIOBJ stock = StockBitmapLocked();
        auto context = std::make_shared<DeviceContext>();
        context->memory = true;
        DeviceContext& raw = *context;
        dc = static_cast<HDC>(AddGdiObject(std::move(context)));
        AttachBitmap(raw, dc, stock, *FindGdiObjectOf<DibBitmap>(stock));
    }
    RecordGdiCall("CreateCompatibleDC", dc, {});
    return dc;
}

BOOL DeleteDC(HDC dc) {
    RecordGdiCall("DeleteDC", dc, {});
    std::lock_guard<std::mutex> lock(GdiObjectLock());
    auto context = FindGdiObjectOf<DeviceContext>(dc);
    if (!context || !context->memory)
        return FALSE; // window DCs go back through ReleaseDC
    DetachBitmap(*context);
    RemoveGdiObject(dc);
    return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    RecordGdiCall("SelectObject", dc, {}, nullptr, object);
    std::lock_guard<std::mutex> lock(GdiObjectLock());
    auto context = FindGdiObjectOf<DeviceContext>(dc);
    auto bitmap = FindGdiObjectOf<DibBitmap>(object);
    if (!context || !context->memory || !bitmap)
        return nullptr;
    if (bitmap->selectedInto != nullptr && bitmap->selectedInto != dc)
        return nullptr; // a bitmap lives in one DC at a time
    HGDIOBJ previous = context->selected;
    DetachBitmap(*context);
    AttachBitmap(*context, dc, object, *bitmap);
    return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
    RecordGdiCall("DeleteObject", nullptr, {}, nullptr, object);
    std::lock_guard<std::mutex> lock(GdiObjectLock());
    auto bitmap = FindGdiObjectOf<DibBitmap>(object);
    if (!bitmap || bitmap->selectedInto != nullptr)
        return FALSE;
    if (!bitmap->stock)
        RemoveGdiObject(object);
    return TRUE;
}
