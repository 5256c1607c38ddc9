// HALFTONE at exactly half size on both axes, the common case of a 4K source in a 1080p
// window: each destination pixel is the mean of a 2 x 2 block, (a + b + c + d + 2) / 4 in
// integers, the value the area filter gives with weights of exactly a quarter. With AVX2 it
// takes eight destination pixels per step straight from two source rows; elsewhere a plain
// loop does the same sums.
#include "platform/gdi/halve.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define VISTREL_HALVE_AVX2 1
#endif

namespace platform::gdi {

namespace {

// Destination pixels [begin, n) from rows a and b, Step bytes per source pixel; pixel i
// reads source pixels 2i and 2i + 1 of both rows.
template <int Step>
void HalveRowPlain(const uint8_t* a, const uint8_t* b, int64_t begin, int64_t n, uint32_t* out) {
    for (int64_t i = begin; i < n; ++i) {
        const uint8_t* p = a + 2 * i * Step;
        const uint8_t* q = b + 2 * i * Step;
        if constexpr (Step == 1) {
            out[i] = uint32_t((p[0] + p[1] + q[0] + q[1] + 2) >> 2) * 0x010101u;
        } else {
            uint32_t word = 0;
            for (int c = 0; c < 3; ++c)
                word |= uint32_t((p[c] + p[Step + c] + q[c] + q[Step + c] + 2) >> 2) << (8 * c);
            out[i] = word;
        }
    }
}

#ifdef VISTREL_HALVE_AVX2

// Two destination pixels' sums over one row, per 128-bit lane: the lane holds the row's four
// source pixels (bytes 0 to 4 * Step - 1), the shuffle puts the two bytes of each channel side
// by side (blue, green, red, then a zero pair: the word's top byte), and multiplying by 1 and
// adding pairs gives each channel's sum as a 16-bit number.
template <int Step> __attribute__((target("avx2"))) inline __m256i PairSums(__m256i bytes) {
    constexpr char Z = char(0x80); // a shuffle index that yields 0
    const __m256i pick =
        Step == 3 ? _mm256_setr_epi8(0, 3, 1, 4, 2, 5, Z, Z, 6, 9, 7, 10, 8, 11, Z, Z, //
                                     0, 3, 1, 4, 2, 5, Z, Z, 6, 9, 7, 10, 8, 11, Z, Z)
                  : _mm256_setr_epi8(0, 4, 1, 5, 2, 6, Z, Z, 8, 12, 9, 13, 10, 14, Z, Z, //
                                     0, 4, 1, 5, 2, 6, Z, Z, 8, 12, 9, 13, 10, 14, Z, Z);
    return _mm256_maddubs_epi16(_mm256_shuffle_epi8(bytes, pick), _mm256_set1_epi8(1));
}

// Source pixels 4k to 4k + 3 of a row in the low lane and 4k + 4 to 4k + 7 in the high one.
template <int Step> __attribute__((target("avx2"))) inline __m256i LoadQuads(const uint8_t* row) {
    if constexpr (Step == 4)
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row));
    return _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(row + 4 * Step),
                               reinterpret_cast<const __m128i*>(row));
}

// Four destination pixels as 16-bit channel means: (sum + 2) >> 2, which is what the rounding
// multiply by 2^13 computes: ((s * 2^13 >> 14) + 1) >> 1.
template <int Step>
__attribute__((target("avx2"))) inline __m256i Means4(const uint8_t* a, const uint8_t* b) {
    const __m256i sums =
        _mm256_add_epi16(PairSums<Step>(LoadQuads<Step>(a)), PairSums<Step>(LoadQuads<Step>(b)));
    return _mm256_mulhrs_epi16(sums, _mm256_set1_epi16(1 << 13));
}

template <int Step>
__attribute__((target("avx2"))) void HalveRowAvx2(const uint8_t* a, const uint8_t* b, int64_t n,
                                                  uint32_t* out) {
    // Eight destination pixels read 16 source pixels; with three bytes a pixel the last
    // 16-byte load runs 4 bytes past them, so it must stay inside the row's pixels.
    constexpr int64_t kOverread = Step == 3 ? 4 : 0;
    int64_t i = 0;
    for (; (i + 8) * 2 * Step + kOverread <= n * 2 * Step; i += 8) {
        const uint8_t* p = a + 2 * i * Step;
        const uint8_t* q = b + 2 * i * Step;
        const __m256i first = Means4<Step>(p, q);                        // pixels 0 1 | 2 3
        const __m256i second = Means4<Step>(p + 8 * Step, q + 8 * Step); // 4 5 | 6 7
        // Packing works per lane (0 1 4 5 | 2 3 6 7); the permute restores the order.
        const __m256i words =
            _mm256_permute4x64_epi64(_mm256_packus_epi16(first, second), 0b11011000);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), words);
    }
    HalveRowPlain<Step>(a, b, i, n, out);
}

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

#endif

template <int Step> void HalveRow(const uint8_t* a, const uint8_t* b, int64_t n, uint32_t* out) {
#ifdef VISTREL_HALVE_AVX2
    if constexpr (Step != 1)
        if (HasAvx2())
            return HalveRowAvx2<Step>(a, b, n, out);
#endif
    HalveRowPlain<Step>(a, b, 0, n, out);
}

} // namespace

bool HalveArea(const DibSource& source, const AreaTable& xs, const AreaTable& ys,
               HalftoneBlock& block) {
    if (!xs.halves || !ys.halves)
        return false;
    const PixelBox& area = block.area;
    block.drawn = PixelBox{xs.drawnBegin, ys.drawnBegin, xs.drawnEnd, ys.drawnEnd};
    const int step = source.bitCount / 8;
    const size_t columnOffset = size_t(xs.srcBegin + xs.first[0]) * step;
    const int64_t n = xs.drawnEnd - xs.drawnBegin;
    for (int64_t r = 0; r < ys.drawnEnd - ys.drawnBegin; ++r) {
        const int top = int(ys.srcBegin + ys.first[r]);
        const uint8_t* a = source.imageRow(top) + columnOffset;
        const uint8_t* b = source.imageRow(top + 1) + columnOffset;
        uint32_t* out = block.words + (ys.drawnBegin - area.top + r) * area.width() +
                        (xs.drawnBegin - area.left);
        switch (step) {
        case 1:
            HalveRow<1>(a, b, n, out);
            break;
        case 3:
            HalveRow<3>(a, b, n, out);
            break;
        default:
            HalveRow<4>(a, b, n, out);
            break;
        }
    }
    return true;
}

} // namespace platform::gdi

#undef VISTREL_HALVE_AVX2 // sources are built in batches: keep it to this file
