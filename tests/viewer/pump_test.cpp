// How frame pumps end, and that only one of them reads at a time.
#include <gtest/gtest.h>

#include "tests/support/dialog_harness.h"

using namespace testing_support;
using platform::SimulatedFault;

namespace {

void ExpectBlackArea(DialogRun& run) {
    const cv::Mat pixels = run.videoPixels();
    ASSERT_FALSE(pixels.empty());
    // The fit of an area-sized frame may leave the bottom row as it was.
    EXPECT_TRUE(IsBlack(pixels, {0, 0, pixels.cols, pixels.rows - 1}));
}

TEST(FramePump, EndsAtAFailingOrEmptyFirstReadLeavingTheAreaBlack) {
    for (SimulatedFault fault : {SimulatedFault::ReadFails, SimulatedFault::EmptyFrames}) {
        auto sim = FreshPlatform();
        auto input = Named("HDMI Capture");
        input.fault = fault;
        sim->setInput(0, input);
        DialogRun run;
        ASSERT_TRUE(WaitUntil([&] { return run.dialog().RunningPumps() == 0; }));
        EXPECT_EQ(sim->stats(0).reads, 1u);
        EXPECT_TRUE(run.dialog().m_capture.isOpened()) << "the pump never releases";
        ExpectBlackArea(run);
    }
}

TEST(FramePump, KeepsReadingThroughOpenCvErrorsUntilStopped) {
    auto sim = FreshPlatform();
    auto input = Named("HDMI Capture");
    input.fault = SimulatedFault::Throws;
    sim->setInput(0, input);
    DialogRun run;
    ASSERT_TRUE(sim->waitFor(
        0, [](auto& s) { return s.reads > 50; }, std::chrono::seconds(20)));
    EXPECT_EQ(run.dialog().RunningPumps(), 1);
    run.post(WM_COMMAND, MAKEWPARAM(IDC_STOP, BN_CLICKED), 0);
    ASSERT_TRUE(WaitUntil([&] { return run.dialog().RunningPumps() == 0; }));
    EXPECT_EQ(run.dialog().m_stopPump.load(), 1);
    EXPECT_FALSE(run.dialog().m_capture.isOpened());
}

TEST(FramePump, APumpStartedAfterTheStopCommandDrawsBlackAndNeverReads) {
    auto sim = FreshPlatform();
    sim->setInput(0, Named("HDMI Capture"));
    DialogRun run;
    ASSERT_TRUE(sim->waitFor(
        0, [](auto& s) { return s.framesDelivered > 2; }, std::chrono::seconds(20)));
    run.post(WM_COMMAND, MAKEWPARAM(IDC_STOP, BN_CLICKED), 0);
    ASSERT_TRUE(WaitUntil([&] { return run.dialog().RunningPumps() == 0; }));
    const uint64_t readsBefore = sim->stats(0).reads;
    run.onUi([&] {
        run.dialog().m_capture.open(0);
        run.dialog().StartFramePump();
    });
    ASSERT_TRUE(WaitUntil([&] { return run.dialog().RunningPumps() == 0; }));
    EXPECT_EQ(sim->stats(0).reads, readsBefore);
    ExpectBlackArea(run);
}

TEST(FramePump, RestartsNeverLetTwoPumpsReadAtOnce) {
    auto sim = FreshPlatform();
    sim->setInput(0, Named("HDMI Capture", 640, 360));
    DialogRun run;
    run.onUi([&] { MoveWindow(run.video(), 0, 0, 200, 120, TRUE); });
    for (int i = 0; i < 20; ++i) {
        run.onUi([&] {
            run.dialog().m_capture.release();
            run.dialog().m_capture.open(0);
            run.dialog().StartFramePump();
            run.dialog().StartFramePump();
        });
    }
    ASSERT_TRUE(sim->waitFor(
        0, [](auto& s) { return s.framesDelivered > 5; }, std::chrono::seconds(20)));
    ASSERT_TRUE(
        WaitUntil([&] { return run.dialog().RunningPumps() == 1; }, std::chrono::seconds(20)));
    EXPECT_EQ(sim->stats(0).maxConcurrentReads, 1);
    EXPECT_EQ(sim->stats(0).destroyedDuringRead, 0);
}

} // namespace
