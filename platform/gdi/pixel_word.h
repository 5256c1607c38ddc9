// Surface words (0x00RRGGBB) and COLORREF values (0x00BBGGRR) into one another.
#pragma once

#include <cstdint>

namespace platform::gdi {

inline uint32_t WordFromColorref(uint32_t colour) {
    return (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}

inline uint32_t ColorrefFromWord(uint32_t word) {
    return WordFromColorref(word);
}

inline uint32_t WordFromBgr(const uint8_t* bgr) {
    return uint32_t(bgr[0]) | uint32_t(bgr[1]) << 8 | uint32_t(bgr[2]) << 16;
}

} // namespace platform::gdi
