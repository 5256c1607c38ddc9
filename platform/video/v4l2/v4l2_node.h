// An open V4L2 node and what it can do: the handle, and its capabilities.
#pragma once

#include <string>

namespace platform::v4l2 {

// Owns a handle on a device node, opened non-blocking (reads wait in poll()).
class NodeHandle {
public:
    // Opens `path` and checks it captures video by streaming; on failure the handle is
    // closed and error() tells why (the errno of open or QUERYCAP, ENODEV for a node that
    // cannot stream video).
    explicit NodeHandle(const std::string& path);
    ~NodeHandle();
    NodeHandle(const NodeHandle&) = delete;
    NodeHandle& operator=(const NodeHandle&) = delete;

    int fd() const { return m_fd; }
    int error() const { return m_error; }

private:
    int m_fd = -1;
    int m_error = 0;
};

} // namespace platform::v4l2
