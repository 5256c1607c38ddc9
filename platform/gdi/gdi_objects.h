// The process's GDI objects (device contexts, bitmaps, icons) behind their handles. One lock
// guards the table and every object's handle-level links (which bitmap a DC has selected,
// which DC holds a bitmap); pixels are guarded by their surface's own mutex.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <variant>

#include "platform/gdi/target.h"
#include "platform/win32/constants.h"

namespace platform::gdi {

struct DibBitmap {
    std::shared_ptr<Surface> surface;
    void* bits = nullptr; // owned; freed with the bitmap
    int width = 0;
    int height = 0; // rows, always positive
    bool topDown = false;
    int bitCount = 32;
    int stride = 0; // bytes per row
    bool stock = false;
    HDC selectedInto = nullptr;
    ~DibBitmap();
};

struct IconObject {
    std::shared_ptr<Surface> pixels; // 0xAARRGGBB words
};

struct DeviceContext {
    bool memory = false;
    HWND hwnd = nullptr;
    DrawTarget target;          // window DCs: fixed at GetDC; memory DCs: the selected bitmap
    HGDIOBJ selected = nullptr; // memory DCs: the selected bitmap
    std::atomic<int> stretchMode{BLACKONWHITE};
    std::atomic<COLORREF> bkColor{0x00FFFFFF};
};

using GdiObject = std::variant<std::shared_ptr<DeviceContext>, std::shared_ptr<DibBitmap>,
                               std::shared_ptr<IconObject>>;

// Callers of the functions below that take or return table entries must hold this lock.
std::mutex& GdiObjectLock();
HANDLE AddGdiObject(GdiObject object);
GdiObject* FindGdiObject(HANDLE handle);
void RemoveGdiObject(HANDLE handle);

template <class T> std::shared_ptr<T> FindGdiObjectOf(HANDLE handle) {
    GdiObject* object = FindGdiObject(handle);
    if (object == nullptr)
        return nullptr;
    auto* typed = std::get_if<std::shared_ptr<T>>(object);
    return typed ? *typed : nullptr;
}

// Take the lock themselves.
std::shared_ptr<DeviceContext> FindDC(HDC dc);
std::shared_ptr<IconObject> FindIcon(HICON icon);

// The bitmap every new memory DC starts with (1 x 1, as Win32's default bitmap); the table
// lock must be held.
HGDIOBJ StockBitmapLocked();

} // namespace platform::gdi
