// Assembling the video input list from /dev entries and card names.
#include "platform/video/v4l2/v4l2_listing.h"

#include "platform/system/utf.h"

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

} // namespace platform::v4l2
