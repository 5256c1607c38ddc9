#include "platform/gdi/gdi_objects.h"

#include <cstdlib>
#include <unordered_map>

namespace platform::gdi {

namespace {

struct ObjectTable {
    std::mutex lock;
    std::unordered_map<uintptr_t, GdiObject> objects;
    // Handles are never reused, so a stale handle can never reach a newer object.
    uintptr_t nextHandle = 0x10000;
    HGDIOBJ stockBitmap = nullptr;
};

ObjectTable& Table() {
    static ObjectTable* table = new ObjectTable; // lives through static destruction
    return *table;
}

} // namespace

DibBitmap::~DibBitmap() {
    std::free(bits);
}

std::mutex& GdiObjectLock() {
    return Table().lock;
}

HANDLE AddGdiObject(GdiObject object) {
    ObjectTable& table = Table();
    const uintptr_t handle = table.nextHandle;
    table.nextHandle += 4;
    table.objects.emplace(handle, std::move(object));
    return reinterpret_cast<HANDLE>(handle);
}

GdiObject* FindGdiObject(HANDLE handle) {
    auto& objects = Table().objects;
    auto it = objects.find(reinterpret_cast<uintptr_t>(handle));
    return it == objects.end() ? nullptr : &it->second;
}

void RemoveGdiObject(HANDLE handle) {
    Table().objects.erase(reinterpret_cast<uintptr_t>(handle));
}

std::shared_ptr<DeviceContext> FindDC(HDC dc) {
    std::lock_guard<std::mutex> lock(GdiObjectLock());
    return FindGdiObjectOf<DeviceContext>(dc);
}

std::shared_ptr<IconObject> FindIcon(HICON icon) {
    std::lock_guard<std::mutex> lock(GdiObjectLock());
    return FindGdiObjectOf<IconObject>(icon);
}

HGDIOBJ StockBitmapLocked() {
    ObjectTable& table = Table();
    if (table.stockBitmap == nullptr) {
        auto bitmap = std::make_shared<DibBitmap>();
        bitmap->surface = std::make_shared<Surface>(1, 1);
        bitmap->width = bitmap->height = 1;
        bitmap->topDown = true;
        bitmap->stride = 4;
        bitmap->stock = true;
        table.stockBitmap = AddGdiObject(std::move(bitmap));
    }
    return table.stockBitmap;
}

} // namespace platform::gdi
