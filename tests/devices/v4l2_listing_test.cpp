#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/dialog_harness.h"

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

// A USB capture node's device path names the USB device above its interface; a node elsewhere
// (a PCI card, the loopback driver) or a broken tree has none.
TEST(V4l2Listing, DevicePathsCarryTheUsbDeviceOfTheNode) {
    namespace fs = std::filesystem;
    const fs::path sys = testing_support::TempPath("fake-sys");
    fs::remove_all(sys);
    const fs::path usb = sys / "devices/pci0000:00/usb1/1-2";
    auto node = [&](int n, const fs::path& parent) {
        const fs::path dir = parent / "video4linux" / ("video" + std::to_string(n));
        fs::create_directories(dir);
        fs::create_directory_symlink("../..", dir / "device");
        fs::create_directories(sys / "class/video4linux");
        fs::create_directory_symlink(dir,
                                     sys / "class/video4linux" / ("video" + std::to_string(n)));
    };
    node(0, usb / "1-2:1.0");
    node(1, sys / "devices/pci0000:00/0000:00:1f.0");
    node(2, sys / "devices/virtual");
    std::ofstream(usb / "idVendor") << "534d\n";
    std::ofstream(usb / "idProduct") << "2109\n";
    std::ofstream(usb / "serial") << "HDMI0001\n";
    std::ofstream(sys / "devices/virtual/idVendor") << "zz\n";

    auto identity = [&](int n) { return platform::v4l2::UsbIdentityOfVideoNode(sys, n); };
    ASSERT_TRUE(identity(0));
    EXPECT_EQ(identity(0)->vendor, 0x534d);
    EXPECT_EQ(identity(0)->product, 0x2109);
    EXPECT_EQ(identity(0)->port, "1-2");
    EXPECT_EQ(identity(0)->serial, "HDMI0001");
    EXPECT_FALSE(identity(1));
    EXPECT_FALSE(identity(2));
    EXPECT_FALSE(identity(3)) << "no such node";

    const auto inputs = AssembleInputs(
        {"video0", "video1"}, [](int) { return "Card"; }, identity);
    ASSERT_EQ(inputs.size(), 2u);
    EXPECT_EQ(inputs[0].devicePath, u"\\\\?\\usb#vid_534d&pid_2109#HDMI0001#"
                                    u"{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global");
    EXPECT_FALSE(inputs[1].devicePath);
    fs::remove_all(sys);
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
