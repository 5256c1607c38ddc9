// Installs a fresh set of simulated video inputs for each test.
#pragma once

#include <gtest/gtest.h>

#include "platform/video/simulated_devices.h"

class SimulatedInputsTest : public ::testing::Test {
protected:
    void SetUp() override { sim = platform::InstallSimulatedVideoProvider(); }
    void TearDown() override { platform::SetVideoSourceProvider(nullptr); }

    void addNamed(int index, std::u16string name) {
        sim->setInput(index, platform::SimulatedInput::Named(std::move(name)));
    }

    std::shared_ptr<platform::SimulatedVideoProvider> sim;
};
