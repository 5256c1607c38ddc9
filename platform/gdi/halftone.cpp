// HALFTONE: the visible part of the destination is resampled without the surface's lock into
// a per-thread block of words, which is then copied into the surface under the lock in one go,
// so that a drawing never shows half done and the last drawing wins.
#include <cstring>
#include <vector>

#include "platform/gdi/resample.h"

namespace platform::gdi {

namespace {

void Store(const Canvas& canvas, const HalftoneBlock& block) {
    Surface& surface = *canvas.surface;
    std::lock_guard<std::mutex> lock(surface.mutex());
    // The surface may have shrunk since the area was taken.
    const PixelBox area = Intersect(DrawableArea(canvas), block.drawn);
    const size_t bytes = size_t(area.width()) * sizeof(uint32_t);
    for (int64_t py = area.top; py < area.bottom; ++py)
        std::memcpy(surface.row(int(py)) + area.left,
                    block.words + (py - block.area.top) * block.area.width() +
                        (area.left - block.area.left),
                    bytes);
}

} // namespace

void DrawHalftone(const Canvas& canvas, const DibSource& source, const StretchAxis& x,
                  const StretchAxis& y) {
    if (x.destLen <= 0 || y.destLen <= 0 || x.srcLen <= 0 || y.srcLen <= 0)
        return;
    HalftoneBlock block;
    {
        std::lock_guard<std::mutex> lock(canvas.surface->mutex());
        block.area = Intersect(DrawableArea(canvas),
                               PixelBox{x.dest, y.dest, x.dest + x.destLen, y.dest + y.destLen});
    }
    if (block.area.empty())
        return;
    // Kept between drawings: the visible area of a window, not of the picture.
    thread_local std::vector<uint32_t> words;
    const size_t size = size_t(block.area.width() * block.area.height());
    if (words.size() < size)
        words.resize(size);
    block.words = words.data();
    if (!ResampleArea(source, x, y, block))
        FilterHalftone(source, x, y, block);
    if (block.drawn.empty())
        return;
    Store(canvas, block);
    canvas.surface->touch();
}

} // namespace platform::gdi
