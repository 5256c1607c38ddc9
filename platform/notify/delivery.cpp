#include "platform/notify/delivery.h"

#include "platform/notify/broadcast_record.h"
#include "platform/notify/registrations.h"
#include "platform/notify/transport.h"
#include "platform/win32/constants.h"

namespace platform::notify {

void DeliverInterfaceEvent(const InterfaceEvent& event) {
    std::shared_ptr<const Transport> transport = CurrentTransport();
    transport->postToUiThread([transport, event] {
        // Recipients are looked up here rather than at posting, so a window that registers
        // or goes away in the meantime is treated as Windows would at the time of sending.
        for (HWND window : ProcessRegistrations().recipients(event.classGuid)) {
            if (!transport->isWindow(window)) {
                ProcessRegistrations().removeWindow(window);
                continue;
            }
            InterfaceRecord record(event.name, event.classGuid);
            transport->sendMessage(window, WM_DEVICECHANGE, event.event, record.lParam());
        }
    });
}

void DeliverPowerEvent(DWORD powerEvent) {
    std::shared_ptr<const Transport> transport = CurrentTransport();
    transport->postToUiThread([transport, powerEvent] {
        for (HWND window : transport->topLevelWindows())
            transport->sendMessage(window, WM_POWERBROADCAST, powerEvent, 0);
    });
}

} // namespace platform::notify
