// DIB sections: bitmaps whose pixels the program reaches directly, in Win32's row layout.
#include <cstdlib>
#include <cstring>

#include "platform/gdi/dib_source.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/trace_log.h"
#include "platform/win32/api.h"

using namespace platform::gdi;

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD) {
    RecordGdiCall("CreateDIBSection", dc, {long(usage)}, nullptr, info);
    if (bits != nullptr)
        *bits = nullptr;
    // Surfaces hold 32-bit pixels, so only 32-bit sections can be drawn into; file-mapping
    // sections are not supported.
    static const uint8_t kProbe = 0;
    DibSource format;
    if (section != nullptr || !ReadDibHeader(info, usage, &kProbe, format) || format.bitCount != 32)
        return nullptr;

    auto bitmap = std::make_shared<DibBitmap>();
    bitmap->bits = std::calloc(format.stride * format.height, 1);
    if (bitmap->bits == nullptr)
        return nullptr;
    bitmap->width = format.width;
    bitmap->height = format.height;
    bitmap->topDown = format.topDown;
    bitmap->bitCount = 32;
    bitmap->stride = static_cast<int>(format.stride);
    auto* memory = static_cast<uint8_t*>(bitmap->bits);
    const ptrdiff_t stride = static_cast<ptrdiff_t>(format.stride);
    if (format.topDown)
        bitmap->surface = std::make_shared<Surface>(format.width, format.height, memory, stride);
    else
        bitmap->surface = std::make_shared<Surface>(format.width, format.height,
                                                    memory + (format.height - 1) * stride, -stride);

    void* pixels = bitmap->bits;
    HBITMAP handle;
    {
        std::lock_guard<std::mutex> lock(GdiObjectLock());
        handle = static_cast<HBITMAP>(AddGdiObject(std::move(bitmap)));
    }
    if (bits != nullptr)
        *bits = pixels;
    return handle;
}

int GetObjectW(HGDIOBJ object, int size, LPVOID out) {
    RecordGdiCall("GetObjectW", nullptr, {long(size)}, nullptr, object);
    std::lock_guard<std::mutex> lock(GdiObjectLock());
    auto bitmap = FindGdiObjectOf<DibBitmap>(object);
    if (!bitmap)
        return 0;
    if (out == nullptr)
        return sizeof(BITMAP);
    if (size < static_cast<int>(sizeof(BITMAP)))
        return 0;
    BITMAP description{};
    description.bmType = 0;
    description.bmWidth = bitmap->width;
    description.bmHeight = bitmap->height;
    description.bmWidthBytes = bitmap->stride;
    description.bmPlanes = 1;
    description.bmBitsPixel = static_cast<WORD>(bitmap->bitCount);
    description.bmBits = bitmap->bits;
    std::memcpy(out, &description, sizeof(description));
    return sizeof(BITMAP);
}
