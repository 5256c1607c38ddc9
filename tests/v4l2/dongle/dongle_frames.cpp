// The dongle's pictures: a moving pattern, in the bytes of the format it streams.
#include "dongle_internal.h"

#include <linux/videodev2.h>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

namespace dongle {

namespace {

// Green on the left, magenta on the right, a white bar that crosses the picture in
// kPatternFrames frames.
cv::Mat Pattern(int width, int height, int k) {
    cv::Mat bgr(height, width, CV_8UC3, cv::Scalar(40, 160, 40));
    bgr(cv::Rect(width / 2, 0, width - width / 2, height)).setTo(cv::Scalar(160, 40, 160));
    const int bar = std::max(1, width / 16);
    const int x = (width - bar) * k / (kPatternFrames - 1);
    bgr(cv::Rect(x, 0, bar, height)).setTo(cv::Scalar(255, 255, 255));
    return bgr;
}

uint8_t Clamp(double v) {
    return static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
}

std::vector<uint8_t> Yuyv(const cv::Mat& bgr) {
    std::vector<uint8_t> out(bgr.total() * 2);
    uint8_t* o = out.data();
    for (int y = 0; y < bgr.rows; ++y) {
        for (int x = 0; x + 1 < bgr.cols; x += 2, o += 4) {
            const cv::Vec3b a = bgr.at<cv::Vec3b>(y, x), b = bgr.at<cv::Vec3b>(y, x + 1);
            auto luma = [](cv::Vec3b p) { return 0.299 * p[2] + 0.587 * p[1] + 0.114 * p[0]; };
            const double ya = luma(a), yb = luma(b);
            const double blue = (a[0] + b[0]) / 2.0, red = (a[2] + b[2]) / 2.0;
            const double yMean = (ya + yb) / 2;
            o[0] = Clamp(ya);
            o[1] = Clamp(128 + 0.564 * (blue - yMean));
            o[2] = Clamp(yb);
            o[3] = Clamp(128 + 0.713 * (red - yMean));
        }
    }
    return out;
}

} // namespace

std::vector<uint8_t> FrameBytes(uint32_t fourcc, int width, int height, int k) {
    const cv::Mat bgr = Pattern(width, height, k);
    if (fourcc == V4L2_PIX_FMT_MJPEG || fourcc == V4L2_PIX_FMT_JPEG) {
        std::vector<uint8_t> jpeg;
        cv::imencode(".jpg", bgr, jpeg, {cv::IMWRITE_JPEG_QUALITY, 85});
        return jpeg;
    }
    return Yuyv(bgr);
}

} // namespace dongle
