// The mode the viewer streams in: chosen from the device's own table and set up by our V4L2
// calls on the test dongle, each made once; why an open fails; the JPEG decode's scale.
#include <gtest/gtest.h>

#include <algorithm>
#include <linux/videodev2.h>

#include "dongle.h"
#include "platform/video/v4l2/v4l2_source.h"

namespace {

using platform::v4l2::ChooseMode;
using platform::v4l2::Describe;
using platform::v4l2::Mode;

constexpr uint32_t MJPG = V4L2_PIX_FMT_MJPEG, YUYV = V4L2_PIX_FMT_YUYV, H264 = V4L2_PIX_FMT_H264;

// The card the viewer was tried with: MJPG at three sizes at 60 and 30, YUYV small or slow.
constexpr const char* kHdmiDongle = "MJPG 1920x1080 60 30; MJPG 1280x720 60 30;"
                                    "MJPG 640x480 60 30; YUYV 640x480 30; YUYV 1920x1080 5";

TEST(ModeChoice, FromTablesAlone) {
    // Only formats we convert count; with no size reaching 30 fps the largest wins.
    EXPECT_EQ(ChooseMode({{H264, 3840, 2160, 60}, {YUYV, 1280, 720, 10}, {YUYV, 640, 480, 15}}),
              (Mode{YUYV, 1280, 720, 10}));
    // The highest rate at the size, then raw over JPEG; the device's order breaks the rest.
    EXPECT_EQ(ChooseMode({{MJPG, 1280, 720, 30},
                          {MJPG, 1280, 720, 50},
                          {YUYV, 1280, 720, 50},
                          {YUYV, 720, 1280, 60}}),
              (Mode{YUYV, 1280, 720, 50}));
    // An NTSC rate counts as 30; a wider frame of the same area wins.
    EXPECT_EQ(ChooseMode({{YUYV, 1920, 1080, 30000.0 / 1001}, {YUYV, 1080, 1920, 30}}),
              (Mode{YUYV, 1920, 1080, 30000.0 / 1001}));
    EXPECT_FALSE(ChooseMode({}));
    EXPECT_FALSE(ChooseMode({{H264, 1920, 1080, 60}, {YUYV, 0, 0, 30}}));
}

struct Case {
    const char* what;
    const char* table;
    Mode expected;
};

// Each device's table through the dongle: what was chosen, set up with each call once,
// granted, and delivered as the picture the device sent.
TEST(ModeChoice, ThroughOurV4l2Calls) {
    const Case cases[] = {
        {"the HDMI dongle", kHdmiDongle, {MJPG, 1920, 1080, 60}},
        {"largest size too slow",
         "YUYV 1920x1080 5; YUYV 1280x720 30 15; YUYV 640x480 30",
         {YUYV, 1280, 720, 30}},
        {"raw wins a tie",
         "MJPG 1280x720 30; YUYV 1280x720 30; MJPG 640x480 60",
         {YUYV, 1280, 720, 30}},
        {"stepwise", "YUYV 320x240-1920x1080/8x8 30 15", {YUYV, 1920, 1080, 30}},
        {"one mode", "card Old Grabber; YUYV 720x576 25", {YUYV, 720, 576, 25}},
        {"slow to answer", "MJPG 640x480 30; slow 20", {MJPG, 640, 480, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dongle::Configure(c.table);
        dongle::ClearCalls();
        auto source = platform::v4l2::V4l2Source::Open(0);
        ASSERT_TRUE(source);
        ASSERT_TRUE(source->chosen());
        EXPECT_EQ(*source->chosen(), c.expected) << Describe(*source->chosen());
        EXPECT_EQ(source->granted(), c.expected) << Describe(source->granted());
        EXPECT_EQ(source->get(platform::kCapPropFrameWidth), c.expected.width);
        EXPECT_EQ(source->get(platform::kCapPropBufferSize), platform::v4l2::kDriverBuffers);
        const std::string size =
            std::to_string(c.expected.width) + "x" + std::to_string(c.expected.height);
        EXPECT_EQ(dongle::Calls(),
                  (std::vector<std::string>{
                      "open /dev/video0",
                      "S_FMT " + platform::v4l2::FourccText(c.expected.fourcc) + " " + size,
                      "S_PARM " + std::to_string(int(c.expected.fps)),
                      "REQBUFS " + std::to_string(platform::v4l2::kDriverBuffers), "STREAMON"}));

        cv::Mat frame;
        ASSERT_TRUE(source->read(frame));
        EXPECT_EQ(frame.size(), cv::Size(c.expected.width, c.expected.height));
        EXPECT_EQ(frame.type(), CV_8UC3);
        EXPECT_TRUE(dongle::ShowsPattern(frame));
        // JPEG frames shrink to the smallest DCT scale that covers the area they are drawn in.
        if (c.expected.fourcc == MJPG) {
            source->set(platform::kCapPropDrawWidth, c.expected.width / 2 - 1);
            source->set(platform::kCapPropDrawHeight, c.expected.height / 2 - 1);
            ASSERT_TRUE(source->read(frame));
            EXPECT_EQ(frame.size(), cv::Size(c.expected.width / 2, c.expected.height / 2));
            EXPECT_TRUE(dongle::ShowsPattern(frame));
        }
        source.reset();
        EXPECT_EQ(dongle::OpenHandles(), 0);
        EXPECT_EQ(dongle::Calls().back(), "close capture node");
    }
}

// A refused open keeps the device's errno and the node it tried.
TEST(ModeChoice, AFailedOpenSaysWhy) {
    const struct {
        const char* table;
        int index, error;
    } cases[] = {
        {"MJPG 640x480 30; deny", 0, EACCES}, // not in the video group
        {"MJPG 640x480 30; busy", 0, EBUSY},  // another program streams from it
        {"MJPG 640x480 30", 3, ENOENT},       // no such node
        {"H264 1920x1080 30", 0, ENOTSUP},    // nothing we can show
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.table);
        dongle::Configure(c.table);
        platform::OpenFailure failure;
        auto source = platform::v4l2::CreateProvider(2)->openExplained(c.index, failure);
        EXPECT_FALSE(source);
        EXPECT_EQ(failure.error, c.error);
        EXPECT_EQ(failure.node, "/dev/video" + std::to_string(c.index));
        EXPECT_EQ(dongle::OpenHandles(), 0);
    }
}

TEST(JpegScale, SmallestThatCoversTheArea) {
    using platform::v4l2::JpegScaleDenominator;
    const cv::Size hd(1920, 1080);
    EXPECT_EQ(JpegScaleDenominator(hd, {0, 0}), 1);       // not drawn yet: full size
    EXPECT_EQ(JpegScaleDenominator(hd, {1920, 1080}), 1); // full screen
    EXPECT_EQ(JpegScaleDenominator(hd, {880, 495}), 2);   // the window's video area
    EXPECT_EQ(JpegScaleDenominator(hd, {481, 1000}), 2);  // the width decides
    EXPECT_EQ(JpegScaleDenominator(hd, {2000, 271}), 2);  // the height decides
    EXPECT_EQ(JpegScaleDenominator(hd, {480, 270}), 4);
    EXPECT_EQ(JpegScaleDenominator(hd, {481, 100}), 8);           // fitted, it is only 178x100
    EXPECT_EQ(JpegScaleDenominator(hd, {100, 50}), 8);            // never below 1/8
    EXPECT_EQ(JpegScaleDenominator({1919, 1079}, {240, 135}), 8); // rounded up, as decoded
    EXPECT_EQ(JpegScaleDenominator({640, 480}, {1920, 1080}), 1);
}

} // namespace
