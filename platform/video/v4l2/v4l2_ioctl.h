// The one way this folder calls the driver.
#pragma once

#include <sys/ioctl.h>

#include <cerrno>

namespace platform::v4l2 {

// ioctl(), asked again when a signal interrupts it. 0, or -1 with errno set.
inline int Ioctl(int fd, unsigned long request, void* arg) {
    int result;
    do {
        result = ioctl(fd, request, arg);
    } while (result < 0 && errno == EINTR);
    return result;
}

} // namespace platform::v4l2
