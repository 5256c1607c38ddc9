// USB devices and sound cards coming and going, from udev's monitor, on a thread of its own.
#pragma once

#include <functional>
#include <thread>

#include "platform/notify/delivery.h"
#include "platform/notify/stop_signal.h"

namespace platform::notify {

class UdevSource {
public:
    using Sink = std::function<void(const InterfaceEvent&)>;

    // Starts listening at once. Without udev (a container) the thread just ends.
    explicit UdevSource(Sink sink);
    // Stops and joins the thread.
    ~UdevSource();
    UdevSource(const UdevSource&) = delete;
    UdevSource& operator=(const UdevSource&) = delete;

private:
    void run();

    Sink sink_;
    StopSignal stop_;
    std::thread thread_;
};

} // namespace platform::notify
