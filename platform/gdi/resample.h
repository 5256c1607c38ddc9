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

// Area averaging (a box filter with fractional coverage) along an axis that shrinks, bilinear
// along one that enlarges, each on pixel centres.
void DrawHalftone(const Canvas& canvas, const DibSource& source, const StretchAxis& x,
                  const StretchAxis& y);

// The generic form of DrawHalftone, for any mapping: fills `words` (area.width() per row) and
// marks which columns and rows map onto the source. Exposed for DrawHalftone's fast path to
// fall back on.
struct HalftoneBlock {
    PixelBox area;
    uint32_t* words = nullptr;
    uint8_t* columnDrawn = nullptr;
    uint8_t* rowDrawn = nullptr;
};
void FilterHalftone(const DibSource& source, const StretchAxis& x, const StretchAxis& y,
                    const HalftoneBlock& block);

} // namespace platform::gdi
