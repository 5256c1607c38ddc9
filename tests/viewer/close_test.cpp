// Closing the window is prompt even when a read blocks; every way the dialog can end stops and
// awaits the pumps, and releases the device, before the window goes.
#include <gtest/gtest.h>

#include "tests/support/dialog_harness.h"

using namespace testing_support;

namespace {

TEST(Close, WhileAReadBlocksStaysPrompt) {
    auto sim = FreshPlatform();
    auto input = Named("HDMI Capture");
    input.fault = platform::SimulatedFault::Blocks;
    input.faultAfterFrames = 3;
    sim->setInput(0, input);
    DialogRun run;
    ASSERT_TRUE(sim->waitFor(
        0, [](auto& s) { return s.readsInProgress == 1 && s.reads > 3; },
        std::chrono::seconds(20)));
    // Prompt: the close pauses 100 ms and interrupts the read; 2 s is the wide bound of it.
    EXPECT_TRUE(run.close(std::chrono::seconds(2)));
    EXPECT_EQ(run.dialog().RunningPumps(), 0);
}

TEST(Close, EveryWayTheModalLoopEndsStopsAndAwaitsThePumpsFirst) {
    const std::pair<const char*, std::function<void(DialogRun&)>> ways[] = {
        {"WM_CLOSE", [](DialogRun& r) { PostMessageW(r.window(), WM_CLOSE, 0, 0); }},
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
            0, [](auto& s) { return s.framesDelivered > 3; }, std::chrono::seconds(20)));
        ASSERT_TRUE(run.end([&] { how(run); }, std::chrono::seconds(8))) << name;
        EXPECT_EQ(run.dialog().RunningPumps(), 0) << name;
        EXPECT_EQ(sim->stats(0).sourcesOpen, 0) << name;
        EXPECT_EQ(sim->stats(0).destroyedDuringRead, 0) << name;
    }
}

} // namespace
