#include "platform/gdi/area_weights.h"

#include <algorithm>
#include <cmath>

namespace platform::gdi {

namespace {

constexpr double kNegligible = 1e-7; // coverage below this is rounding noise, not a pixel
constexpr int kSlots = 2;            // cached tables per thread: the two axes of a drawing

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

namespace {

bool SameAxis(const StretchAxis& a, const StretchAxis& b) {
    return a.dest == b.dest && a.destLen == b.destLen && a.src == b.src && a.srcLen == b.srcLen &&
           a.mirror == b.mirror;
}

void BuildTable(AreaTable& table, bool pairs) {
    table.drawnBegin = table.drawnEnd = table.visibleBegin;
    table.first.clear();
    table.count.clear();
    table.weights.clear();
    table.pairLanes.clear();
    table.halves = false;
    std::vector<Taps> all;
    for (int64_t d = table.visibleBegin; d < table.visibleEnd; ++d) {
        const Taps taps = AxisTaps(table.axis, table.axis.unmirrored(d), table.lo, table.hi);
        if (!taps.drawn)
            continue;
        if (all.empty())
            table.drawnBegin = d;
        table.drawnEnd = d + 1;
        all.push_back(taps);
    }
    if (all.empty())
        return;
    int64_t srcBegin = all.front().first, srcEnd = 0;
    int64_t taps = 1;
    for (const Taps& t : all) {
        srcBegin = std::min(srcBegin, t.first);
        srcEnd = std::max(srcEnd, t.last + 1);
        taps = std::max(taps, t.count());
    }
    table.srcBegin = srcBegin;
    table.srcEnd = srcEnd;
    table.taps = int(taps);
    table.first.resize(all.size());
    table.count.resize(all.size());
    table.weights.assign(all.size() * size_t(taps), 0.0f);
    for (size_t i = 0; i < all.size(); ++i) {
        const Taps& t = all[i];
        table.first[i] = int32_t(t.first - srcBegin);
        table.count[i] = int32_t(t.count());
        for (int64_t j = t.first; j <= t.last; ++j)
            table.weights[i * size_t(taps) + size_t(j - t.first)] = t.weight(j);
    }
    table.halves = true;
    for (size_t i = 0; i < all.size(); ++i)
        table.halves = table.halves && table.count[i] == 2 && table.first[i] == int32_t(2 * i) &&
                       all[i].wFirst == 0.5f && all[i].wLast == 0.5f;
    if (!pairs)
        return;
    constexpr size_t kLanes = 4;
    const size_t n = all.size(), pairCount = (n + 1) / 2;
    table.pairLanes.resize(pairCount * size_t(taps) * 2 * kLanes);
    float* lanes = table.pairLanes.data();
    for (size_t p = 0; p < pairCount; ++p)
        for (size_t t = 0; t < size_t(taps); ++t)
            for (size_t i : {2 * p, std::min(2 * p + 1, n - 1)})
                for (size_t lane = 0; lane < kLanes; ++lane)
                    *lanes++ = table.weights[i * size_t(taps) + t];
}

} // namespace

const AreaTable* CachedAreaTable(int slot, const StretchAxis& axis, int64_t lo, int64_t hi,
                                 int64_t visibleBegin, int64_t visibleEnd, int maxTaps,
                                 bool pairs) {
    // A destination pixel overlaps at most ceil(k) + 1 source pixels.
    const double k = double(axis.srcLen) / double(axis.destLen);
    if (std::ceil(k) + 1 > maxTaps)
        return nullptr;
    thread_local AreaTable tables[kSlots];
    thread_local bool built[kSlots] = {};
    AreaTable& table = tables[slot % kSlots];
    if (!built[slot % kSlots] || !SameAxis(table.axis, axis) || table.lo != lo || table.hi != hi ||
        table.visibleBegin != visibleBegin || table.visibleEnd != visibleEnd) {
        table.axis = axis;
        table.lo = lo;
        table.hi = hi;
        table.visibleBegin = visibleBegin;
        table.visibleEnd = visibleEnd;
        BuildTable(table, pairs);
        built[slot % kSlots] = true;
    }
    return &table;
}

} // namespace platform::gdi
