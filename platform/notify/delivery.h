// The one path every device-interface and power notification takes, real or simulated.
#pragma once

#include <string>

#include "platform/win32/types.h"

namespace platform::notify {

struct InterfaceEvent {
    DWORD event; // DBT_DEVICEARRIVAL or DBT_DEVICEREMOVECOMPLETE
    std::string name;
    GUID classGuid;
};

// Any thread. On the user-interface thread, sends WM_DEVICECHANGE to each registered window
// whose filter takes the class, each with a record of its own.
void DeliverInterfaceEvent(const InterfaceEvent& event);

// Any thread. On the user-interface thread, sends WM_POWERBROADCAST with `powerEvent`
// (PBT_*) to every top-level window, as Windows broadcasts power events without
// registration.
void DeliverPowerEvent(DWORD powerEvent);

} // namespace platform::notify
