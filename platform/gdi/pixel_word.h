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

} // namespace platform::gdi
