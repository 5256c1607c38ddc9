#include <gtest/gtest.h>

#include "platform/system/utf.h"
#include "platform/video/v4l2/v4l2_listing.h"

namespace {

using platform::Utf8ToUtf16;
using platform::v4l2::AssembleInputs;
using platform::v4l2::VideoNodeNumbers;

TEST(V4l2Listing, TakesOnlyPlainVideoNodeNamesAndOpensNoOther) {
    const std::vector<std::string> dev = {".",       "..",       "video10", "video2",  "vbi0",
                                          "video01", "video",    "videoX",  "video3a", "media0",
                                          "video2",  "video256", "video255"};
    EXPECT_EQ(VideoNodeNumbers(dev), (std::vector<int>{2, 10, 255}));
    auto provider = platform::CreateV4l2VideoSourceProvider(); // an index without a node
    EXPECT_FALSE(provider->open(-1));
    EXPECT_FALSE(provider->open(platform::v4l2::kMaxVideoNodes - 1));
}

TEST(V4l2Listing, PositionsFollowNodeNumbersWithEmptyNamesForGaps) {
    std::vector<int> asked;
    auto card = [&](int n) -> std::optional<std::string> {
        asked.push_back(n);
        if (n == 1)
            return std::nullopt; // a metadata node: cannot capture
        return "Card " + std::to_string(n);
    };
    const auto inputs = AssembleInputs({"video3", "video0", "video1", "null"}, card);
    ASSERT_EQ(inputs.size(), 4u);
    const char16_t* expected[] = {u"Card 0", u"", u"", u"Card 3"};
    for (size_t i = 0; i < inputs.size(); ++i) {
        EXPECT_EQ(inputs[i].friendlyName, expected[i]) << i;
        EXPECT_EQ(inputs[i].description, expected[i]) << i;
        EXPECT_TRUE(inputs[i].bindable);
    }
    EXPECT_EQ(asked, (std::vector<int>{0, 1, 3}));
}

// Overlong forms, surrogates and cut sequences become one U+FFFD per maximal subpart.
TEST(Utf8ToUtf16, DecodesAndReplacesIllFormedInput) {
    const std::pair<std::string, std::u16string> cases[] = {
        {"\xC3\xA9", u"\u00E9"},
        {"\xE4\xB8\x80", u"\u4E00"},
        {"\xF0\x9F\x8E\xA5", u"\U0001F3A5"},
        {"a\xFF", u"a\uFFFD"},
        {"\xC0\xAF", u"\uFFFD\uFFFD"},
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"ab\xE4\xB8", u"ab\uFFFD"},
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(Utf8ToUtf16(in), out) << in;
}

} // namespace
