#include "platform/notify/registrations.h"

#include <algorithm>

namespace platform::notify {

HDEVNOTIFY Registrations::add(HWND window, const GUID& classGuid, bool allClasses) {
    std::lock_guard lock(mutex_);
    const uintptr_t id = nextId_++;
    entries_.push_back({id, window, classGuid, allClasses});
    return reinterpret_cast<HDEVNOTIFY>(id);
}

bool Registrations::remove(HDEVNOTIFY handle) {
    std::lock_guard lock(mutex_);
    const auto id = reinterpret_cast<uintptr_t>(handle);
    const auto found =
        std::find_if(entries_.begin(), entries_.end(), [id](const Entry& e) { return e.id == id; });
    if (found == entries_.end())
        return false;
    entries_.erase(found);
    return true;
}

void Registrations::removeWindow(HWND window) {
    std::lock_guard lock(mutex_);
    std::erase_if(entries_, [window](const Entry& e) { return e.window == window; });
}

std::vector<HWND> Registrations::recipients(const GUID& classGuid) const {
    std::lock_guard lock(mutex_);
    std::vector<HWND> windows;
    for (const Entry& e : entries_)
        if (e.allClasses || e.classGuid == classGuid)
            windows.push_back(e.window);
    return windows;
}

bool Registrations::empty() const {
    std::lock_guard lock(mutex_);
    return entries_.empty();
}

Registrations& ProcessRegistrations() {
    static Registrations registrations;
    return registrations;
}

} // namespace platform::notify
