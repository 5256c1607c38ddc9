// HALFTONE. The visible part of the destination is resampled without the surface's lock into
// a per-thread block of words, which is then copied into the surface under the lock in one go,
// so that a drawing never shows half done and the last drawing wins.
//
// The resampling (ResampleArea) is separable and makes one pass over the source. For each
// destination row the source rows it covers are summed, weighted, into one row (the vertical
// pass, in 16-bit fixed point); that row is then filtered horizontally (in float) straight into
// 32-bit surface words. Only the drawn part of the visible area is computed, and the buffers
// are per thread and kept, so a frame allocates nothing once sizes settle. Plain C++ loops and
// GCC's vector extension, so the compiler vectorises it for any target. Exact half size has
// its own integer path (HalveArea); FilterHalftone takes the mappings this one does not.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/gdi/area_weights.h"
#include "platform/gdi/halve.h"
#include "platform/gdi/resample.h"

namespace platform::gdi {

namespace {

// Bounds of this path; wider mappings go through FilterHalftone, whose memory does not grow
// with the source.
constexpr int kMaxTaps = 64;                   // source pixels per destination pixel and axis
constexpr int64_t kMaxRowValues = 1 << 22;     // floats of one vertically summed row
constexpr int kPadValues = (kMaxTaps + 1) * 4; // zeros after that row for the unused taps

// The loops below are written for the compiler's vectoriser: with GCC, let it weigh costs fully
// even at -O2, and on x86-64 build an AVX2 copy beside the baseline (SSE2) one, picked when
// the program starts. ThreadSanitizer builds keep one copy: the copy is picked by a resolver
// that runs while the program is being loaded, before ThreadSanitizer's runtime is ready for the
// instrumented code it would run.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && !defined(__SANITIZE_THREAD__)
#define VISTREL_VECTOR_CLONES                                                                      \
    __attribute__((target_clones("arch=x86-64-v3", "default"),                                     \
                   optimize("tree-vectorize", "vect-cost-model=dynamic")))
#elif defined(__GNUC__) && !defined(__clang__)
#define VISTREL_VECTOR_CLONES __attribute__((optimize("tree-vectorize", "vect-cost-model=dynamic")))
#else
#define VISTREL_VECTOR_CLONES
#endif

// The vertical pass is in 16-bit fixed point, sixteen bytes per vector instruction with
// AVX2: a byte p, as p * 256, times a weight in 1/65536ths, high half kept, is the product in
// 1/256ths of a level. The weights sum to 1, so a sum stays below 65536; each product loses
// less than 1/256 of a level to truncation, made up on average when the sums become floats.
constexpr float kUnitsPerLevel = 256.0f;

inline uint16_t Product(uint8_t p, uint16_t weight) {
    return uint16_t((uint32_t(uint16_t(p << 8)) * weight) >> 16);
}

// Where a sweep puts its sums: into `sums`, added to `sums`, or straight out as levels.
enum class Into { Sums, AddToSums, Levels };

// The sum over r < Rows of w[r] * rows[r][i], for every i, put as Mode says.
template <int Rows, Into Mode>
__attribute__((always_inline)) inline void Sweep(const uint8_t* const* rows, const uint16_t* w,
                                                 size_t n, uint16_t* __restrict sums, float bias,
                                                 float* __restrict out) {
    const uint8_t* __restrict a = rows[0];
    const uint8_t* __restrict b = rows[Rows > 1 ? 1 : 0];
    const uint8_t* __restrict c = rows[Rows > 2 ? 2 : 0];
    const uint8_t* __restrict d = rows[Rows > 3 ? 3 : 0];
    const uint16_t wa = w[0], wb = Rows > 1 ? w[1] : 0, wc = Rows > 2 ? w[2] : 0,
                   wd = Rows > 3 ? w[3] : 0;
    for (size_t i = 0; i < n; ++i) {
        uint16_t sum = Product(a[i], wa);
        if constexpr (Rows > 1)
            sum = uint16_t(sum + Product(b[i], wb));
        if constexpr (Rows > 2)
            sum = uint16_t(sum + Product(c[i], wc));
        if constexpr (Rows > 3)
            sum = uint16_t(sum + Product(d[i], wd));
        if constexpr (Mode == Into::Levels)
            out[i] = float(sum) * (1.0f / kUnitsPerLevel) + bias;
        else if constexpr (Mode == Into::AddToSums)
            sums[i] = uint16_t(sums[i] + sum);
        else
            sums[i] = sum;
    }
}

// out[i] = sum over t of weights[t] * rows[t][i] in levels. Up to four rows (any shrink to a
// third of the height or more) take one sweep straight to levels; more are summed four at a
// time in `sums` first.
VISTREL_VECTOR_CLONES void SumRows(const uint8_t* const* rows, const uint16_t* weights, int count,
                                   size_t n, uint16_t* __restrict sums, float* __restrict out) {
    const float bias = 0.5f * float(count) / kUnitsPerLevel;
    switch (count) {
    case 1:
        return Sweep<1, Into::Levels>(rows, weights, n, sums, bias, out);
    case 2:
        return Sweep<2, Into::Levels>(rows, weights, n, sums, bias, out);
    case 3:
        return Sweep<3, Into::Levels>(rows, weights, n, sums, bias, out);
    case 4:
        return Sweep<4, Into::Levels>(rows, weights, n, sums, bias, out);
    default:
        break;
    }
    Sweep<4, Into::Sums>(rows, weights, n, sums, bias, out);
    for (int t = 4; t < count; t += 4) {
        const uint8_t* const* r = rows + t;
        const uint16_t* w = weights + t;
        switch (std::min(count - t, 4)) {
        case 1:
            Sweep<1, Into::AddToSums>(r, w, n, sums, bias, out);
            break;
        case 2:
            Sweep<2, Into::AddToSums>(r, w, n, sums, bias, out);
            break;
        case 3:
            Sweep<3, Into::AddToSums>(r, w, n, sums, bias, out);
            break;
        default:
            Sweep<4, Into::AddToSums>(r, w, n, sums, bias, out);
            break;
        }
    }
    for (size_t i = 0; i < n; ++i)
        out[i] = float(sums[i]) * (1.0f / kUnitsPerLevel) + bias;
}

// One destination row's weights in 1/65536ths. Rounding each keeps their sum within count / 2
// of 65536, so with at most kMaxTaps rows a sum of products stays below 65280 + 64.
void FixedWeights(const float* weights, int count, uint16_t* out) {
    for (int t = 0; t < count; ++t)
        out[t] = uint16_t(std::min(std::lround(weights[t] * 65536.0f), 65535L));
}

// Horizontal sums in GCC's vector extension, so that they run as vectors whatever the
// target: two destination pixels at once, four float lanes each (blue, green, red, and one
// dropped; with three bytes per pixel it reads the next pixel's blue).
using Lanes = float __attribute__((vector_size(16)));
using Lanes2 = float __attribute__((vector_size(32)));
using Bytes2 = uint8_t __attribute__((vector_size(32)));

inline Lanes LoadLanes(const float* p) {
    Lanes v;
    std::memcpy(&v, p, sizeof(v));
    return v;
}

// Two pixels' levels as words 0x00RRGGBB. Adding 2^23 leaves a float whose low mantissa byte
// is its value rounded to the nearest integer (ties to even, as OpenCV rounds); one byte
// shuffle then gathers the three low bytes of each pixel at the start of its own 128-bit half.
// The sums need no clamping: the weights are positive and sum to 1 within float rounding, so
// a sum stays below 255.5.
inline void StoreWords2(const Lanes2& sums, uint32_t* first, uint32_t* second) {
    constexpr float kRoundingBias = 8388608.0f; // 2^23
    const Lanes2 a = sums + kRoundingBias;
    Bytes2 bytes;
    std::memcpy(&bytes, &a, sizeof(bytes));
    // Byte 1 of each lane is 0 (the level fits in byte 0), so it fills the word's top byte.
    const Bytes2 picked = __builtin_shuffle(
        bytes, Bytes2{0,  4,  8,  1,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
                      16, 20, 24, 17, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16});
    uint32_t words[8];
    std::memcpy(words, &picked, sizeof(words));
    *first = words[0];
    *second = words[4];
}

// One row of words from the vertically summed row `v` (Step floats per source pixel). Taps > 0
// is the table's weight count; 0 reads it at run time.
template <int Step, int Taps>
VISTREL_VECTOR_CLONES void FilterRow(const float* __restrict v, const AreaTable& xs,
                                     uint32_t* __restrict out) {
    const int taps = Taps > 0 ? Taps : xs.taps;
    const int64_t n = xs.drawnEnd - xs.drawnBegin;
    const int32_t* first = xs.first.data();
    const float* weights = xs.weights.data();
    if constexpr (Step == 1) {
        for (int64_t i = 0; i < n; ++i) {
            const float* q = v + first[i];
            const float* w = weights + size_t(i) * taps;
            float a = 0;
            for (int t = 0; t < taps; ++t)
                a += w[t] * q[t];
            out[i] = uint32_t(std::min(a + 0.5f, 255.0f)) * 0x010101u;
        }
    } else {
        for (int64_t i = 0; i < n; i += 2) {
            const int64_t j = std::min(i + 1, n - 1); // the last of an odd run pairs with itself
            const float* p = v + size_t(first[i]) * Step;
            const float* q = v + size_t(first[j]) * Step;
            const float* lanes = xs.pairLanes.data() + size_t(i) * taps * 4;
            Lanes2 a = {};
            for (int t = 0; t < taps; ++t) {
                Lanes2 w;
                std::memcpy(&w, lanes + t * 8, sizeof(w));
                a += w * __builtin_shufflevector(LoadLanes(p + t * Step), LoadLanes(q + t * Step),
                                                 0, 1, 2, 3, 4, 5, 6, 7);
            }
            StoreWords2(a, out + i, out + j);
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

void Store(const Canvas& canvas, const HalftoneBlock& block) {
    // Clipped again: the surface may have shrunk since the area was taken.
    ClippedTarget target(canvas, block.drawn);
    const PixelBox& area = target.box();
    const size_t bytes = size_t(area.width()) * sizeof(uint32_t);
    for (int64_t py = area.top; py < area.bottom; ++py)
        std::memcpy(target.row(py) + area.left,
                    block.words + (py - block.area.top) * block.area.width() +
                        (area.left - block.area.left),
                    bytes);
}

} // namespace

bool ResampleArea(const DibSource& source, const StretchAxis& x, const StretchAxis& y,
                  HalftoneBlock& block) {
    if (source.bitCount == 8 && !source.greyRamp)
        return false; // indices are not levels; FilterHalftone resamples colours
    const int step = source.bitCount / 8;
    const PixelBox& area = block.area;
    const AreaTable* xs =
        CachedAreaTable(0, x, 0, source.width, area.left, area.right, kMaxTaps, true);
    if (xs == nullptr || (xs->srcEnd - xs->srcBegin) * step > kMaxRowValues)
        return false;
    const AreaTable* ys = CachedAreaTable(1, y, source.topRow(), source.endRow(), area.top,
                                          area.bottom, kMaxTaps, false);
    if (ys == nullptr)
        return false;
    block.drawn = PixelBox{};
    if (xs->drawsNothing() || ys->drawsNothing())
        return true;
    if (HalveArea(source, *xs, *ys, block))
        return true;
    block.drawn = PixelBox{xs->drawnBegin, ys->drawnBegin, xs->drawnEnd, ys->drawnEnd};

    const size_t values = size_t(xs->srcEnd - xs->srcBegin) * step;
    thread_local std::vector<float> summed;
    thread_local std::vector<uint16_t> sums, rowWeights;
    thread_local std::vector<const uint8_t*> rows;
    summed.resize(values + kPadValues);
    std::fill(summed.begin() + values, summed.end(), 0.0f);
    sums.resize(values);
    rows.resize(ys->taps);
    rowWeights.resize(ys->taps);
    const size_t columnOffset = size_t(xs->srcBegin) * step;
    for (int64_t r = 0; r < ys->drawnEnd - ys->drawnBegin; ++r) {
        const int count = ys->count[r];
        for (int t = 0; t < count; ++t)
            rows[t] = source.imageRow(int(ys->srcBegin + ys->first[r] + t)) + columnOffset;
        FixedWeights(ys->weights.data() + r * ys->taps, count, rowWeights.data());
        SumRows(rows.data(), rowWeights.data(), count, values, sums.data(), summed.data());
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

void DrawHalftone(const Canvas& canvas, const DibSource& source, const StretchAxis& x,
                  const StretchAxis& y) {
    if (x.destLen <= 0 || y.destLen <= 0 || x.srcLen <= 0 || y.srcLen <= 0)
        return;
    HalftoneBlock block;
    block.area =
        ClipToCanvas(canvas, PixelBox{x.dest, y.dest, x.dest + x.destLen, y.dest + y.destLen});
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
    if (!block.drawn.empty())
        Store(canvas, block);
    // A rare huge drawing (a big memory bitmap) does not keep its block for the thread's life.
    constexpr size_t kKeptWords = 16 << 20; // more than a 4K screen
    if (words.size() > kKeptWords)
        std::vector<uint32_t>().swap(words);
}

} // namespace platform::gdi

#undef VISTREL_VECTOR_CLONES // sources are built in batches: keep it to this file
