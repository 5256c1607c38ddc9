#include "platform/notify/delivery.h"

#include <vector>

#include "platform/notify/broadcast_record.h"
#include "platform/notify/registrations.h"
#include "platform/win32/api.h"
#include "platform/win32/constants.h"
#include "platform/window/ui_thread.h"

namespace platform::notify {

namespace {

BOOL CollectWindow(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

} // namespace

void DeliverInterfaceEvent(const InterfaceEvent& event) {
    PostToUiThread([event] {
        // Recipients are looked up here rather than at posting, so a window that registers
        // or goes away in the meantime is treated as Windows would at the time of sending.
        for (HWND window : ProcessRegistrations().recipients(event.classGuid)) {
            if (!IsWindow(window)) {
                ProcessRegistrations().removeWindow(window);
                continue;
            }
            InterfaceRecord record(event.name, event.classGuid);
            SendMessageW(window, WM_DEVICECHANGE, event.event, record.lParam());
        }
    });
}

void DeliverPowerEvent(DWORD powerEvent) {
    PostToUiThread([powerEvent] {
        std::vector<HWND> windows;
        EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
        for (HWND window : windows)
            SendMessageW(window, WM_POWERBROADCAST, powerEvent, 0);
    });
}

} // namespace platform::notify
