#include "platform/gdi/area_taps.h"

#include <algorithm>
#include <cmath>

namespace platform::gdi {

namespace {

constexpr double kNegligible = 1e-7; // coverage below this is rounding noise, not a pixel

} // namespace

Taps AxisTaps(const StretchAxis& axis, int64_t u, int64_t lo, int64_t hi) {
    Taps taps;
    const double k = double(axis.srcLen) / double(axis.destLen);
    const double start = double(axis.src) + double(u) * k;
    const double centre = start + k / 2;
    if (!(centre >= double(lo) && centre < double(hi)))
        return taps;
    taps.drawn = true;
    const double s = std::max(start, double(lo));
    const double e = std::min(start + k, double(hi));
    taps.first = static_cast<int64_t>(std::floor(s + kNegligible));
    taps.last = static_cast<int64_t>(std::ceil(e - kNegligible)) - 1;
    taps.first = std::min(taps.first, hi - 1);
    taps.last = std::clamp(taps.last, taps.first, hi - 1);
    if (taps.first == taps.last)
        return taps;
    const double len = e - s;
    taps.wFirst = float((double(taps.first + 1) - s) / len);
    taps.wMid = float(1.0 / len);
    taps.wLast = float((e - double(taps.last)) / len);
    return taps;
}

} // namespace platform::gdi
