// RegisterDeviceNotificationW and UnregisterDeviceNotification.
#include <cstring>

#include "platform/notify/real_sources.h"
#include "platform/notify/registrations.h"
#include "platform/win32/api.h"

using namespace platform::notify;

HDEVNOTIFY RegisterDeviceNotificationW(HANDLE recipient, LPVOID filter, DWORD flags) {
    // Only window recipients exist here; service handles and unknown flags are refused.
    if (!recipient || !filter || (flags & ~DWORD(DEVICE_NOTIFY_ALL_INTERFACE_CLASSES)) != 0)
        return nullptr;
    DEV_BROADCAST_HDR header;
    std::memcpy(&header, filter, sizeof header);
    if (header.dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE ||
        header.dbch_size < sizeof(DEV_BROADCAST_DEVICEINTERFACE_W))
        return nullptr;
    HWND window = static_cast<HWND>(recipient);
    if (!IsWindow(window))
        return nullptr;
    GUID classGuid;
    std::memcpy(&classGuid,
                static_cast<const unsigned char*>(filter) +
                    offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_classguid),
                sizeof classGuid);
    HDEVNOTIFY handle = ProcessRegistrations().add(
        window, classGuid, (flags & DEVICE_NOTIFY_ALL_INTERFACE_CLASSES) != 0);
    StartRealSources();
    return handle;
}

BOOL UnregisterDeviceNotification(HDEVNOTIFY handle) {
    return ProcessRegistrations().remove(handle) ? TRUE : FALSE;
}
