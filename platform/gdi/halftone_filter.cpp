// HALFTONE for any mapping: separable, each destination pixel computed on its own from the
// source pixels its footprint covers, clamped to the part of the source that is present.
#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/gdi/resample.h"

namespace platform::gdi {

namespace {

// The source pixels one destination pixel averages along one axis: `first` weighted
// wFirst, the pixels strictly between weighted wMid each, `last` weighted wLast.
struct Taps {
    int64_t first = 0, last = 0;
    float wFirst = 1, wMid = 0, wLast = 0;
    bool drawn = false;
};

constexpr double kNegligible = 1e-7; // coverage below this is rounding noise, not a pixel

// Along the axis, destination pixel u covers source positions [start, start + k); present
// source pixels are [lo, hi).
Taps AxisTaps(const StretchAxis& axis, int64_t u, int64_t lo, int64_t hi) {
    Taps taps;
    const double k = double(axis.srcLen) / double(axis.destLen);
    const double start = double(axis.src) + double(u) * k;
    const double centre = start + k / 2;
    if (!(centre >= double(lo) && centre < double(hi)))
        return taps;
    taps.drawn = true;
    if (axis.shrinks()) {
        const double s = std::max(start, double(lo));
        const double e = std::min(start + k, double(hi));
        taps.first = static_cast<int64_t>(std::floor(s + kNegligible));
        taps.last = static_cast<int64_t>(std::ceil(e - kNegligible)) - 1;
        taps.last = std::max(taps.last, taps.first);
        if (taps.first == taps.last)
            return taps;
        const double len = e - s;
        taps.wFirst = float((double(taps.first + 1) - s) / len);
        taps.wMid = float(1.0 / len);
        taps.wLast = float((e - double(taps.last)) / len);
    } else {
        const double c = centre - 0.5;
        const int64_t j = static_cast<int64_t>(std::floor(c));
        if (j < lo) {
            taps.first = taps.last = lo;
        } else if (j + 1 >= hi) {
            taps.first = taps.last = hi - 1;
        } else {
            const float f = float(c - double(j));
            taps.first = j;
            taps.last = j + 1;
            taps.wFirst = 1 - f;
            taps.wLast = f;
        }
    }
    return taps;
}

template <int BitCount>
inline void Fetch(const uint8_t* row, int64_t j, const uint32_t* palette, float* bgr) {
    if constexpr (BitCount == 8) {
        const uint32_t word = palette[row[j]];
        bgr[0] = float(word & 0xFF);
        bgr[1] = float(word >> 8 & 0xFF);
        bgr[2] = float(word >> 16 & 0xFF);
    } else {
        const uint8_t* p = row + j * (BitCount / 8);
        bgr[0] = p[0];
        bgr[1] = p[1];
        bgr[2] = p[2];
    }
}

// Adds weight * (the row filtered horizontally) into acc, three floats per column.
template <int BitCount>
void AccumulateRow(const uint8_t* row, const std::vector<Taps>& columns, const uint32_t* palette,
                   float weight, float* acc) {
    for (size_t i = 0; i < columns.size(); ++i) {
        const Taps& t = columns[i];
        if (!t.drawn)
            continue;
        float sum[3], px[3];
        Fetch<BitCount>(row, t.first, palette, px);
        for (int c = 0; c < 3; ++c)
            sum[c] = px[c] * t.wFirst;
        if (t.last != t.first) {
            float mid[3] = {0, 0, 0};
            for (int64_t j = t.first + 1; j < t.last; ++j) {
                Fetch<BitCount>(row, j, palette, px);
                for (int c = 0; c < 3; ++c)
                    mid[c] += px[c];
            }
            Fetch<BitCount>(row, t.last, palette, px);
            for (int c = 0; c < 3; ++c)
                sum[c] += mid[c] * t.wMid + px[c] * t.wLast;
        }
        for (int c = 0; c < 3; ++c)
            acc[i * 3 + c] += sum[c] * weight;
    }
}

void Accumulate(const DibSource& source, int64_t imageRow, const std::vector<Taps>& columns,
                float weight, float* acc) {
    const uint8_t* row = source.imageRow(static_cast<int>(imageRow));
    switch (source.bitCount) {
    case 8:
        AccumulateRow<8>(row, columns, source.palette, weight, acc);
        break;
    case 24:
        AccumulateRow<24>(row, columns, source.palette, weight, acc);
        break;
    default:
        AccumulateRow<32>(row, columns, source.palette, weight, acc);
        break;
    }
}

inline uint32_t ToByte(float v) {
    const float r = v + 0.5f;
    return r <= 0 ? 0 : r >= 255 ? 255 : static_cast<uint32_t>(r);
}

} // namespace

void FilterHalftone(const DibSource& source, const StretchAxis& x, const StretchAxis& y,
                    const HalftoneBlock& block) {
    const int64_t width = block.area.width();
    thread_local std::vector<Taps> columns;
    thread_local std::vector<float> acc;
    columns.resize(width);
    acc.resize(width * 3);
    for (int64_t i = 0; i < width; ++i) {
        columns[i] = AxisTaps(x, x.unmirrored(block.area.left + i), 0, source.width);
        block.columnDrawn[i] = columns[i].drawn;
    }
    for (int64_t r = 0; r < block.area.height(); ++r) {
        const Taps rows =
            AxisTaps(y, y.unmirrored(block.area.top + r), source.topRow(), source.endRow());
        block.rowDrawn[r] = rows.drawn;
        if (!rows.drawn)
            continue;
        std::fill(acc.begin(), acc.end(), 0.0f);
        Accumulate(source, rows.first, columns, rows.wFirst, acc.data());
        for (int64_t j = rows.first + 1; j < rows.last; ++j)
            Accumulate(source, j, columns, rows.wMid, acc.data());
        if (rows.last != rows.first)
            Accumulate(source, rows.last, columns, rows.wLast, acc.data());
        uint32_t* out = block.words + r * width;
        for (int64_t i = 0; i < width; ++i)
            out[i] =
                ToByte(acc[i * 3]) | ToByte(acc[i * 3 + 1]) << 8 | ToByte(acc[i * 3 + 2]) << 16;
    }
}

} // namespace platform::gdi
