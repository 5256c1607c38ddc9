// UTF-8 and UTF-16 conversions. Malformed input becomes U+FFFD (by maximal subparts); nothing is
// read past the end.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

} // namespace platform
