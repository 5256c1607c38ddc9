// The dongle's pictures: a moving pattern, in the bytes of the format it streams.
#include "dongle_internal.h"

#include <linux/videodev2.h>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

namespace dongle {

std::vector<uint8_t> FrameBytes(uint32_t fourcc, int width, int height, int k) {
    // Green on the left, magenta on the right, a white bar that crosses the picture in
    // kPatternFrames frames.
    cv::Mat bgr(height, width, CV_8UC3, cv::Scalar(40, 160, 40));
    bgr(cv::Rect(width / 2, 0, width - width / 2, height)).setTo(cv::Scalar(160, 40, 160));
    const int bar = std::max(1, width / 16);
    bgr(cv::Rect((width - bar) * k / (kPatternFrames - 1), 0, bar, height))
        .setTo(cv::Scalar::all(255));
    std::vector<uint8_t> out;
    if (fourcc == V4L2_PIX_FMT_MJPEG) {
        cv::imencode(".jpg", bgr, out, {cv::IMWRITE_JPEG_QUALITY, 85});
        return out;
    }
    // YUYV: the luma of each pixel, the chroma of each pair of pixels.
    cv::Mat yuv;
    cv::cvtColor(bgr, yuv, cv::COLOR_BGR2YUV);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x + 1 < width; x += 2) {
            const cv::Vec3b a = yuv.at<cv::Vec3b>(y, x), b = yuv.at<cv::Vec3b>(y, x + 1);
            out.insert(out.end(),
                       {a[0], uint8_t((a[1] + b[1]) / 2), b[0], uint8_t((a[2] + b[2]) / 2)});
        }
    return out;
}

} // namespace dongle
