// Asking a node for its modes and setting the chosen one.
#include "platform/video/v4l2/v4l2_format.h"

#include <linux/videodev2.h>

#include <cmath>

#include "platform/video/v4l2/v4l2_ioctl.h"

namespace platform::v4l2 {

namespace {

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

} // namespace

std::vector<Mode> QueryModes(int fd) {
    std::vector<Mode> modes;
    v4l2_fmtdesc format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    for (format.index = 0; format.index < 64 && Ioctl(fd, VIDIOC_ENUM_FMT, &format) == 0;
         ++format.index) {
        // Formats we cannot turn into a picture are not worth the calls.
        if (!ConvertibleToBgr(format.pixelformat))
            continue;
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

bool SetMode(int fd, const Mode& mode, GrantedFormat& granted) {
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    format.fmt.pix.pixelformat = mode.fourcc;
    format.fmt.pix.width = mode.width;
    format.fmt.pix.height = mode.height;
    format.fmt.pix.field = V4L2_FIELD_ANY;
    if (Ioctl(fd, VIDIOC_S_FMT, &format) < 0)
        return false;
    const v4l2_pix_format& pix = format.fmt.pix;
    granted.mode = {pix.pixelformat, int(pix.width), int(pix.height), 0};
    granted.bytesPerLine = int(pix.bytesperline);

    v4l2_streamparm parm{};
    parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    // The rate as a frame interval: 60 fps asks 1000/60000, 29.97 asks 1000/29970.
    parm.parm.capture.timeperframe = {1000, uint32_t(std::lround(mode.fps * 1000))};
    if (Ioctl(fd, VIDIOC_S_PARM, &parm) == 0)
        granted.mode.fps = Fps(parm.parm.capture.timeperframe);
    return true;
}

} // namespace platform::v4l2
