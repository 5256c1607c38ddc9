// Simulated reads that block, and what ends them.
#include <thread>

#include <gtest/gtest.h>

#include "simulated_fixture.h"

namespace {

using platform::SimulatedFault;
using platform::SimulatedInputStats;
using platform::SimulatedPicture;

// Each blocking kind of read and what ends it (only a fault change lets it succeed); the paced
// one is due ten seconds on. A source opened before an unplug stays dead after the replug.
TEST_F(SimulatedInputsTest, BlockedReadsEndOnInterruptUnplugOrFaultChange) {
    enum class End { Interrupt, Unplug, FaultChange };
    const struct {
        SimulatedFault fault;
        double fps;
        End end;
    } cases[] = {{SimulatedFault::Blocks, 0, End::Interrupt},
                 {SimulatedFault::None, 0.1, End::Interrupt},
                 {SimulatedFault::Blocks, 0, End::Unplug},
                 {SimulatedFault::BlocksUninterruptibly, 0, End::FaultChange}};
    for (const auto& c : cases) {
        add(0, c.fault, SimulatedPicture::Pattern(8, 8, c.fps));
        sim->setPlugged(0, true);
        auto source = sim->open(0);
        ASSERT_TRUE(source);
        cv::Mat frame;
        ASSERT_TRUE(c.fps == 0 || source->read(frame));
        const bool succeeds = c.end == End::FaultChange;
        bool result = !succeeds;
        std::thread reader([&] { result = source->read(frame); });
        ASSERT_TRUE(waitUntil(0, &SimulatedInputStats::readsInProgress, 1));
        if (c.end == End::Interrupt)
            source->interrupt();
        else if (c.end == End::Unplug)
            sim->setPlugged(0, false);
        else
            sim->setFault(0, SimulatedFault::None);
        reader.join();
        EXPECT_EQ(result, succeeds);
        sim->setPlugged(0, true);
        EXPECT_EQ(source->read(frame), succeeds);
    }
}

} // namespace
