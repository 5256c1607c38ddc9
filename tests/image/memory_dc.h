// Helpers for the image holder's tests: a memory DC whose pixels the test reads back, GDI call
// recording, generated pictures and a private folder for picture files.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <opencv2/core.hpp>

#include "image/CvvImage.h"
#include "platform/gdi/trace.h"
#include "platform/windows.h"

namespace image_test {

// "(left, top, right, bottom)", for comparisons that say what differs.
inline std::string Text(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

// A width x height top-down 32-bit bitmap selected into a memory DC, filled with `fill`.
class MemoryDC {
public:
    MemoryDC(int width, int height, uint32_t fill) : m_width(width), m_height(height) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_bits = static_cast<uint32_t*>(bits);
        std::fill(m_bits, m_bits + size_t(width) * height, fill);
        m_previous = SelectObject(dc, m_bitmap);
    }
    ~MemoryDC() {
        SelectObject(dc, m_previous);
        DeleteObject(m_bitmap);
        DeleteDC(dc);
    }
    // The pixel as 0x00RRGGBB.
    uint32_t at(int x, int y) const { return m_bits[size_t(y) * m_width + x] & 0xFFFFFF; }
    // The smallest rectangle holding every pixel that is no longer `fill`, as Text.
    std::string changed(uint32_t fill) const {
        RECT box{m_width, m_height, 0, 0};
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x)
                if (at(x, y) != (fill & 0xFFFFFF))
                    box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                           std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
        return Text(box.right == 0 ? RECT{0, 0, 0, 0} : box);
    }

    const HDC dc = CreateCompatibleDC(nullptr);

private:
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    uint32_t* m_bits = nullptr;
    int m_width, m_height;
};

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

// A fresh folder for picture files, removed after the test.
class TempFolder : public testing::Test {
protected:
    void SetUp() override {
        std::string name = (std::filesystem::temp_directory_path() / "cvvimage-XXXXXX").string();
        ASSERT_NE(mkdtemp(name.data()), nullptr);
        m_dir = name;
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string Path(const char* name) const { return (m_dir / name).string(); }

    std::filesystem::path m_dir;
};

} // namespace image_test
