// Installs a fresh set of simulated video inputs for each test.
#pragma once

#include <chrono>

#include <gtest/gtest.h>

#include "platform/video/simulated_devices.h"

class SimulatedInputsTest : public ::testing::Test {
protected:
    void SetUp() override { sim = platform::InstallSimulatedVideoProvider(); }
    void TearDown() override { platform::SetVideoSourceProvider(nullptr); }

    void addNamed(int index, std::u16string name) {
        sim->setInput(index, platform::SimulatedInput::Named(std::move(name)));
    }
    void add(int index, platform::SimulatedFault fault = platform::SimulatedFault::None,
             platform::SimulatedPicture picture = platform::SimulatedPicture::Pattern(32, 24),
             int faultAfterFrames = 0) {
        platform::SimulatedInput input = platform::SimulatedInput::Named(u"Sim", picture);
        input.fault = fault;
        input.faultAfterFrames = faultAfterFrames;
        sim->setInput(index, input);
    }
    // Waits (boundedly) for a counter of input `index` to reach `value`.
    bool waitUntil(int index, int platform::SimulatedInputStats::*counter, int value) {
        return sim->waitFor(
            index, [&](const platform::SimulatedInputStats& s) { return s.*counter == value; },
            std::chrono::seconds(20));
    }

    std::shared_ptr<platform::SimulatedVideoProvider> sim;
};
