#include "platform/notify/real_sources.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/notify/delivery.h"
#include "platform/notify/logind_source.h"
#include "platform/notify/registrations.h"
#include "platform/window/ui_thread.h"
#include "platform/notify/udev_source.h"

namespace platform::notify {

namespace {

class RealSources;
RealSources& Sources();

class RealSources {
public:
    ~RealSources() { stop(); }

    void start() {
        std::lock_guard lock(mutex_);
        if (!enabledLocked() || udev_)
            return;
        if (!stopAtExitRegistered_) {
            // What the source threads reach (the registrations and the user-interface
            // thread's queue) must outlive them at exit: made before the handler is
            // registered, it is destroyed only after the handler has run.
            ProcessRegistrations();
            PostToUiThread([] {});
            std::atexit([] { Sources().stop(); });
            stopAtExitRegistered_ = true;
        }
        udev_ = std::make_unique<UdevSource>(DeliverInterfaceEvent);
        logind_ = std::make_unique<LogindSource>(DeliverPowerEvent);
    }

    void stop() {
        std::unique_ptr<UdevSource> udev;
        std::unique_ptr<LogindSource> logind;
        {
            std::lock_guard lock(mutex_);
            udev = std::move(udev_);
            logind = std::move(logind_);
        }
        // Joined outside the lock: a source thread may be delivering right now.
    }

    void setEnabled(bool enabled) {
        {
            std::lock_guard lock(mutex_);
            enabled_ = enabled;
        }
        if (!enabled)
            stop();
        else if (!ProcessRegistrations().empty())
            start();
    }

    bool running() {
        std::lock_guard lock(mutex_);
        return udev_ != nullptr;
    }

private:
    bool enabledLocked() {
        if (!enabled_) {
            const char* setting = std::getenv("VISTREL_REAL_NOTIFICATIONS");
            enabled_ = !(setting && std::strcmp(setting, "0") == 0);
        }
        return *enabled_;
    }

    std::mutex mutex_;
    std::optional<bool> enabled_;
    bool stopAtExitRegistered_ = false;
    std::unique_ptr<UdevSource> udev_;
    std::unique_ptr<LogindSource> logind_;
};

RealSources& Sources() {
    static RealSources sources;
    return sources;
}

} // namespace

void StartRealSources() {
    Sources().start();
}

void SetRealNotificationSourcesEnabled(bool enabled) {
    Sources().setEnabled(enabled);
}

bool RealNotificationSourcesRunning() {
    return Sources().running();
}

} // namespace platform::notify
