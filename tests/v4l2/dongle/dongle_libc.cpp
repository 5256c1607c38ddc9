// The C library calls the dongle answers for its nodes; every other call goes on to the C
// library. The listing's scan of /dev sees a folder holding the dongle's node names.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <vector>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "dongle_device.h"

using dongle::Device;
using dongle::Handle;

namespace {

template <typename F> F Real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

#define REAL(name) static const auto real_##name = Real<decltype(&::name)>(#name)

std::string NodeName(const Handle& h) {
    return h.node == dongle::Node::Capture ? "capture node" : "metadata node";
}

int OpenNode(const char* path, int flags, bool* handled) {
    *handled = false;
    if (dongle::t_holdsLock)
        return -1;
    Device& device = Device::Get();
    std::lock_guard lock(device.mutex());
    if (!device.m_configured || !path || std::strncmp(path, "/dev/video", 10) != 0)
        return -1;
    *handled = true;
    const auto node = device.NodeOf(path);
    if (!node) {
        device.Record(std::string("open ") + path + " (no such node)");
        errno = ENOENT;
        return -1;
    }
    if (device.Denied()) {
        device.Record(std::string("open ") + path + " (denied)");
        errno = EACCES;
        return -1;
    }
    const int fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd < 0)
        return -1;
    if (fd >= Device::kMaxHandleFd) {
        REAL(close);
        real_close(fd);
        errno = EMFILE;
        return -1;
    }
    device.m_handles[fd] = {fd, *node, device.m_plugGeneration, false, !(flags & O_NONBLOCK)};
    device.Record(std::string("open ") + path);
    device.Changed();
    return fd;
}

bool IsHandle(int fd) {
    if (dongle::t_holdsLock || fd < 0)
        return false;
    Device& device = Device::Get();
    std::lock_guard lock(device.mutex());
    return device.m_handles.count(fd) != 0;
}

// poll() over the dongle's handles and any other descriptors: the real poll waits on all of
// them (a handle's eventfd is readable while it has something to report), then the handles'
// bits are the device's own. -1 for `timeoutMs` waits without end. Takes no lock (see
// Device::PollBits).
int PollAll(pollfd* fds, nfds_t count, int timeoutMs) {
    REAL(poll);
    const Device& device = Device::Get();
    const auto deadline = dongle::Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::vector<short> asked(count);
    for (nfds_t i = 0; i < count; ++i)
        asked[i] = fds[i].events;
    for (;;) {
        int left = timeoutMs;
        if (timeoutMs >= 0)
            left = std::max<int>(0, std::chrono::duration_cast<std::chrono::milliseconds>(
                                        deadline - dongle::Clock::now())
                                        .count());
        for (nfds_t i = 0; i < count; ++i)
            if (device.PollBits(fds[i].fd) & Device::kIsHandle)
                fds[i].events = POLLIN;
        const int polled = real_poll(fds, count, left);
        if (polled < 0)
            return polled;
        int ready = 0;
        for (nfds_t i = 0; i < count; ++i) {
            fds[i].events = asked[i];
            const int bits = device.PollBits(fds[i].fd);
            if (bits & Device::kIsHandle)
                fds[i].revents = bits & (asked[i] | POLLERR | POLLHUP);
            ready += fds[i].revents != 0;
        }
        if (ready > 0 || left == 0)
            return ready;
    }
}

// Our nodes are opened here; any other path goes on to the C library's `real`.
int OpenOrPass(const char* path, int flags, mode_t mode, int (*real)(const char*, int, ...)) {
    bool handled;
    const int fd = OpenNode(path, flags, &handled);
    return handled ? fd : real(path, flags, mode);
}

} // namespace

extern "C" {

// The mode argument is read whether or not the flags ask for it, as the C library does.
int open(const char* path, int flags, ...) {
    REAL(open);
    va_list args;
    va_start(args, flags);
    const mode_t mode = va_arg(args, mode_t);
    va_end(args);
    return OpenOrPass(path, flags, mode, real_open);
}

// Programs built with 64-bit file offsets (FFmpeg's device input) call these names.
int open64(const char* path, int flags, ...) {
    REAL(open64);
    va_list args;
    va_start(args, flags);
    const mode_t mode = va_arg(args, mode_t);
    va_end(args);
    return OpenOrPass(path, flags, mode, real_open64);
}

int close(int fd) {
    REAL(close);
    if (!IsHandle(fd))
        return real_close(fd);
    Device& device = Device::Get();
    {
        std::unique_lock lock(device.mutex());
        auto handle = device.m_handles.find(fd);
        if (handle != device.m_handles.end()) {
            const Handle closing = handle->second;
            device.m_handles.erase(handle);
            device.ForgetHandle(fd);
            device.Closed(lock, closing);
            device.Record("close " + NodeName(closing));
        }
    }
    return real_close(fd);
}

int ioctl(int fd, unsigned long request, ...) {
    REAL(ioctl);
    va_list args;
    va_start(args, request);
    void* arg = va_arg(args, void*);
    va_end(args);
    if (!IsHandle(fd))
        return real_ioctl(fd, request, arg);
    return Device::Get().Ioctl(fd, request, arg);
}

void* mmap(void* addr, size_t length, int prot, int flags, int fd, off_t offset) {
    REAL(mmap);
    if (!IsHandle(fd))
        return real_mmap(addr, length, prot, flags, fd, offset);
    Device& device = Device::Get();
    std::lock_guard lock(device.mutex());
    const int memfd = device.BufferMemfd(offset);
    if (device.m_unplugged || memfd < 0) {
        errno = device.m_unplugged ? ENODEV : EINVAL;
        return MAP_FAILED;
    }
    return real_mmap(addr, length, prot, flags, memfd, 0);
}

void* mmap64(void* addr, size_t length, int prot, int flags, int fd, off64_t offset) {
    return mmap(addr, length, prot, flags, fd, offset);
}

int poll(pollfd* fds, nfds_t count, int timeoutMs) {
    REAL(poll);
    for (nfds_t i = 0; i < count; ++i)
        if (Device::Get().PollBits(fds[i].fd) & Device::kIsHandle)
            return PollAll(fds, count, timeoutMs);
    return real_poll(fds, count, timeoutMs);
}

// The listing scans /dev: it sees a folder holding just the dongle's two node names.
DIR* opendir(const char* name) {
    REAL(opendir);
    if (std::strcmp(name, "/dev") != 0)
        return real_opendir(name);
    Device& device = Device::Get();
    std::string folder;
    {
        std::lock_guard lock(device.mutex());
        if (!device.m_configured)
            return real_opendir(name);
        folder = device.DevFolder();
    }
    return real_opendir(folder.c_str());
}

} // extern "C"

namespace dongle {

void Configure(const std::string& table) {
    Device& device = Device::Get();
    std::lock_guard lock(device.mutex());
    device.ConfigureLocked(table);
}

void GoQuiet(double seconds) {
    Device& device = Device::Get();
    std::lock_guard lock(device.mutex());
    device.m_quietFrom = Clock::now();
    device.m_quietUntil = device.m_quietFrom + std::chrono::duration_cast<Clock::duration>(
                                                   std::chrono::duration<double>(seconds));
}

void Unplug() {
    Device& device = Device::Get();
    std::lock_guard lock(device.mutex());
    device.Record("unplug");
    device.Unplug();
}

void Replug() {
    Device& device = Device::Get();
    std::unique_lock lock(device.mutex());
    device.Record("replug");
    device.Replug(lock);
}

std::vector<std::string> Calls() {
    Device& device = Device::Get();
    std::lock_guard lock(device.mutex());
    return device.m_calls;
}

void ClearCalls() {
    Device& device = Device::Get();
    std::lock_guard lock(device.mutex());
    device.m_calls.clear();
}

int OpenHandles() {
    Device& device = Device::Get();
    std::lock_guard lock(device.mutex());
    return static_cast<int>(device.m_handles.size());
}

void Flash() {
    Device& device = Device::Get();
    std::lock_guard lock(device.mutex());
    device.m_flashNext = true;
}

std::vector<double> FlashedMs() {
    Device& device = Device::Get();
    std::lock_guard lock(device.mutex());
    return device.m_flashedMs;
}

Stats GetStats() {
    Device& device = Device::Get();
    std::lock_guard lock(device.mutex());
    return device.m_stats;
}

} // namespace dongle
