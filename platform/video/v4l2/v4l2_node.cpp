// Opening a node and asking its capabilities.
#include "platform/video/v4l2/v4l2_node.h"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <unistd.h>

#include "platform/video/v4l2/v4l2_ioctl.h"

namespace platform::v4l2 {

NodeHandle::NodeHandle(const std::string& path) {
    m_fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) {
        m_error = errno;
        return;
    }
    v4l2_capability caps{};
    if (Ioctl(m_fd, VIDIOC_QUERYCAP, &caps) < 0) {
        m_error = errno;
    } else {
        // A node of a multi-node driver describes itself in device_caps; older drivers only
        // fill the capabilities of the whole device.
        const uint32_t nodeCaps =
            (caps.capabilities & V4L2_CAP_DEVICE_CAPS) ? caps.device_caps : caps.capabilities;
        const uint32_t needed = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
        if ((nodeCaps & needed) != needed)
            m_error = ENODEV;
    }
    if (m_error != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

NodeHandle::~NodeHandle() {
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace platform::v4l2
