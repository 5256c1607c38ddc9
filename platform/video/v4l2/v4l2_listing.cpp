// Assembling the video input list from /dev entries and card names.
#include "platform/video/v4l2/v4l2_listing.h"

#include <algorithm>

namespace platform::v4l2 {

namespace {

std::optional<int> NodeNumber(std::string_view name) {
    constexpr std::string_view prefix = "video";
    if (!name.starts_with(prefix))
        return std::nullopt;
    std::string_view digits = name.substr(prefix.size());
    if (digits.empty() || digits.size() > 3 || (digits.size() > 1 && digits[0] == '0'))
        return std::nullopt;
    int n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (n >= kMaxVideoNodes)
        return std::nullopt;
    return n;
}

void AppendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    }
}

} // namespace

std::vector<int> VideoNodeNumbers(const std::vector<std::string>& devEntries) {
    std::vector<int> numbers;
    for (const std::string& name : devEntries)
        if (auto n = NodeNumber(name))
            numbers.push_back(*n);
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

std::vector<VideoInputInfo> AssembleInputs(const std::vector<std::string>& devEntries,
                                           const CardNameQuery& cardName) {
    const std::vector<int> numbers = VideoNodeNumbers(devEntries);
    if (numbers.empty())
        return {};
    std::vector<VideoInputInfo> inputs(numbers.back() + 1);
    for (VideoInputInfo& input : inputs) {
        input.description = u"";
        input.friendlyName = u"";
    }
    for (int n : numbers) {
        if (auto card = cardName(n)) {
            inputs[n].friendlyName = Utf8ToUtf16(*card);
            inputs[n].description = inputs[n].friendlyName;
        }
    }
    return inputs;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int length = 0;
        char32_t c = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            length = 1;
            c = lead;
        } else if (lead >= 0xC2 && lead < 0xE0) {
            length = 2;
            c = lead & 0x1F;
            minimum = 0x80;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            length = 3;
            c = lead & 0x0F;
            minimum = 0x800;
        } else if (lead >= 0xF0 && lead < 0xF5) {
            length = 4;
            c = lead & 0x07;
            minimum = 0x10000;
        }
        bool valid = length > 0 && i + length <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        valid = valid && c >= minimum && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
        if (!valid) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        AppendUtf16(out, c);
        i += length;
    }
    return out;
}

} // namespace platform::v4l2
