#include "viewer/UsbIdentity.h"

namespace {

bool IsHex(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F');
}

char16_t Upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// "VID_XXXX&PID_XXXX": 17 characters, hex digits at 4-7 and 13-16.
constexpr size_t kIdentityLength = 17;

// Where the first identity in `text` starts, or npos.
size_t UsbIdentityAt(std::u16string_view text) {
    for (size_t at = 0; at + kIdentityLength <= text.size(); ++at) {
        std::u16string id;
        for (size_t i = 0; i < kIdentityLength; ++i)
            id += Upper(text[at + i]);
        if (id.compare(0, 4, u"VID_") != 0 || id.compare(8, 5, u"&PID_") != 0)
            continue;
        bool digits = true;
        for (size_t i : {4, 5, 6, 7, 13, 14, 15, 16})
            digits = digits && IsHex(id[i]);
        if (digits)
            return at;
    }
    return std::u16string_view::npos;
}

std::u16string UpperCase(std::u16string_view text) {
    std::u16string upper;
    for (char16_t c : text)
        upper += Upper(c);
    return upper;
}

} // namespace

std::u16string UsbIdentityIn(std::u16string_view text) {
    const size_t at = UsbIdentityAt(text);
    return at == std::u16string_view::npos ? std::u16string()
                                           : UpperCase(text.substr(at, kIdentityLength));
}

std::u16string UsbInstanceIn(std::u16string_view text) {
    const size_t at = UsbIdentityAt(text);
    if (at == std::u16string_view::npos)
        return {};
    const size_t start = at + kIdentityLength + 1;
    if (start > text.size() || text[start - 1] != u'#')
        return {};
    const size_t end = text.find(u'#', start);
    if (end == std::u16string_view::npos)
        return {};
    return UpperCase(text.substr(start, end - start));
}

bool SameUsbDevice(std::u16string_view a, std::u16string_view b) {
    const std::u16string instance = UsbInstanceIn(a);
    return !instance.empty() && instance == UsbInstanceIn(b) &&
           UsbIdentityIn(a) == UsbIdentityIn(b);
}
