// The mode the viewer streams in: chosen from the device's own table, and granted by
// OpenCV's real V4L2 backend talking to the test dongle.
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

// Position of `call` in the dongle's record, or -1.
long Position(const std::vector<std::string>& calls, const std::string& call) {
    auto it = std::find(calls.rbegin(), calls.rend(), call);
    return it == calls.rend() ? -1 : long(calls.rend() - it) - 1;
}

TEST(ModeChoice, FromTablesAlone) {
    // Only formats OpenCV converts count; with no size reaching 30 fps the largest wins.
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

// Each device's table through the dongle: what was chosen, asked in the backend's order
// before the stream started, granted, and delivered.
TEST(ModeChoice, ThroughOpenCvsV4l2Backend) {
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
        EXPECT_EQ(source->get(cv::CAP_PROP_FRAME_WIDTH), c.expected.width);
        EXPECT_EQ(source->get(cv::CAP_PROP_BUFFERSIZE), platform::v4l2::kDriverBuffers);

        cv::Mat frame;
        ASSERT_TRUE(source->read(frame));
        EXPECT_EQ(frame.size(), cv::Size(c.expected.width, c.expected.height));
        EXPECT_EQ(frame.type(), CV_8UC3);

        const auto calls = dongle::Calls();
        const std::string size =
            std::to_string(c.expected.width) + "x" + std::to_string(c.expected.height);
        const long format =
            Position(calls, "S_FMT " + platform::v4l2::FourccText(c.expected.fourcc) + " " + size);
        const long rate = Position(calls, "S_PARM " + std::to_string(int(c.expected.fps)));
        const long stream = Position(calls, "STREAMON");
        EXPECT_TRUE(format >= 0 && format < rate && rate < stream) << format << rate << stream;
        source.reset();
        EXPECT_EQ(dongle::OpenHandles(), 0);
    }
}

} // namespace
