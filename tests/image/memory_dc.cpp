#include "memory_dc.h"

#include <algorithm>
#include <stdexcept>

namespace image_test {

MemoryDC::MemoryDC(int width, int height, uint32_t fill) : m_width(width), m_height(height) {
    m_dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (m_dc == nullptr || m_bitmap == nullptr || bits == nullptr)
        throw std::runtime_error("memory DC could not be made");
    m_bits = static_cast<uint32_t*>(bits);
    std::fill(m_bits, m_bits + static_cast<size_t>(width) * height, fill);
    m_previous = SelectObject(m_dc, m_bitmap);
}

MemoryDC::~MemoryDC() {
    SelectObject(m_dc, m_previous);
    DeleteObject(m_bitmap);
    DeleteDC(m_dc);
}

RECT MemoryDC::changed(uint32_t fill) const {
    RECT box{m_width, m_height, 0, 0};
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            if (at(x, y) != (fill & 0xFFFFFF)) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    if (box.right == 0)
        return RECT{0, 0, 0, 0};
    return box;
}

std::string Text(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

std::vector<std::string> GdiRecorder::names() const {
    std::vector<std::string> out;
    for (const auto& call : m_calls)
        out.push_back(call.name);
    return out;
}

cv::Mat Uniform(int width, int height, uint32_t rgb, int channels) {
    const cv::Scalar bgra(rgb & 255, (rgb >> 8) & 255, (rgb >> 16) & 255, 255);
    return cv::Mat(height, width, CV_8UC(channels), bgra);
}

cv::Mat Pattern(int width, int height, int channels) {
    cv::Mat picture(height, width, CV_8UC(channels));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uchar* p = picture.ptr<uchar>(y) + x * channels;
            const uchar values[4] = {uchar(x), uchar(y), uchar(x + y), uchar(255 - x)};
            std::copy(values, values + channels, p);
        }
    return picture;
}

uint32_t PatternRGB(int x, int y) {
    return (uint32_t(uchar(x + y)) << 16) | (uint32_t(uchar(y)) << 8) | uchar(x);
}

void Fill(CCvvImage& holder, const cv::Mat& picture, int desiredColor) {
    IplImage header = cvIplImage(picture);
    holder.CopyFromImage(&header, desiredColor);
}

} // namespace image_test
