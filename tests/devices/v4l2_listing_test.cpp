#include <gtest/gtest.h>

#include "platform/system/utf.h"
#include "platform/video/v4l2/v4l2_listing.h"

namespace {

using platform::Utf8ToUtf16;
using platform::v4l2::AssembleInputs;
using platform::v4l2::VideoNodeNumbers;

TEST(V4l2Listing, TakesOnlyPlainVideoNodeNames) {
    const std::vector<std::string> dev = {".",       "..",       "video10", "video2",  "vbi0",
                                          "video01", "video",    "videoX",  "video3a", "media0",
                                          "video2",  "video256", "video255"};
    EXPECT_EQ(VideoNodeNumbers(dev), (std::vector<int>{2, 10, 255}));
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
    EXPECT_EQ(inputs[0].friendlyName, u"Card 0");
    EXPECT_EQ(inputs[0].description, u"Card 0");
    EXPECT_EQ(inputs[1].friendlyName, u"");
    EXPECT_EQ(inputs[2].friendlyName, u""); // no node
    EXPECT_EQ(inputs[2].description, u"");
    EXPECT_EQ(inputs[3].friendlyName, u"Card 3");
    for (const auto& input : inputs)
        EXPECT_TRUE(input.bindable);
    EXPECT_EQ(asked, (std::vector<int>{0, 1, 3}));
}

TEST(V4l2Listing, NoNodesNoInputs) {
    auto never = [](int) -> std::optional<std::string> {
        ADD_FAILURE();
        return std::nullopt;
    };
    EXPECT_TRUE(AssembleInputs({"tty0", "sda"}, never).empty());
}

TEST(Utf8ToUtf16, DecodesEveryLengthOfSequence) {
    EXPECT_EQ(Utf8ToUtf16("HDMI"), u"HDMI");
    EXPECT_EQ(Utf8ToUtf16("\xC3\xA9"), u"\u00E9");
    EXPECT_EQ(Utf8ToUtf16("\xE4\xB8\x80"), u"\u4E00");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x8E\xA5"), u"\U0001F3A5");
}

TEST(Utf8ToUtf16, IllFormedInputBecomesReplacementCharacters) {
    EXPECT_EQ(Utf8ToUtf16("a\xFF"
                          "b"),
              u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");           // overlong
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD"); // surrogate
    EXPECT_EQ(Utf8ToUtf16("ab\xE4\xB8"), u"ab\uFFFD");             // cut at the end
    EXPECT_EQ(Utf8ToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

} // namespace

namespace {

TEST(V4l2Provider, IndexWithoutANodeCannotBeOpened) {
    auto provider = platform::CreateV4l2VideoSourceProvider();
    EXPECT_FALSE(provider->open(-1));
    EXPECT_FALSE(provider->open(platform::v4l2::kMaxVideoNodes - 1));
}

} // namespace
