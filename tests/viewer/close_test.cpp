// Closing the window: prompt, with or without a capture, even when a read blocks; and every
// other way the dialog can end stops and awaits the pumps before the window goes.
#include <gtest/gtest.h>

#include "tests/support/dialog_harness.h"

using namespace testing_support;

namespace {

TEST(Close, WithoutCaptureEndsTheDialog) {
    auto sim = FreshPlatform();
    DialogRun run;
    EXPECT_TRUE(run.close());
}

TEST(Close, WithAStreamingCaptureStopsThePumpAndReleasesTheDevice) {
    auto sim = FreshPlatform();
    sim->setInput(0, Named("HDMI Capture", 1280, 720, 60));
    DialogRun run;
    ASSERT_TRUE(sim->waitFor(
        0, [](auto& s) { return s.framesDelivered > 3; }, std::chrono::seconds(5)));
    CVelvoraDlg& dialog = run.dialog();
    ASSERT_TRUE(run.close());
    EXPECT_EQ(dialog.m_stopPump.load(), 1);
    EXPECT_EQ(dialog.RunningPumps(), 0);
    EXPECT_EQ(sim->stats(0).sourcesOpen, 0);
    EXPECT_EQ(sim->stats(0).destroyedDuringRead, 0);
}

TEST(Close, WhileAReadBlocksStaysPrompt) {
    auto sim = FreshPlatform();
    auto input = Named("HDMI Capture");
    input.fault = platform::SimulatedFault::Blocks;
    input.faultAfterFrames = 3;
    sim->setInput(0, input);
    DialogRun run;
    ASSERT_TRUE(sim->waitFor(
        0, [](auto& s) { return s.readsInProgress == 1 && s.reads > 3; }, std::chrono::seconds(5)));
    EXPECT_TRUE(run.close(std::chrono::seconds(1)));
    EXPECT_EQ(run.dialog().RunningPumps(), 0);
}

TEST(Close, EveryWayTheModalLoopEndsStopsAndAwaitsThePumpsFirst) {
    const std::pair<const char*, std::function<void(DialogRun&)>> ways[] = {
        {"IDOK", [](DialogRun& r) { PostMessageW(r.window(), WM_COMMAND, IDOK, 0); }},
        {"IDCANCEL", [](DialogRun& r) { PostMessageW(r.window(), WM_COMMAND, IDCANCEL, 0); }},
        {"EndDialog", [](DialogRun& r) { r.onUi([&] { r.dialog().EndDialog(IDOK); }); }},
        {"DestroyWindow", [](DialogRun& r) { r.onUi([&] { DestroyWindow(r.window()); }); }},
    };
    for (const auto& [name, how] : ways) {
        auto sim = FreshPlatform();
        sim->setInput(0, Named("HDMI Capture", 640, 360, 120));
        DialogRun run;
        ASSERT_TRUE(sim->waitFor(
            0, [](auto& s) { return s.framesDelivered > 3; }, std::chrono::seconds(5)));
        ASSERT_TRUE(run.end([&] { how(run); }, std::chrono::seconds(3))) << name;
        EXPECT_EQ(run.dialog().RunningPumps(), 0) << name;
        EXPECT_EQ(sim->stats(0).sourcesOpen, 0) << name;
        EXPECT_EQ(sim->stats(0).destroyedDuringRead, 0) << name;
    }
}

} // namespace
