#include "viewer/UsbIdentity.h"

namespace {

bool IsHex(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F');
}

char16_t Upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

} // namespace

std::u16string UsbIdentityIn(std::u16string_view text) {
    // "VID_XXXX&PID_XXXX": 17 characters, hex digits at 4-7 and 13-16.
    constexpr size_t kLength = 17;
    for (size_t at = 0; at + kLength <= text.size(); ++at) {
        std::u16string id;
        for (size_t i = 0; i < kLength; ++i)
            id += Upper(text[at + i]);
        if (id.compare(0, 4, u"VID_") != 0 || id.compare(8, 5, u"&PID_") != 0)
            continue;
        bool digits = true;
        for (size_t i : {4, 5, 6, 7, 13, 14, 15, 16})
            digits = digits && IsHex(id[i]);
        if (digits)
            return id;
    }
    return {};
}
