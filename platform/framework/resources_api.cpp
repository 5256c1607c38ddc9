// Resource lookups the program makes: strings, icons, and the module that holds them.
#include <algorithm>
#include <map>
#include <mutex>

#include "platform/afxwin.h"
#include "platform/framework/icon_file.h"
#include "platform/framework/resources.h"
#include "platform/gdi/target.h"

using namespace platform::resources;

namespace {

// The one module of the process: the executable, which holds every resource.
HINSTANCE Module() {
    return GetModuleHandleW(nullptr);
}

int IdOf(LPCWSTR name) {
    return IS_INTRESOURCE(name) ? (int)(uintptr_t)name : -1;
}

bool HasResource(int id, LPCWSTR type) {
    const ResourceScript& rc = Resources();
    if (type == RT_STRING)
        return rc.strings.count(id) != 0;
    if (type == RT_DIALOG)
        return rc.dialogs.count(id) != 0;
    if (type == RT_ICON || type == RT_GROUP_ICON)
        return rc.file("ICON", id) != nullptr;
    return false;
}

} // namespace

HINSTANCE AfxGetInstanceHandle() {
    return Module();
}

HINSTANCE AfxFindResourceHandle(LPCWSTR name, LPCWSTR type) {
    return HasResource(IdOf(name), type) ? Module() : nullptr;
}

int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int size) {
    if (instance && instance != Module())
        return 0;
    const auto& strings = Resources().strings;
    auto it = strings.find((int)id);
    if (!buffer)
        return 0;
    if (it == strings.end()) {
        if (size > 0)
            buffer[0] = 0;
        return 0;
    }
    const std::u16string& text = it->second;
    if (size == 0) {
        // Win32: the buffer receives a read-only pointer to the resource itself.
        *reinterpret_cast<LPCWSTR*>(buffer) = text.c_str();
        return (int)text.size();
    }
    const int n = std::min<int>((int)text.size(), size - 1);
    std::copy(text.begin(), text.begin() + n, buffer);
    buffer[n] = 0;
    return n;
}

BOOL CString::LoadString(UINT id) {
    const auto& strings = Resources().strings;
    auto it = strings.find((int)id);
    if (it == strings.end())
        return FALSE;
    m_text = it->second;
    return TRUE;
}

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
    if (instance && instance != Module())
        return nullptr;
    const int id = IdOf(name);
    const FileResource* icon = Resources().file("ICON", id);
    if (!icon)
        return nullptr;
    // Icons from resources are shared: every load of one id gives the same handle.
    static std::mutex mutex;
    static std::map<int, HICON> loaded;
    std::lock_guard lock(mutex);
    if (auto it = loaded.find(id); it != loaded.end())
        return it->second;
    const platform::EmbeddedFile* file = FindEmbeddedFile(icon->file);
    IconImage image;
    if (!file || !DecodeIconFile(file->data, file->size, image))
        return nullptr;
    HICON handle =
        platform::gdi::CreateIconFromPixels(image.width, image.height, image.pixels.data());
    if (handle)
        loaded[id] = handle;
    return handle;
}
