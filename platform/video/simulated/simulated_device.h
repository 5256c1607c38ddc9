// The shared state of one simulated input, between its provider and its open sources.
#pragma once

#include <condition_variable>
#include <mutex>

#include "platform/video/simulated_devices.h"

namespace platform {

struct SimulatedDevice {
    std::mutex mutex;
    // Signalled on every change below and on every change of a source's read state.
    std::condition_variable changed;
    SimulatedInput input;
    bool plugged = true;
    uint64_t unplugs = 0;      // a source is dead once this moves past its value at open
    uint64_t faultChanges = 0; // wakes blocked reads to look at the fault again
    SimulatedInputStats stats;
};

} // namespace platform
