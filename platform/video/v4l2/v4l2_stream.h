// Streaming from an open node: its mapped driver buffers, queued and taken back in turn.
#pragma once

#include <linux/videodev2.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace platform::v4l2 {

// One filled buffer, as DQBUF hands it over: the caller gives it back with requeue().
struct FilledBuffer {
    uint32_t index = 0;
    const uint8_t* data = nullptr;
    size_t bytes = 0;     // bytes the driver filled
    bool damaged = false; // the driver marked it (V4L2_BUF_FLAG_ERROR)
    double captureMs = 0; // when it was captured, CLOCK_MONOTONIC
};

class Stream {
public:
    // Asks the node behind `fd` for `buffers` mmap buffers (the driver may grant another
    // count), maps and queues them all, and starts streaming. Null, with errno set, when the
    // driver refuses (EBUSY: another program has the device).
    static std::unique_ptr<Stream> Start(int fd, int buffers);
    // Stops streaming and unmaps the buffers; the node's handle stays open.
    ~Stream();
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    int buffers() const { return int(m_buffers.size()); }

    // Takes the oldest filled buffer. 0, EAGAIN when none is filled yet, or the errno of
    // the failed DQBUF (EIO, ENODEV, ...).
    int dequeue(FilledBuffer& filled);
    // Gives a dequeued buffer back to the driver; false (errno set) when it refuses.
    bool requeue(uint32_t index);

    enum class Wait { Ready, Woken, Failed };
    // Waits until a buffer is filled (Ready), `wakeFd` becomes readable (Woken), or the node
    // reports an error, as an unplugged device does (Failed). No time limit.
    Wait wait(int wakeFd) const;

private:
    struct Mapping {
        void* address = nullptr;
        size_t length = 0;
    };
    explicit Stream(int fd) : m_fd(fd) {}
    bool mapAndQueue(uint32_t count);

    int m_fd;
    std::vector<Mapping> m_buffers;
    bool m_streaming = false;
};

} // namespace platform::v4l2
