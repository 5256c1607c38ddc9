// Sleep and GetTickCount.
#include <chrono>
#include <thread>

#include "platform/win32/api.h"
#include "platform/win32/constants.h"

void Sleep(DWORD milliseconds) {
    if (milliseconds == INFINITE) {
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(24));
    }
    if (milliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

DWORD GetTickCount() {
    // Milliseconds since an arbitrary start, wrapping at 2^32 like the system's counter.
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return (DWORD)std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
}
