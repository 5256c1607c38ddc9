// Thousands of random arrivals, removals and resumes while a device streams: no race, never
// two pumps reading, and afterwards the state the last events imply.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "tests/support/dialog_harness.h"
#include "platform/cvshim/picture_codecs.h"
#include "platform/notify/simulated_notifications.h"

using namespace testing_support;
namespace notify = platform::notify;

namespace {

const cv::Scalar kPictureColour(17, 99, 201);

// Whether the centre of the video area shows the 20 x 20 no-signal picture.
bool ShowsPicture(DialogRun& run) {
    const cv::Mat pixels = run.videoPixels();
    if (pixels.empty())
        return false;
    const cv::Rect centre((pixels.cols - 20) / 2, (pixels.rows - 20) / 2, 20, 20);
    return CountPixels(pixels(centre), kPictureColour, 2) == 20 * 20;
}

int EventCount() {
    const char* count = std::getenv("VISTREL_STRESS_EVENTS");
    return count ? std::atoi(count) : 10000;
}

TEST(DeviceEventsStress, RandomEventsLeaveTheStateTheLastEventsImply) {
    auto sim = FreshPlatform();
    sim->setInput(0, Named("HDMI Capture", 160, 90, 120));
    const std::string picture = TempPath("stress-picture.png");
    platform::WritePngFile(picture, cv::Mat(20, 20, CV_8UC3, kPictureColour));
    DialogRun run([&](CVelvoraDlg& dialog) { dialog.m_noSignalPicturePath = picture; });
    // A small video area keeps each presentation cheap, so the run is about the events.
    run.onUi([&] { MoveWindow(run.video(), 0, 0, 200, 120, TRUE); });

    const std::string usb = notify::UsbInterfaceName(0x3188, 0x1234, "SIM1");
    const std::string audio = notify::AudioEndpointName("Capture1", notify::AudioFlow::Capture);
    std::mt19937 random(20261207);
    bool present = false;
    bool open = true;
    const int events = EventCount();
    for (int i = 0; i < events; ++i) {
        switch (random() % 5) {
        case 0:
            notify::SimulateInterfaceArrival(usb, GUID_DEVINTERFACE_USB_DEVICE);
            present = true;
            break;
        case 1:
            notify::SimulateInterfaceArrival(audio, GUID_DEVINTERFACE_AUDIO_CAPTURE);
            open = open || present;
            break;
        case 2:
            notify::SimulateInterfaceRemoval(usb, GUID_DEVINTERFACE_USB_DEVICE);
            present = false;
            open = false;
            break;
        case 3:
            notify::SimulateInterfaceRemoval(audio, GUID_DEVINTERFACE_AUDIO_CAPTURE);
            break;
        default:
            notify::SimulateResume();
            open = true;
            break;
        }
        if (i % 100 == 99)
            run.settle(); // keep the queue short, as real events would
    }
    run.settle();

    CVelvoraDlg& dialog = run.dialog();
    EXPECT_EQ(dialog.m_devicePresent, present);
    EXPECT_EQ(dialog.m_capture.isOpened(), open);
    ASSERT_TRUE(WaitUntil([&] { return dialog.RunningPumps() == (open ? 1 : 0); }));
    const platform::SimulatedInputStats stats = sim->stats(0);
    EXPECT_LE(stats.maxConcurrentReads, 1);
    EXPECT_EQ(stats.destroyedDuringRead, 0);
    EXPECT_EQ(stats.sourcesOpen, open ? 1 : 0);
    if (open) {
        EXPECT_TRUE(sim->waitFor(
            0, [n = stats.framesDelivered](auto& s) { return s.framesDelivered > n + 2; },
            std::chrono::seconds(20)));
        EXPECT_TRUE(WaitUntil([&] { return !ShowsPicture(run); }));
    } else {
        EXPECT_TRUE(ShowsPicture(run));
    }
    EXPECT_TRUE(run.close());
}

} // namespace
