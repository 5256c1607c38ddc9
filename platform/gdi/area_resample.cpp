// HALFTONE's fast path: separable and in one pass over the source. For each destination row
// the source rows it covers are summed, weighted, into one float row (the vertical pass: plain
// loops over bytes that the compiler vectorises); that row is then filtered horizontally
// straight into 32-bit surface words. Only the drawn part of the visible area is computed,
// and the buffers are per thread and kept, so a frame allocates nothing once sizes settle.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/gdi/area_table.h"
#include "platform/gdi/resample.h"

namespace platform::gdi {

namespace {

// Bounds of this path; wider mappings go through FilterHalftone, whose memory does not grow
// with the source.
constexpr int kMaxTaps = 64;                   // source pixels per destination pixel and axis
constexpr int64_t kMaxRowValues = 1 << 22;     // floats of one vertically summed row
constexpr int kPadValues = (kMaxTaps + 1) * 4; // zeros after that row for the unused taps

#define VISTREL_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))

// out[i] = sum over t of weights[t] * rows[t][i], two rows per sweep.
VISTREL_VECTOR_CLONES void SumRows(const uint8_t* const* rows, const float* weights, int count,
                                   size_t n, float* __restrict out) {
    int t = 0;
    if (count == 1) {
        const uint8_t* __restrict a = rows[0];
        const float wa = weights[0];
        for (size_t i = 0; i < n; ++i)
            out[i] = wa * float(a[i]);
        return;
    }
    {
        const uint8_t* __restrict a = rows[0];
        const uint8_t* __restrict b = rows[1];
        const float wa = weights[0], wb = weights[1];
        for (size_t i = 0; i < n; ++i)
            out[i] = wa * float(a[i]) + wb * float(b[i]);
        t = 2;
    }
    for (; t + 1 < count; t += 2) {
        const uint8_t* __restrict a = rows[t];
        const uint8_t* __restrict b = rows[t + 1];
        const float wa = weights[t], wb = weights[t + 1];
        for (size_t i = 0; i < n; ++i)
            out[i] += wa * float(a[i]) + wb * float(b[i]);
    }
    if (t < count) {
        const uint8_t* __restrict a = rows[t];
        const float wa = weights[t];
        for (size_t i = 0; i < n; ++i)
            out[i] += wa * float(a[i]);
    }
}

inline uint32_t Level(float v) {
    return uint32_t(std::min(v + 0.5f, 255.0f)); // weights are positive and sum to 1
}

// Four float lanes: blue, green, red and one dropped. GCC's vector extension, so that the
// horizontal sums run as one vector whatever the target.
using Lanes = float __attribute__((vector_size(16)));
using Bytes = uint8_t __attribute__((vector_size(16)));

// Levels 0 to 255 as a word 0x00RRGGBB. Adding 2^23 leaves a float whose low mantissa byte
// is its value rounded to the nearest integer (ties to even, as OpenCV rounds); one byte
// shuffle then gathers the three low bytes.
inline uint32_t WordOfLanes(Lanes a) {
    constexpr float kRoundingBias = 8388608.0f; // 2^23
    a = a < 255.0f ? a : 255.0f;
    a += kRoundingBias;
    Bytes bytes;
    std::memcpy(&bytes, &a, sizeof(bytes));
    const Bytes picked = __builtin_shuffle(
        bytes, Bytes{}, Bytes{0, 4, 8, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16});
    uint32_t word;
    std::memcpy(&word, &picked, sizeof(word));
    return word;
}

inline Lanes LoadLanes(const float* p) {
    Lanes v;
    std::memcpy(&v, p, sizeof(v));
    return v;
}

// One row of words from the vertically summed row `v` (Step floats per source pixel; the
// first three are blue, green, red). Taps > 0 is the table's weight count; 0 reads it at run
// time.
template <int Step, int Taps>
VISTREL_VECTOR_CLONES void FilterRow(const float* __restrict v, const AreaTable& xs,
                                     uint32_t* __restrict out) {
    const int taps = Taps > 0 ? Taps : xs.taps;
    const int64_t n = xs.drawnEnd - xs.drawnBegin;
    const int32_t* first = xs.first.data();
    const float* weights = xs.weights.data();
    for (int64_t i = 0; i < n; ++i) {
        const float* q = v + size_t(first[i]) * Step;
        const float* w = weights + size_t(i) * taps;
        if constexpr (Step == 1) {
            float a = 0;
            for (int t = 0; t < taps; ++t)
                a += w[t] * q[t];
            out[i] = Level(a) * 0x010101u;
        } else {
            // With three bytes per pixel the fourth lane reads the next pixel's blue.
            Lanes a = w[0] * LoadLanes(q);
            for (int t = 1; t < taps; ++t)
                a += w[t] * LoadLanes(q + t * Step);
            out[i] = WordOfLanes(a);
        }
    }
}

template <int Step> void FilterRowAnyTaps(const float* v, const AreaTable& xs, uint32_t* out) {
    switch (xs.taps) {
    case 1:
        return FilterRow<Step, 1>(v, xs, out);
    case 2:
        return FilterRow<Step, 2>(v, xs, out);
    case 3:
        return FilterRow<Step, 3>(v, xs, out);
    case 4:
        return FilterRow<Step, 4>(v, xs, out);
    case 5:
        return FilterRow<Step, 5>(v, xs, out);
    case 6:
        return FilterRow<Step, 6>(v, xs, out);
    default:
        return FilterRow<Step, 0>(v, xs, out);
    }
}

} // namespace

bool ResampleArea(const DibSource& source, const StretchAxis& x, const StretchAxis& y,
                  HalftoneBlock& block) {
    if (source.bitCount == 8 && !source.greyRamp)
        return false; // indices are not levels; FilterHalftone resamples colours
    const int step = source.bitCount / 8;
    const PixelBox& area = block.area;
    const AreaTable* xs = CachedAreaTable(0, x, 0, source.width, area.left, area.right, kMaxTaps);
    if (xs == nullptr || (xs->srcEnd - xs->srcBegin) * step > kMaxRowValues)
        return false;
    const AreaTable* ys = CachedAreaTable(1, y, source.topRow(), source.endRow(), area.top,
                                          area.bottom, kMaxRowValues);
    if (ys == nullptr)
        return false;
    block.drawn = PixelBox{};
    if (xs->drawsNothing() || ys->drawsNothing())
        return true;
    block.drawn = PixelBox{xs->drawnBegin, ys->drawnBegin, xs->drawnEnd, ys->drawnEnd};

    const size_t values = size_t(xs->srcEnd - xs->srcBegin) * step;
    thread_local std::vector<float> summed;
    thread_local std::vector<const uint8_t*> rows;
    summed.resize(values + kPadValues);
    std::fill(summed.begin() + values, summed.end(), 0.0f);
    rows.resize(ys->taps);
    const size_t columnOffset = size_t(xs->srcBegin) * step;
    for (int64_t r = 0; r < ys->drawnEnd - ys->drawnBegin; ++r) {
        const int count = ys->count[r];
        for (int t = 0; t < count; ++t)
            rows[t] = source.imageRow(int(ys->srcBegin + ys->first[r] + t)) + columnOffset;
        SumRows(rows.data(), ys->weights.data() + r * ys->taps, count, values, summed.data());
        uint32_t* out = block.words + (ys->drawnBegin - area.top + r) * area.width() +
                        (xs->drawnBegin - area.left);
        switch (step) {
        case 1:
            FilterRowAnyTaps<1>(summed.data(), *xs, out);
            break;
        case 3:
            FilterRowAnyTaps<3>(summed.data(), *xs, out);
            break;
        default:
            FilterRowAnyTaps<4>(summed.data(), *xs, out);
            break;
        }
    }
    return true;
}

} // namespace platform::gdi
