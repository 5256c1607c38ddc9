// The dongle's device state, shared by the calls the library answers.
#pragma once

#include <linux/videodev2.h>
#include <poll.h>
#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <tuple>

#include "dongle_internal.h"

namespace dongle {

using Clock = std::chrono::steady_clock;

// Set while this thread holds the device's lock: C library calls made then (by the dongle
// itself, or by a sanitizer writing a report) go straight on to the C library.
extern thread_local bool t_holdsLock;

class DeviceMutex {
public:
    void lock() {
        m_mutex.lock();
        t_holdsLock = true;
    }
    void unlock() {
        t_holdsLock = false;
        m_mutex.unlock();
    }

private:
    std::mutex m_mutex;
};
using Lock = std::unique_lock<DeviceMutex>;

enum class Node { Capture, Metadata };

// An open file handle on one of the nodes: a real eventfd stands behind it, so its number is
// the process's own and cannot clash, and poll() waits on it beside other descriptors: the
// eventfd is readable exactly while the handle has something to report (Device::Readiness).
struct Handle {
    int fd = -1;
    Node node = Node::Capture;
    uint64_t plugGeneration = 0; // handles from before an unplug stay dead
    bool signalled = false;      // its eventfd is readable
    bool blocking = false;       // opened without O_NONBLOCK: DQBUF waits for a frame
};

class Device {
public:
    static Device& Get();

    // Buffer memory is mapped by this offset step: buffer i at i * kOffsetStep.
    static constexpr uint32_t kOffsetStep = 1 << 24;

    struct Buffer {
        int memfd = -1;
        uint8_t* memory = nullptr;
        size_t length = 0;
        v4l2_buffer info{};
    };
    struct Format {
        uint32_t fourcc = 0;
        int width = 0, height = 0;
    };

    // All below run under mutex() unless they take the lock themselves.
    DeviceMutex& mutex() { return m_mutex; }
    std::condition_variable_any& changed() { return m_changed; }
    void ConfigureLocked(const std::string& text);
    std::optional<Node> NodeOf(const char* path) const;
    bool Denied() const { return m_table.deny; }
    void Record(const std::string& call);
    int Ioctl(int fd, unsigned long request, void* arg); // takes the lock

    // poll() bits of a handle: POLLIN with a frame ready, POLLERR unplugged or not streaming.
    short Readiness(const Handle& handle) const;
    // Makes every handle's eventfd readable exactly while its Readiness is not 0, publishes
    // the bits for PollBits, and wakes the waits on changed(); after every change of the
    // device's state.
    void Changed();
    // Handles have numbers below this (open fails with EMFILE above).
    static constexpr int kMaxHandleFd = 1024;
    // Without the lock: whether `fd` is a handle (kIsHandle) and its poll() bits as of the
    // last Changed(). poll() reads these, since a sanitizer does not see locks taken inside
    // a blocking call such as poll.
    static constexpr int kIsHandle = 0x4000;
    int PollBits(int fd) const { return fd >= 0 && fd < kMaxHandleFd ? m_pollBits[fd].load() : 0; }
    void ForgetHandle(int fd) {
        if (fd >= 0 && fd < kMaxHandleFd)
            m_pollBits[fd] = 0;
    }
    // Stops the stream and frees the buffers when the handle that asked for them closes.
    void Closed(Lock& lock, const Handle& handle);
    void Unplug();
    void Replug(Lock& lock);
    // A folder standing in for /dev: it holds the names of the two nodes.
    std::string DevFolder();
    int BufferMemfd(off_t offset) const;

    std::map<int, Handle> m_handles;
    std::vector<std::string> m_calls;
    Stats m_stats;
    bool m_configured = false;
    bool m_unplugged = false;
    uint64_t m_plugGeneration = 0;
    Clock::time_point m_quietFrom{}, m_quietUntil{};
    bool m_flashNext = false;        // the next frame filled is white (content flash)
    std::vector<double> m_flashedMs; // the timestamps of the white frames filled

private:
    Device();
    const SizeEntry* EntryFor(uint32_t fourcc, int width, int height) const;
    Format Closest(uint32_t fourcc, int width, int height) const;
    void FillFormat(v4l2_format& f, const Format& format) const;
    void FillCaps(v4l2_capability& caps) const;
    int MetadataIoctl(unsigned long request, void* arg);
    // Returns 0 or an errno value.
    int CaptureIoctl(Lock& lock, Handle& handle, unsigned long request, void* arg);
    int BufferIoctl(Lock& lock, const Handle& handle, unsigned long request, v4l2_buffer& b);
    // Fills the first queued buffer with frame `sequence`, damaged as the table says.
    void Fill(uint32_t sequence, const std::vector<std::vector<uint8_t>>& pictures,
              const std::vector<std::vector<uint8_t>>& otherSize);
    // Follows the table's plugged-while file, on a thread of its own for the process's life.
    void WatchPlugFile();
    void StartStreaming(Lock& lock);
    void StopStreaming(Lock& lock);
    void FreeBuffers();
    void Produce();

    DeviceMutex m_mutex;
    std::condition_variable_any m_changed;
    Table m_table;
    std::vector<uint32_t> m_formats; // in the order the table first names them
    Format m_format;
    double m_fps = 0;
    std::vector<Buffer> m_buffers;
    int m_owner = -1; // the handle that asked for the buffers
    std::deque<uint32_t> m_queued, m_done;
    bool m_streaming = false;
    bool m_everStreamed = false;
    bool m_stopProducer = false;
    std::thread m_producer;
    bool m_watching = false; // the plug file's thread runs
    uint64_t m_dequeues = 0; // since the stream started
    // The pictures of each mode (fourcc, size, content), encoded once.
    std::map<std::tuple<uint32_t, int, int, Content>, std::vector<std::vector<uint8_t>>> m_pictures;
    std::string m_devFolder;
    std::atomic<int> m_pollBits[kMaxHandleFd] = {};
};

} // namespace dongle
