// The two ways a bitmap reaches a surface: nearest pixels (COLORONCOLOR and the other
// non-halftone modes, and every 1:1 copy) and HALFTONE's smooth resampling. Both draw only
// destination pixels inside the canvas's clip whose centre maps onto a present part of the
// source, read nothing outside the source's present rows, hold the surface's mutex while
// writing and touch it afterwards.
#pragma once

#include "platform/gdi/canvas.h"
#include "platform/gdi/dib_source.h"
#include "platform/gdi/stretch_axis.h"

namespace platform::gdi {

void DrawNearest(const Canvas& canvas, const DibSource& source, const StretchAxis& x,
                 const StretchAxis& y);

// Along an axis with k = srcLen / destLen, destination pixel u covers source positions
// [src + u k, src + (u + 1) k). Where the axis shrinks (k >= 1) it is the coverage-weighted
// mean of the source pixels in that span (a box filter with fractional coverage); where it
// enlarges (k < 1) it interpolates linearly between the two source pixel centres around the
// span's centre, the edge pixels repeated beyond the outermost centres.
void DrawHalftone(const Canvas& canvas, const DibSource& source, const StretchAxis& x,
                  const StretchAxis& y);

// The generic form of DrawHalftone, for any mapping: fills `words` (area.width() per row) and
// marks which columns and rows map onto the source. DrawHalftone falls back on it where
// OpenCV's resize cannot express the mapping.
struct HalftoneBlock {
    PixelBox area;
    uint32_t* words = nullptr;
    uint8_t* columnDrawn = nullptr;
    uint8_t* rowDrawn = nullptr;
};
void FilterHalftone(const DibSource& source, const StretchAxis& x, const StretchAxis& y,
                    const HalftoneBlock& block);

} // namespace platform::gdi
