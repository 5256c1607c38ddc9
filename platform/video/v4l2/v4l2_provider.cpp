// Video inputs of this machine: the V4L2 capture nodes.
#include <dirent.h>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/video/v4l2/v4l2_listing.h"
#include "platform/video/v4l2/v4l2_source.h"

namespace platform {

namespace {

std::vector<std::string> DevEntries() {
    std::vector<std::string> names;
    DIR* dir = opendir("/dev");
    if (!dir)
        return names;
    while (dirent* entry = readdir(dir))
        names.emplace_back(entry->d_name);
    closedir(dir);
    return names;
}

std::optional<std::string> CaptureCardName(int n) {
    const std::string path = "/dev/video" + std::to_string(n);
    const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    v4l2_capability caps{};
    int result;
    do {
        result = ioctl(fd, VIDIOC_QUERYCAP, &caps);
    } while (result < 0 && errno == EINTR);
    ::close(fd);
    if (result < 0)
        return std::nullopt;
    // A node of a multi-node driver describes itself in device_caps; older drivers only fill
    // the capabilities of the whole device.
    const uint32_t nodeCaps =
        (caps.capabilities & V4L2_CAP_DEVICE_CAPS) ? caps.device_caps : caps.capabilities;
    if (!(nodeCaps & V4L2_CAP_VIDEO_CAPTURE))
        return std::nullopt;
    const char* card = reinterpret_cast<const char*>(caps.card);
    return std::string(card, strnlen(card, sizeof caps.card));
}

class V4l2Provider : public VideoSourceProvider {
public:
    explicit V4l2Provider(int driverBuffers) : m_driverBuffers(driverBuffers) {}
    std::vector<VideoInputInfo> listInputs() override {
        return v4l2::AssembleInputs(DevEntries(), CaptureCardName);
    }
    std::unique_ptr<VideoSource> open(int index) override {
        OpenFailure unused;
        return openExplained(index, unused);
    }
    std::unique_ptr<VideoSource> openExplained(int index, OpenFailure& failure) override {
        if (index < 0) {
            failure = {ENOENT, ""};
            return nullptr;
        }
        return v4l2::V4l2Source::Open(index, m_driverBuffers, failure);
    }

private:
    int m_driverBuffers;
};

} // namespace

std::shared_ptr<VideoSourceProvider> CreateV4l2VideoSourceProvider() {
    return std::make_shared<V4l2Provider>(v4l2::kDriverBuffers);
}

std::shared_ptr<VideoSourceProvider> v4l2::CreateProvider(int driverBuffers) {
    return std::make_shared<V4l2Provider>(driverBuffers);
}

} // namespace platform
