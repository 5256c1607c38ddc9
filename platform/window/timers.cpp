// Window timers, as user-interface tasks: each tick posts WM_TIMER and books the next one.
#include <map>
#include <mutex>
#include <utility>

#include "platform/win32/api.h"
#include "platform/window/ui_thread.h"

namespace {

struct Timers {
    std::mutex mutex;
    // The serial of each running timer; a tick booked for an older serial does nothing.
    std::map<std::pair<HWND, UINT_PTR>, uint64_t> running;
    uint64_t serial = 0;
};

Timers& TheTimers() {
    static Timers* timers = new Timers;
    return *timers;
}

void BookTick(HWND hwnd, UINT_PTR id, UINT elapseMs, uint64_t serial) {
    platform::PostToUiThreadAfter(static_cast<int>(elapseMs), [=] {
        Timers& timers = TheTimers();
        {
            std::lock_guard lock(timers.mutex);
            const auto it = timers.running.find({hwnd, id});
            if (it == timers.running.end() || it->second != serial)
                return;
            if (!IsWindow(hwnd)) {
                timers.running.erase(it);
                return;
            }
        }
        PostMessageW(hwnd, WM_TIMER, id, 0);
        BookTick(hwnd, id, elapseMs, serial);
    });
}

} // namespace

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
    if (!hwnd || proc || !IsWindow(hwnd))
        return 0;
    // As Windows does, a period below 10 ms is taken as 10 ms.
    elapseMs = elapseMs < 10 ? 10 : elapseMs;
    Timers& timers = TheTimers();
    uint64_t serial;
    {
        std::lock_guard lock(timers.mutex);
        serial = ++timers.serial;
        timers.running[{hwnd, id}] = serial;
    }
    BookTick(hwnd, id, elapseMs, serial);
    return id == 0 ? 1 : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    Timers& timers = TheTimers();
    std::lock_guard lock(timers.mutex);
    return timers.running.erase({hwnd, id}) > 0 ? TRUE : FALSE;
}
