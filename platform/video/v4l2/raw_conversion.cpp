// The raw formats through OpenCV's colour conversions.
#include "platform/video/v4l2/raw_conversion.h"

#include <linux/videodev2.h>

#include <opencv2/imgproc.hpp>

namespace platform::v4l2 {

namespace {

struct RawLayout {
    int type;       // of one stored row of pixels
    int rowsFactor; // stored rows per two picture rows: 2, or 3 for planar 4:2:0
    int conversion; // to BGR; -1 when the data is BGR already
};

bool Layout(uint32_t fourcc, RawLayout& layout) {
    switch (fourcc) {
    case V4L2_PIX_FMT_YUYV:
        layout = {CV_8UC2, 2, cv::COLOR_YUV2BGR_YUYV};
        return true;
    case V4L2_PIX_FMT_UYVY:
        layout = {CV_8UC2, 2, cv::COLOR_YUV2BGR_UYVY};
        return true;
    case V4L2_PIX_FMT_YUV420:
        layout = {CV_8UC1, 3, cv::COLOR_YUV2BGR_I420};
        return true;
    case V4L2_PIX_FMT_YVU420:
        layout = {CV_8UC1, 3, cv::COLOR_YUV2BGR_YV12};
        return true;
    case V4L2_PIX_FMT_NV12:
        layout = {CV_8UC1, 3, cv::COLOR_YUV2BGR_NV12};
        return true;
    case V4L2_PIX_FMT_NV21:
        layout = {CV_8UC1, 3, cv::COLOR_YUV2BGR_NV21};
        return true;
    case V4L2_PIX_FMT_GREY:
        layout = {CV_8UC1, 2, cv::COLOR_GRAY2BGR};
        return true;
    case V4L2_PIX_FMT_RGB24:
        layout = {CV_8UC3, 2, cv::COLOR_RGB2BGR};
        return true;
    case V4L2_PIX_FMT_BGR24:
        layout = {CV_8UC3, 2, -1};
        return true;
    default:
        return false;
    }
}

} // namespace

bool IsConvertibleRaw(uint32_t fourcc) {
    RawLayout layout;
    return Layout(fourcc, layout);
}

bool ConvertRaw(uint32_t fourcc, int width, int height, int bytesPerLine, const uint8_t* data,
                size_t size, cv::Mat& picture) {
    RawLayout layout;
    if (!Layout(fourcc, layout) || width <= 0 || height <= 0)
        return false;
    const bool planar = layout.rowsFactor == 3;
    // Planar 4:2:0 needs even sides; its planes are taken as packed tight.
    if (planar && (width % 2 != 0 || height % 2 != 0))
        return false;
    const size_t tight = size_t(width) * CV_ELEM_SIZE(layout.type);
    const size_t step = planar || bytesPerLine <= 0 ? tight : size_t(bytesPerLine);
    const int rows = height * layout.rowsFactor / 2;
    if (step < tight || size < step * (rows - 1) + tight)
        return false;
    const cv::Mat stored(rows, width, layout.type, const_cast<uint8_t*>(data), step);
    cv::Mat converted;
    if (layout.conversion < 0)
        stored.copyTo(converted);
    else
        cv::cvtColor(stored, converted, layout.conversion);
    picture = converted;
    return true;
}

} // namespace platform::v4l2
