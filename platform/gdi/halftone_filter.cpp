// HALFTONE for any mapping: separable, each destination pixel computed on its own from the
// source pixels its footprint covers, clamped to the part of the source that is present. It
// takes what the fast path does not: colour tables and extreme shrinking.
#include <algorithm>
#include <vector>

#include "platform/gdi/area_weights.h"
#include "platform/gdi/resample.h"

namespace platform::gdi {

namespace {

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
                    HalftoneBlock& block) {
    const PixelBox& area = block.area;
    thread_local std::vector<Taps> columns;
    thread_local std::vector<float> acc;
    // Drawn pixels form one run per axis, as their centres move monotonically.
    block.drawn = PixelBox{area.right, area.bottom, area.left, area.top};
    columns.clear();
    for (int64_t px = area.left; px < area.right; ++px) {
        const Taps taps = AxisTaps(x, x.unmirrored(px), 0, source.width);
        if (!taps.drawn)
            continue;
        block.drawn.left = std::min(block.drawn.left, px);
        block.drawn.right = px + 1;
        columns.push_back(taps);
    }
    acc.resize(columns.size() * 3);
    for (int64_t py = area.top; py < area.bottom && !columns.empty(); ++py) {
        const Taps rows = AxisTaps(y, y.unmirrored(py), source.topRow(), source.endRow());
        if (!rows.drawn)
            continue;
        block.drawn.top = std::min(block.drawn.top, py);
        block.drawn.bottom = py + 1;
        std::fill(acc.begin(), acc.end(), 0.0f);
        for (int64_t j = rows.first; j <= rows.last; ++j)
            Accumulate(source, j, columns, rows.weight(j), acc.data());
        uint32_t* out =
            block.words + (py - area.top) * area.width() + (block.drawn.left - area.left);
        for (size_t i = 0; i < columns.size(); ++i)
            out[i] =
                ToByte(acc[i * 3]) | ToByte(acc[i * 3 + 1]) << 8 | ToByte(acc[i * 3 + 2]) << 16;
    }
    if (block.drawn.empty())
        block.drawn = PixelBox{};
}

} // namespace platform::gdi
