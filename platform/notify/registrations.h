// Windows registered for device-interface notifications, by class or for every class.
#pragma once

#include <mutex>
#include <vector>

#include "platform/win32/types.h"

namespace platform::notify {

class Registrations {
public:
    // Returns the new registration's handle (never null).
    HDEVNOTIFY add(HWND window, const GUID& classGuid, bool allClasses);
    bool remove(HDEVNOTIFY handle);
    // Drops every registration of a window that no longer exists.
    void removeWindow(HWND window);
    // Recipients of an interface of `classGuid`, one entry per matching registration, in the
    // order they were made.
    std::vector<HWND> recipients(const GUID& classGuid) const;
    bool empty() const;

private:
    struct Entry {
        uintptr_t id;
        HWND window;
        GUID classGuid;
        bool allClasses;
    };
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    uintptr_t nextId_ = 1;
};

// The registrations RegisterDeviceNotificationW makes.
Registrations& ProcessRegistrations();

} // namespace platform::notify
