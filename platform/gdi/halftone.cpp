// HALFTONE. The common case (the whole source rectangle inside the bitmap, both axes
// shrinking or both enlarging) is OpenCV's resize of the whole source rectangle to the whole
// destination rectangle (INTER_AREA / INTER_LINEAR), which is the same filter as
// FilterHalftone but much faster; the visible part is then converted into the surface. Every
// other mapping goes through FilterHalftone. Resampling runs without the surface's lock; only
// the final writes hold it.
#include <cstring>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "platform/gdi/resample.h"

namespace platform::gdi {

namespace {

constexpr int64_t kLargestResize = 64 << 20; // bytes of resized destination rectangle

// The destination rectangle resized, in the source's channel layout, rows in the order of
// the source's scan lines.
struct Resized {
    const uint8_t* pixels = nullptr;
    int channels = 0;
    bool rowsReversed = false; // scratch row 0 is the image's bottom of the rectangle
};

bool ResizeWithOpenCv(const DibSource& source, const StretchAxis& x, const StretchAxis& y,
                      Resized& out) {
    if (x.src < 0 || x.src + x.srcLen > source.width || y.src < source.topRow() ||
        y.src + y.srcLen > source.endRow())
        return false;
    int interpolation;
    if (x.shrinks() && y.shrinks())
        interpolation = cv::INTER_AREA;
    else if (x.enlarges() && y.enlarges())
        interpolation = cv::INTER_LINEAR;
    else
        return false;
    if (source.bitCount == 8 && !source.greyRamp)
        return false; // indices are not levels; the filter resamples colours
    const int channels = source.bitCount / 8;
    if (x.destLen > kLargestResize || y.destLen > kLargestResize ||
        x.destLen * y.destLen * channels > kLargestResize)
        return false;

    const int64_t firstScan = source.topDown ? y.src : int64_t(source.height) - y.src - y.srcLen;
    const uint8_t* first = source.bits + size_t(firstScan - source.firstScan) * source.stride +
                           size_t(x.src) * channels;
    thread_local std::vector<uint8_t> scratch;
    const size_t bytes = size_t(x.destLen * y.destLen * channels);
    if (scratch.size() < bytes)
        scratch.resize(bytes);
    try {
        const cv::Mat in(int(y.srcLen), int(x.srcLen), CV_8UC(channels),
                         const_cast<uint8_t*>(first), source.stride);
        cv::Mat resized(int(y.destLen), int(x.destLen), CV_8UC(channels), scratch.data());
        cv::resize(in, resized, resized.size(), 0, 0, interpolation);
        if (resized.data != scratch.data())
            return false;
    } catch (const cv::Exception&) {
        return false;
    }
    out.pixels = scratch.data();
    out.channels = channels;
    out.rowsReversed = !source.topDown;
    return true;
}

template <int Channels> void StoreRun(const uint8_t* from, int step, int64_t count, uint32_t* to) {
    int64_t i = 0;
    if constexpr (Channels == 3) {
        // Forward runs, four pixels (twelve bytes) at a time; x86 is little-endian.
        if (step == 3)
            for (; i + 4 <= count; i += 4, from += 12) {
                uint32_t a, b, c;
                std::memcpy(&a, from, 4);
                std::memcpy(&b, from + 4, 4);
                std::memcpy(&c, from + 8, 4);
                to[i] = a & 0xFFFFFF;
                to[i + 1] = a >> 24 | (b & 0xFFFF) << 8;
                to[i + 2] = b >> 16 | (c & 0xFF) << 16;
                to[i + 3] = c >> 8;
            }
    }
    for (; i < count; ++i, from += step) {
        if constexpr (Channels == 1)
            to[i] = uint32_t(from[0]) * 0x010101u;
        else
            to[i] = uint32_t(from[0]) | uint32_t(from[1]) << 8 | uint32_t(from[2]) << 16;
    }
}

void StoreResized(const Canvas& canvas, const StretchAxis& x, const StretchAxis& y,
                  const Resized& resized) {
    Surface& surface = *canvas.surface;
    std::lock_guard<std::mutex> lock(surface.mutex());
    const PixelBox area = Intersect(
        DrawableArea(canvas), PixelBox{x.dest, y.dest, x.dest + x.destLen, y.dest + y.destLen});
    if (area.empty())
        return;
    const size_t rowBytes = size_t(x.destLen) * resized.channels;
    const int64_t firstColumn = x.unmirrored(area.left);
    const int step = x.mirror ? -resized.channels : resized.channels;
    for (int64_t py = area.top; py < area.bottom; ++py) {
        int64_t r = y.unmirrored(py);
        if (resized.rowsReversed)
            r = y.destLen - 1 - r;
        const uint8_t* from =
            resized.pixels + size_t(r) * rowBytes + size_t(firstColumn) * resized.channels;
        uint32_t* to = surface.row(int(py)) + area.left;
        switch (resized.channels) {
        case 1:
            StoreRun<1>(from, step, area.width(), to);
            break;
        case 3:
            StoreRun<3>(from, step, area.width(), to);
            break;
        default:
            StoreRun<4>(from, step, area.width(), to);
            break;
        }
    }
}

void StoreFiltered(const Canvas& canvas, const HalftoneBlock& block) {
    Surface& surface = *canvas.surface;
    std::lock_guard<std::mutex> lock(surface.mutex());
    const PixelBox area = Intersect(DrawableArea(canvas), block.area);
    for (int64_t py = area.top; py < area.bottom; ++py) {
        const int64_t r = py - block.area.top;
        if (!block.rowDrawn[r])
            continue;
        const uint32_t* from = block.words + r * block.area.width();
        uint32_t* to = surface.row(int(py));
        for (int64_t px = area.left; px < area.right; ++px)
            if (block.columnDrawn[px - block.area.left])
                to[px] = from[px - block.area.left];
    }
}

} // namespace

void DrawHalftone(const Canvas& canvas, const DibSource& source, const StretchAxis& x,
                  const StretchAxis& y) {
    if (x.destLen <= 0 || y.destLen <= 0 || x.srcLen <= 0 || y.srcLen <= 0)
        return;
    PixelBox area;
    {
        std::lock_guard<std::mutex> lock(canvas.surface->mutex());
        area = Intersect(DrawableArea(canvas),
                         PixelBox{x.dest, y.dest, x.dest + x.destLen, y.dest + y.destLen});
    }
    if (area.empty())
        return;

    Resized resized;
    if (ResizeWithOpenCv(source, x, y, resized)) {
        StoreResized(canvas, x, y, resized);
    } else {
        thread_local std::vector<uint32_t> words;
        thread_local std::vector<uint8_t> columnDrawn, rowDrawn;
        words.resize(size_t(area.width() * area.height()));
        columnDrawn.resize(size_t(area.width()));
        rowDrawn.resize(size_t(area.height()));
        const HalftoneBlock block{area, words.data(), columnDrawn.data(), rowDrawn.data()};
        FilterHalftone(source, x, y, block);
        StoreFiltered(canvas, block);
    }
    canvas.surface->touch();
}

} // namespace platform::gdi
