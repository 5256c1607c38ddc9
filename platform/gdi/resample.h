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

// HALFTONE: each destination pixel is the area-weighted mean of the source it overlaps (see
// area_weights.h): a box filter with fractional coverage where an axis shrinks, and where it
// enlarges a copy of the source pixel under it, blended with the next one only across their
// border. The result is within 1 of OpenCV's resize INTER_AREA in every channel.
void DrawHalftone(const Canvas& canvas, const DibSource& source, const StretchAxis& x,
                  const StretchAxis& y);

// The resampled pixels of `area` (surface pixels) as words, area.width() per row; the filter
// sets `drawn`, the part of the area whose centres map onto the source (the rest of `words`
// is left as it was).
struct HalftoneBlock {
    PixelBox area;
    uint32_t* words = nullptr;
    PixelBox drawn;
};
// The fast path; false (block untouched) when the mapping is outside its bounds: a colour
// table that is not the grey ramp, or more source pixels per destination pixel or per row
// than it keeps buffers for.
bool ResampleArea(const DibSource& source, const StretchAxis& x, const StretchAxis& y,
                  HalftoneBlock& block);
// The same filter for any mapping, one destination pixel at a time; memory grows only with
// the area.
void FilterHalftone(const DibSource& source, const StretchAxis& x, const StretchAxis& y,
                    HalftoneBlock& block);

} // namespace platform::gdi
