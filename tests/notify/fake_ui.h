// A stand-in user-interface thread and window set for notification tests: tasks wait in a
// queue until run(), messages are recorded with a copy of the record they point to.
#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "platform/notify/registrations.h"
#include "platform/notify/simulated_notifications.h"
#include "platform/notify/transport.h"
#include "platform/win32/api.h"

namespace notify_test {

struct SentMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::thread::id thread;
    std::vector<uint8_t> record; // dbcc_size bytes when lParam is an interface record
};

inline std::u16string RecordName(const std::vector<uint8_t>& record) {
    std::u16string name;
    for (size_t at = 28; at + 1 < record.size(); at += 2) {
        char16_t unit;
        std::memcpy(&unit, &record[at], 2);
        if (unit == 0)
            break;
        name.push_back(unit);
    }
    return name;
}

class FakeUi {
public:
    FakeUi() {
        auto t = std::make_shared<platform::notify::Transport>();
        t->postToUiThread = [this](std::function<void()> task) {
            std::lock_guard lock(mutex_);
            tasks_.push_back(std::move(task));
        };
        t->isWindow = [this](HWND w) {
            std::lock_guard lock(mutex_);
            return windows_.count(w) > 0;
        };
        t->sendMessage = [this](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            SentMessage sent{w, m, wp, lp, std::this_thread::get_id(), {}};
            if (m == WM_DEVICECHANGE && lp && copyRecords) {
                DWORD size;
                std::memcpy(&size, reinterpret_cast<const void*>(lp), 4);
                const auto* bytes = reinterpret_cast<const uint8_t*>(lp);
                sent.record.assign(bytes, bytes + size);
            }
            if (onSend)
                onSend(w, m, wp, lp);
            std::lock_guard lock(mutex_);
            sent_.push_back(std::move(sent));
            return TRUE;
        };
        t->topLevelWindows = [this] {
            std::lock_guard lock(mutex_);
            return std::vector<HWND>(order_.begin(), order_.end());
        };
        platform::notify::SetTransportForTesting(t);
        platform::notify::SetRealNotificationSourcesEnabled(false);
    }
    ~FakeUi() {
        for (HDEVNOTIFY h : handles_)
            UnregisterDeviceNotification(h);
        for (HWND w : order_)
            platform::notify::ProcessRegistrations().removeWindow(w);
        platform::notify::SetTransportForTesting(nullptr);
    }

    HWND createWindow() {
        static uintptr_t next = 0x1000;
        std::lock_guard lock(mutex_);
        HWND w = reinterpret_cast<HWND>(next += 0x10);
        windows_.insert(w);
        order_.push_back(w);
        return w;
    }
    void destroyWindow(HWND w) {
        std::lock_guard lock(mutex_);
        windows_.erase(w);
    }
    HDEVNOTIFY registerFor(HWND w, const GUID& classGuid, DWORD flags) {
        DEV_BROADCAST_DEVICEINTERFACE_W filter{};
        filter.dbcc_size = sizeof filter;
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_classguid = classGuid;
        HDEVNOTIFY h = RegisterDeviceNotificationW(w, &filter, flags);
        if (h)
            handles_.push_back(h);
        return h;
    }

    // Runs queued tasks, and those they queue, on the calling thread.
    void run() {
        for (;;) {
            std::function<void()> task;
            {
                std::lock_guard lock(mutex_);
                if (tasks_.empty())
                    return;
                task = std::move(tasks_.front());
                tasks_.pop_front();
            }
            task();
        }
    }
    size_t queued() {
        std::lock_guard lock(mutex_);
        return tasks_.size();
    }
    std::vector<SentMessage> sent() {
        std::lock_guard lock(mutex_);
        return sent_;
    }
    std::vector<SentMessage> sentTo(HWND w) {
        std::vector<SentMessage> mine;
        for (const SentMessage& m : sent())
            if (m.window == w)
                mine.push_back(m);
        return mine;
    }

    // Off for messages whose record is damaged on purpose.
    bool copyRecords = true;
    // Called while a message is being sent, when its lParam is still valid.
    std::function<void(HWND, UINT, WPARAM, LPARAM)> onSend;

private:
    std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
    std::set<HWND> windows_;
    std::vector<HWND> order_;
    std::vector<SentMessage> sent_;
    std::vector<HDEVNOTIFY> handles_;
};

} // namespace notify_test
