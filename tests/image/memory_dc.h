// Helpers for the image holder's tests: a memory DC whose pixels the test reads back, GDI call
// recording, generated pictures and paths for picture files.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <opencv2/core.hpp>

#include "image/CvvImage.h"
#include "platform/gdi/trace.h"
#include "platform/windows.h"
#include "tests/support/dialog_harness.h"
#include "tests/support/memory_canvas.h"

namespace image_test {

using testing_support::MemoryCanvas;

// Records every GDI call for as long as it lives.
struct GdiRecorder {
    std::vector<platform::gdi::GdiCall> calls;
    GdiRecorder() { platform::gdi::SetGdiTrace(&calls); }
    ~GdiRecorder() { platform::gdi::SetGdiTrace(nullptr); }
};

// A picture of one colour (given as 0x00RRGGBB).
inline cv::Mat Uniform(int width, int height, uint32_t rgb, int channels = 3) {
    const cv::Scalar bgra(rgb & 255, (rgb >> 8) & 255, (rgb >> 16) & 255, 255);
    return cv::Mat(height, width, CV_8UC(channels), bgra);
}

// A picture whose every pixel differs from its neighbours: B, G, R, A = x, y, x + y, 255 - x.
inline cv::Mat Pattern(int width, int height, int channels = 3) {
    cv::Mat picture(height, width, CV_8UC(channels));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uchar values[4] = {uchar(x), uchar(y), uchar(x + y), uchar(255 - x)};
            std::copy(values, values + channels, picture.ptr<uchar>(y) + x * channels);
        }
    return picture;
}

// The 0x00RRGGBB a 3-channel Pattern pixel shows on a 32-bit surface.
inline uint32_t PatternRGB(int x, int y) {
    return (uint32_t(uchar(x + y)) << 16) | (uint32_t(uchar(y)) << 8) | uchar(x);
}

// A holder filled from `picture` the way the viewer fills one.
inline void Fill(CCvvImage& holder, const cv::Mat& picture, int desiredColor = -1) {
    IplImage header = cvIplImage(picture);
    holder.CopyFromImage(&header, desiredColor);
}

// The held image's pixels, and whether two pictures are the same in size, type and pixels.
inline cv::Mat Held(const CCvvImage& holder) {
    return cv::cvarrToMat(holder.Image());
}
inline bool Same(const cv::Mat& a, const cv::Mat& b) {
    return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}

// A picture file's path in this test program's own folder.
inline std::string Path(const char* name) {
    return testing_support::TempPath(std::string("image-") + name);
}

} // namespace image_test
