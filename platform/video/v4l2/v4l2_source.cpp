// Opening a V4L2 node in its best mode, and reads that wait for frames without giving up.
#include "platform/video/v4l2/v4l2_source.h"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <thread>

namespace platform::v4l2 {

namespace {

int Ioctl(int fd, unsigned long request, void* arg) {
    int result;
    do {
        result = ioctl(fd, request, arg);
    } while (result < 0 && errno == EINTR);
    return result;
}

double Fps(const v4l2_fract& interval) {
    return interval.numerator > 0 ? double(interval.denominator) / interval.numerator : 0;
}

void AddRates(int fd, uint32_t fourcc, int width, int height, std::vector<Mode>& modes) {
    v4l2_frmivalenum ival{};
    ival.pixel_format = fourcc;
    ival.width = width;
    ival.height = height;
    // Bounded: a driver that never ends its list must not hang the open.
    for (ival.index = 0; ival.index < 64 && Ioctl(fd, VIDIOC_ENUM_FRAMEINTERVALS, &ival) == 0;
         ++ival.index) {
        if (ival.type == V4L2_FRMIVAL_TYPE_DISCRETE) {
            modes.push_back({fourcc, width, height, Fps(ival.discrete)});
        } else {
            modes.push_back({fourcc, width, height, Fps(ival.stepwise.min)});
            break;
        }
    }
}

std::string NodePath(int index) {
    return "/dev/video" + std::to_string(index);
}

// Whether the node is there and answers: an unplugged device's node is gone, and a handle
// opened before fails with ENODEV.
bool Answers(int index) {
    const int fd = ::open(NodePath(index).c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    v4l2_capability caps{};
    const bool answers = Ioctl(fd, VIDIOC_QUERYCAP, &caps) == 0;
    ::close(fd);
    return answers;
}

} // namespace

std::vector<Mode> QueryModes(int fd) {
    std::vector<Mode> modes;
    v4l2_fmtdesc format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    for (format.index = 0; format.index < 64 && Ioctl(fd, VIDIOC_ENUM_FMT, &format) == 0;
         ++format.index) {
        v4l2_frmsizeenum size{};
        size.pixel_format = format.pixelformat;
        for (size.index = 0; size.index < 256 && Ioctl(fd, VIDIOC_ENUM_FRAMESIZES, &size) == 0;
             ++size.index) {
            if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
                AddRates(fd, format.pixelformat, size.discrete.width, size.discrete.height, modes);
                continue;
            }
            const auto& s = size.stepwise;
            const SizeRange range{int(s.min_width),  int(s.max_width),  int(s.step_width),
                                  int(s.min_height), int(s.max_height), int(s.step_height)};
            for (auto [w, h] : CandidateSizes(range))
                AddRates(fd, format.pixelformat, w, h, modes);
            break;
        }
    }
    return modes;
}

std::unique_ptr<V4l2Source> V4l2Source::Open(int index, int driverBuffers) {
    // Ask the node itself what it offers; a missing node is not handed to OpenCV, which would
    // only warn about it on stderr.
    const int fd = ::open(NodePath(index).c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    const std::vector<Mode> modes = QueryModes(fd);
    ::close(fd);

    std::unique_ptr<V4l2Source> source(new V4l2Source);
    source->m_index = index;
    source->m_chosen = ChooseMode(modes);
    // The backend's first wait for a frame, when its stream starts, is a select() of its own
    // (OPENCV_VIDEOIO_V4L_SELECT_TIMEOUT, 10 s by default) that no release can cut short. With 0
    // it only looks, and fails at once when no frame is there yet; the waits in read() take
    // over. Set once, before the first capture reads it.
    static const bool selectTimeoutSet = setenv("OPENCV_VIDEOIO_V4L_SELECT_TIMEOUT", "0", 1) == 0;
    (void)selectTimeoutSet;
    cv::VideoCapture capture(index, cv::CAP_V4L2);
    if (!capture.isOpened())
        return nullptr;
    // The backend takes a mode in this order, all before the first read: the format, then
    // the size (width, then height), then the rate.
    if (const auto& mode = source->m_chosen) {
        capture.set(cv::CAP_PROP_FOURCC, mode->fourcc);
        capture.set(cv::CAP_PROP_FRAME_WIDTH, mode->width);
        capture.set(cv::CAP_PROP_FRAME_HEIGHT, mode->height);
        capture.set(cv::CAP_PROP_FPS, mode->fps);
    }
    capture.set(cv::CAP_PROP_BUFFERSIZE, driverBuffers);
    source->m_granted = {static_cast<uint32_t>(capture.get(cv::CAP_PROP_FOURCC)),
                         static_cast<int>(capture.get(cv::CAP_PROP_FRAME_WIDTH)),
                         static_cast<int>(capture.get(cv::CAP_PROP_FRAME_HEIGHT)),
                         capture.get(cv::CAP_PROP_FPS)};
    source->m_buffers = static_cast<int>(capture.get(cv::CAP_PROP_BUFFERSIZE));
    source->m_streams.push_back(std::move(capture));
    source->m_sound = audio::DongleSound::ForVideoNode(index);
    return source;
}

bool V4l2Source::read(cv::Mat& frame) {
    std::vector<int> ready;
    while (!m_interrupted) {
        bool failed = false;
        try {
            if (cv::VideoCapture::waitAny(m_streams, ready, kWaitSliceNs)) {
                if (m_streams[0].retrieve(frame) && !frame.empty())
                    return true;
                failed = true;
            }
        } catch (const cv::Exception&) {
            failed = true;
        }
        // The backend also fails when its stream starts before the first frame is there; only
        // a device that no longer answers (unplugged) ends the read. Look again a slice later.
        if (failed) {
            if (!Answers(m_index))
                return false;
            std::this_thread::sleep_for(std::chrono::nanoseconds(kWaitSliceNs));
        }
    }
    return false;
}

double V4l2Source::get(int propId) const {
    switch (propId) {
    case cv::CAP_PROP_FOURCC:
        return m_granted.fourcc;
    case cv::CAP_PROP_FRAME_WIDTH:
        return m_granted.width;
    case cv::CAP_PROP_FRAME_HEIGHT:
        return m_granted.height;
    case cv::CAP_PROP_FPS:
        return m_granted.fps;
    case cv::CAP_PROP_BUFFERSIZE:
        return m_buffers;
    case cv::CAP_PROP_POS_MSEC:
        return m_streams[0].get(cv::CAP_PROP_POS_MSEC);
    default:
        return 0;
    }
}

} // namespace platform::v4l2
