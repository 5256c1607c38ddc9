#include "platform/notify/stop_signal.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace platform::notify {

StopSignal::StopSignal() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

StopSignal::~StopSignal() {
    if (fd_ >= 0)
        close(fd_);
}

void StopSignal::stop() {
    const uint64_t one = 1;
    if (fd_ >= 0)
        (void)!write(fd_, &one, sizeof one);
}

bool StopSignal::stopped() const {
    if (fd_ < 0)
        return true;
    pollfd p{fd_, POLLIN, 0};
    return poll(&p, 1, 0) > 0;
}

} // namespace platform::notify
