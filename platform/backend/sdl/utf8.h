// UTF-16 window texts to the UTF-8 the desktop wants.
#pragma once

#include <string>

namespace platform::sdl {

// Unpaired surrogates become U+FFFD.
std::string Utf8FromUtf16(const std::u16string& text);

} // namespace platform::sdl
