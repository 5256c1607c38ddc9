// The driver's buffer queue: REQBUFS, mmap, QBUF, STREAMON; DQBUF and QBUF per frame; poll.
#include "platform/video/v4l2/v4l2_stream.h"

#include <poll.h>
#include <sys/mman.h>

#include <cerrno>

#include "platform/video/v4l2/v4l2_ioctl.h"

namespace platform::v4l2 {

namespace {

v4l2_buffer CaptureBuffer(uint32_t index) {
    v4l2_buffer b{};
    b.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    b.memory = V4L2_MEMORY_MMAP;
    b.index = index;
    return b;
}

} // namespace

std::unique_ptr<Stream> Stream::Start(int fd, int buffers) {
    v4l2_requestbuffers request{};
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    request.count = buffers;
    if (Ioctl(fd, VIDIOC_REQBUFS, &request) < 0)
        return nullptr;
    std::unique_ptr<Stream> stream(new Stream(fd));
    if (request.count == 0) {
        errno = ENOMEM;
        return nullptr;
    }
    if (!stream->mapAndQueue(request.count))
        return nullptr;
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (Ioctl(fd, VIDIOC_STREAMON, &type) < 0)
        return nullptr;
    stream->m_streaming = true;
    return stream;
}

bool Stream::mapAndQueue(uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        v4l2_buffer b = CaptureBuffer(i);
        if (Ioctl(m_fd, VIDIOC_QUERYBUF, &b) < 0)
            return false;
        void* address =
            ::mmap(nullptr, b.length, PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, b.m.offset);
        if (address == MAP_FAILED)
            return false;
        m_buffers.push_back({address, b.length});
        if (Ioctl(m_fd, VIDIOC_QBUF, &b) < 0)
            return false;
    }
    return true;
}

Stream::~Stream() {
    const int saved = errno; // a failed start reports the errno of its own call
    if (m_streaming) {
        int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        Ioctl(m_fd, VIDIOC_STREAMOFF, &type);
    }
    for (const Mapping& m : m_buffers)
        ::munmap(m.address, m.length);
    // The driver frees the buffers when the node's handle closes.
    errno = saved;
}

int Stream::dequeue(FilledBuffer& filled) {
    v4l2_buffer b = CaptureBuffer(0);
    if (Ioctl(m_fd, VIDIOC_DQBUF, &b) < 0)
        return errno == EWOULDBLOCK ? EAGAIN : errno;
    if (b.index >= m_buffers.size())
        return EIO;
    filled.index = b.index;
    filled.data = static_cast<const uint8_t*>(m_buffers[b.index].address);
    filled.bytes = std::min<size_t>(b.bytesused, m_buffers[b.index].length);
    filled.damaged = (b.flags & V4L2_BUF_FLAG_ERROR) != 0;
    filled.captureMs = b.timestamp.tv_sec * 1e3 + b.timestamp.tv_usec / 1e3;
    return 0;
}

bool Stream::requeue(uint32_t index) {
    v4l2_buffer b = CaptureBuffer(index);
    return Ioctl(m_fd, VIDIOC_QBUF, &b) == 0;
}

Stream::Wait Stream::wait(int wakeFd) const {
    pollfd fds[2] = {{m_fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    for (;;) {
        const int ready = ::poll(fds, 2, -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return Wait::Failed;
        if (fds[1].revents)
            return Wait::Woken;
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL))
            return Wait::Failed;
        if (fds[0].revents & POLLIN)
            return Wait::Ready;
    }
}

} // namespace platform::v4l2
