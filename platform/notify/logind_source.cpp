#include "platform/notify/logind_source.h"

#include <poll.h>
#include <systemd/sd-bus.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "platform/win32/constants.h"

namespace platform::notify {

namespace {

int OnPrepareForSleep(sd_bus_message* message, void* userdata, sd_bus_error*) {
    int sleeping = 0;
    if (sd_bus_message_read(message, "b", &sleeping) < 0)
        return 0;
    (*static_cast<LogindSource::Sink*>(userdata))(PowerEventForPrepareForSleep(sleeping != 0));
    return 0;
}

// Milliseconds until sd-bus wants to run again (its timeouts are absolute, monotonic).
int PollTimeoutMs(sd_bus* bus) {
    uint64_t until = 0;
    if (sd_bus_get_timeout(bus, &until) < 0 || until == UINT64_MAX)
        return -1;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t nowUs = uint64_t(now.tv_sec) * 1000000 + uint64_t(now.tv_nsec) / 1000;
    if (until <= nowUs)
        return 0;
    return static_cast<int>(std::min<uint64_t>((until - nowUs + 999) / 1000, 60000));
}

} // namespace

DWORD PowerEventForPrepareForSleep(bool sleeping) {
    return sleeping ? PBT_APMSUSPEND : PBT_APMRESUMEAUTOMATIC;
}

LogindSource::LogindSource(Sink sink)
    : sink_(std::move(sink)), thread_([this](const StopSignal& stop) { run(stop); }) {}

void LogindSource::run(const StopSignal& stop) {
    sd_bus* bus = nullptr;
    if (sd_bus_open_system(&bus) < 0)
        return;
    sd_bus_slot* slot = nullptr;
    // Asynchronous, so a bus that does not answer never holds up the stop.
    if (sd_bus_match_signal_async(bus, &slot, "org.freedesktop.login1", "/org/freedesktop/login1",
                                  "org.freedesktop.login1.Manager", "PrepareForSleep",
                                  OnPrepareForSleep, nullptr, &sink_) >= 0) {
        while (!stop.stopped()) {
            const int processed = sd_bus_process(bus, nullptr);
            if (processed < 0)
                break; // the bus went away
            if (processed > 0)
                continue;
            const int fd = sd_bus_get_fd(bus);
            const int events = sd_bus_get_events(bus);
            if (fd < 0 || events < 0)
                break;
            pollfd fds[2] = {{fd, static_cast<short>(events), 0}, {stop.fd(), POLLIN, 0}};
            if (poll(fds, 2, PollTimeoutMs(bus)) < 0 && errno != EINTR)
                break;
            if (fds[1].revents)
                break;
        }
    }
    sd_bus_slot_unref(slot);
    sd_bus_close(bus);
    sd_bus_unref(bus);
}

} // namespace platform::notify
