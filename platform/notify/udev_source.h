// USB devices and sound cards coming and going, from udev's monitor, on a thread of its own.
#pragma once

#include <functional>

#include "platform/notify/delivery.h"
#include "platform/notify/stop_signal.h"

namespace platform::notify {

class UdevSource {
public:
    using Sink = std::function<void(const InterfaceEvent&)>;

    // Starts listening at once. Without udev (a container) the thread just ends.
    explicit UdevSource(Sink sink);

private:
    void run(const StopSignal& stop);

    Sink sink_;
    StoppableThread thread_; // last: starts once the rest is made, stops and joins first
};

} // namespace platform::notify
