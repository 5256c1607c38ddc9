// WideCharToMultiByte and MultiByteToWideChar.
//
// CP_ACP is Windows-1252 (Western European): 0x00-0x7F and 0xA0-0xFF are the same code points
// in UTF-16, 0x80-0x9F hold the 1252 extras (euro sign, quotes, dashes...), and the five bytes
// 1252 leaves undefined map to the C1 controls of the same value, as Windows maps them. A wide
// character outside the code page becomes the default character ('?' unless one is given).
// CP_UTF8 converts exactly, malformed input becoming U+FFFD.
#include <algorithm>
#include <string>

#include "platform/system/utf.h"
#include "platform/win32/api.h"
#include "platform/win32/constants.h"

namespace {

const char16_t kHighHalf[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t AnsiToWide(unsigned char c) {
    return (c >= 0x80 && c < 0xA0) ? kHighHalf[c - 0x80] : char16_t(c);
}

bool WideToAnsi(char16_t w, char& out) {
    if (w < 0x80 || (w >= 0xA0 && w <= 0xFF)) {
        out = (char)w;
        return true;
    }
    for (int i = 0; i < 32; ++i)
        if (kHighHalf[i] == w) {
            out = (char)(0x80 + i);
            return true;
        }
    return false;
}

// Copies `result` out by the two-call protocol: a size of 0 asks for the length.
template <typename Char>
int Deliver(const std::basic_string<Char>& result, Char* out, int outSize) {
    if (outSize == 0)
        return (int)result.size();
    if (!out || outSize < (int)result.size())
        return 0; // the buffer is too small
    std::copy(result.begin(), result.end(), out);
    return (int)result.size();
}

} // namespace

int WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR wide, int wideLength, LPSTR narrow,
                        int narrowSize, LPCSTR defaultChar, BOOL* usedDefault) {
    if (!wide || wideLength == 0 || wideLength < -1 || narrowSize < 0)
        return 0;
    // A length of -1 converts through the terminating zero, which is counted.
    std::u16string_view input =
        wideLength == -1 ? std::u16string_view(wide, std::char_traits<char16_t>::length(wide) + 1)
                         : std::u16string_view(wide, (size_t)wideLength);
    if (usedDefault)
        *usedDefault = FALSE;
    std::string result;
    if (codePage == CP_UTF8) {
        if (defaultChar || usedDefault)
            return 0; // not allowed with UTF-8
        result = platform::Utf16ToUtf8(input);
    } else if (codePage == CP_ACP) {
        const char fallback = defaultChar ? *defaultChar : '?';
        for (size_t i = 0; i < input.size(); ++i) {
            char c;
            if (WideToAnsi(input[i], c)) {
                result.push_back(c);
                continue;
            }
            // A surrogate pair is one character, and gets one default character.
            if (input[i] >= 0xD800 && input[i] <= 0xDBFF && i + 1 < input.size() &&
                input[i + 1] >= 0xDC00 && input[i + 1] <= 0xDFFF)
                ++i;
            result.push_back(fallback);
            if (usedDefault)
                *usedDefault = TRUE;
        }
    } else {
        return 0;
    }
    return Deliver(result, narrow, narrowSize);
}

int MultiByteToWideChar(UINT codePage, DWORD, LPCSTR narrow, int narrowLength, LPWSTR wide,
                        int wideSize) {
    if (!narrow || narrowLength == 0 || narrowLength < -1 || wideSize < 0)
        return 0;
    std::string_view input =
        narrowLength == -1 ? std::string_view(narrow, std::char_traits<char>::length(narrow) + 1)
                           : std::string_view(narrow, (size_t)narrowLength);
    std::u16string result;
    if (codePage == CP_UTF8) {
        result = platform::Utf8ToUtf16(input);
    } else if (codePage == CP_ACP) {
        for (char c : input)
            result.push_back(AnsiToWide((unsigned char)c));
    } else {
        return 0;
    }
    return Deliver(result, wide, wideSize);
}
