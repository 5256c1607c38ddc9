// Drawing targets and pictures for the image holder's tests: a memory DC over a 32-bit DIB
// section whose pixels the test reads back, and GDI call recording.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <opencv2/core.hpp>

#include "image/CvvImage.h"
#include "platform/gdi/trace.h"
#include "platform/windows.h"

namespace image_test {

// A width x height top-down 32-bit bitmap selected into a memory DC, filled with `fill`.
class MemoryDC {
public:
    MemoryDC(int width, int height, uint32_t fill);
    ~MemoryDC();
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    HDC dc() const { return m_dc; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    // The pixel as 0x00RRGGBB.
    uint32_t at(int x, int y) const {
        return m_bits[static_cast<size_t>(y) * m_width + x] & 0xFFFFFF;
    }
    // The smallest rectangle holding every pixel that is no longer `fill`; all zero when none.
    RECT changed(uint32_t fill) const;

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    uint32_t* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
};

// Records every GDI call for as long as it lives.
class GdiRecorder {
public:
    GdiRecorder() { platform::gdi::SetGdiTrace(&m_calls); }
    ~GdiRecorder() { platform::gdi::SetGdiTrace(nullptr); }
    const std::vector<platform::gdi::GdiCall>& calls() const { return m_calls; }
    std::vector<std::string> names() const;

private:
    std::vector<platform::gdi::GdiCall> m_calls;
};

// A BGR picture of one colour (given as 0x00RRGGBB).
cv::Mat Uniform(int width, int height, uint32_t rgb, int channels = 3);
// A picture whose every pixel differs from its neighbours: B = x, G = y, R = x + y (mod 256).
cv::Mat Pattern(int width, int height, int channels = 3);
// The 0x00RRGGBB a 3-channel Pattern pixel shows on a 32-bit surface.
uint32_t PatternRGB(int x, int y);

// A holder filled from `picture` the way the viewer fills one (desiredColor -1).
void Fill(CCvvImage& holder, const cv::Mat& picture, int desiredColor = -1);

// "(left, top, right, bottom)", for comparisons that say what differs.
std::string Text(const RECT& r);

} // namespace image_test
