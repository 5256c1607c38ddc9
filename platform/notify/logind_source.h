// Sleep and resume from systemd-logind's PrepareForSleep signal on the system bus, on a
// thread of its own.
#pragma once

#include <functional>

#include "platform/notify/stop_signal.h"
#include "platform/win32/types.h"

namespace platform::notify {

// PrepareForSleep(true) is the coming suspend, PrepareForSleep(false) the resume.
DWORD PowerEventForPrepareForSleep(bool sleeping);

class LogindSource {
public:
    using Sink = std::function<void(DWORD powerEvent)>; // PBT_APMSUSPEND or ..RESUMEAUTOMATIC

    // Starts listening at once. Without a system bus the thread just ends.
    explicit LogindSource(Sink sink);

private:
    void run(const StopSignal& stop);

    Sink sink_;
    StoppableThread thread_; // last: starts once the rest is made, stops and joins first
};

} // namespace platform::notify
