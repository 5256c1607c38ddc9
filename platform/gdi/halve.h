// HALFTONE's exact half-size case, taken before the general resampler.
#pragma once

#include "platform/gdi/area_weights.h"
#include "platform/gdi/resample.h"

namespace platform::gdi {

// Fills the block when both tables halve (see AreaTable::halves); false, block untouched,
// otherwise. The source is 8-bit grey, 24 or 32 bits.
bool HalveArea(const DibSource& source, const AreaTable& xs, const AreaTable& ys,
               HalftoneBlock& block);

} // namespace platform::gdi
