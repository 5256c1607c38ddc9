// The process's one module, the executable, and its path.
#include <unistd.h>

#include <cstring>

#include "platform/win32/api.h"

HINSTANCE GetModuleHandleW(LPCWSTR name) {
    // Any fixed value serves; this is where a Windows executable is usually loaded.
    static HINSTANCE const executable = reinterpret_cast<HINSTANCE>(0x00400000);
    return name ? nullptr : executable;
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
    if (!buffer || size == 0)
        return 0;
    // Only the executable is a module here.
    if (module && module != GetModuleHandleW(nullptr)) {
        buffer[0] = 0;
        return 0;
    }
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (n <= 0) {
        buffer[0] = 0;
        return 0;
    }
    // A path that does not fit is cut to size - 1 characters and terminated, as Win32 does;
    // the result is then the buffer size.
    const DWORD length = (DWORD)n;
    if (length >= size) {
        std::memcpy(buffer, path, size - 1);
        buffer[size - 1] = 0;
        return size;
    }
    std::memcpy(buffer, path, length);
    buffer[length] = 0;
    return length;
}
