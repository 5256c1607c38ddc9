// The start-up choice of the capture device and what the window shows afterwards.
#include <gtest/gtest.h>

#include "tests/support/dialog_harness.h"

using namespace testing_support;

namespace {

TEST(StartUp, WithoutDevicesShowsNoSignalAndStartsNoPump) {
    auto sim = FreshPlatform();
    DialogRun run;
    EXPECT_EQ(run.dialog().m_deviceIndex, 0);
    EXPECT_FALSE(run.dialog().m_deviceFound);
    EXPECT_EQ(run.dialog().RunningPumps(), 0);
    EXPECT_FALSE(run.dialog().m_capture.isOpened());
    // The picture covers the middle of the area, the black frame is around it.
    const cv::Mat pixels = run.videoPixels();
    ASSERT_FALSE(pixels.empty());
    EXPECT_TRUE(IsBlack(pixels, {0, 0, 20, 20}));
    EXPECT_GT(CountPixels(pixels, cv::Scalar(30, 30, 230)), 100) << "the red cross of dis.jpg";
}

TEST(StartUp, ChoosesTheFirstNameContainingTheWords) {
    struct Case {
        std::vector<const char*> names;
        bool found;
        int index;
    };
    const Case cases[] = {
        {{"Integrated Camera", "USB3.0 HDMI Capture Device (2)"}, true, 1},
        {{"hdmi capture", "HDMI CAPTURE"}, false, 0},
        {{"HDMI Capture A", "HDMI Capture B"}, true, 0},
        {{"", "HDMI Capture"}, true, 1},
        {{nullptr, "HDMI Capture"}, true, 0}, // an input without a name shifts those after it
    };
    for (const Case& c : cases) {
        auto sim = FreshPlatform();
        for (size_t i = 0; i < c.names.size(); ++i)
            sim->setInput(static_cast<int>(i),
                          c.names[i] ? Named(c.names[i]) : platform::SimulatedInput{});
        DialogRun run;
        EXPECT_EQ(run.dialog().m_deviceFound, c.found) << c.names[1];
        EXPECT_EQ(run.dialog().m_deviceIndex, c.index) << c.names[1];
        EXPECT_EQ(run.dialog().m_capture.isOpened(), c.found) << c.names[1];
        if (c.found) {
            EXPECT_TRUE(sim->waitFor(
                c.index, [](auto& s) { return s.framesDelivered > 2; }, std::chrono::seconds(20)));
        }
    }
}

TEST(StartUp, ADeviceThatWillNotOpenStillGetsAPumpThatEndsOnItsFirstRead) {
    auto sim = FreshPlatform();
    auto input = Named("HDMI Capture");
    input.fault = platform::SimulatedFault::OpenFails;
    sim->setInput(0, input);
    DialogRun run;
    EXPECT_TRUE(run.dialog().m_deviceFound);
    EXPECT_FALSE(run.dialog().m_capture.isOpened());
    ASSERT_TRUE(WaitUntil([&] { return run.dialog().RunningPumps() == 0; }));
    EXPECT_EQ(sim->stats(0).openAttempts, 1);
    // The pump's black frame may land before or after the first paint; a repaint after the
    // pump has ended shows no signal, since nothing is open.
    run.onUi([&] { InvalidateRect(run.window(), nullptr, TRUE); });
    run.settle();
    EXPECT_GT(CountPixels(run.videoPixels(), cv::Scalar(30, 30, 230)), 100);
}

TEST(StartUp, SystemMenuGainsTheAboutEntryUnderASeparatorThatDoesNothing) {
    auto sim = FreshPlatform();
    DialogRun run;
    HMENU menu = GetSystemMenu(run.window(), FALSE);
    ASSERT_NE(menu, nullptr);
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(GetMenuItemID(menu, count - 1), 16u);
    WCHAR text[64] = {0};
    GetMenuStringW(menu, count - 1, text, 64, MF_BYPOSITION);
    EXPECT_EQ(std::u16string(text), u"关于 Velvora(&A)...");
    EXPECT_EQ(GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR, (UINT)MF_SEPARATOR);
    // The entry opens nothing and closes nothing.
    run.post(WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    EXPECT_TRUE(IsWindow(run.window()));
    EXPECT_FALSE(run.closed());
}

} // namespace
