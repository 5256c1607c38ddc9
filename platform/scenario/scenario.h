// Scenarios: a small text file, named by VISTREL_SCENARIO, that replaces the real device
// sources with simulated video inputs and plays timed events (plug, unplug, resume, window
// input, screenshots, the event log) for tests and demos. The file is read once, into the
// typed set-ups and events of scenario_events.h; playing them reads no text.
#pragma once

#include <string>
#include <vector>

#include "platform/scenario/scenario_events.h"

namespace platform::scenario {

struct Scenario {
    std::string file;    // named in messages
    std::string folder;  // input files are found relative to it
    int screenWidth = 0; // 0: the backend's own
    int screenHeight = 0;
    // `real-notifications`: udev and logind stay on beside the simulated inputs, and plug and
    // unplug change only the inputs (the real sources announce the hardware).
    bool realNotifications = false;
    std::vector<InputSetup> inputs;
    std::vector<Event> events;
};

// Reads scenario text into `out`, whose `folder` resolves the inputs' file names. On a fault
// returns false with "line N: what: expected X, found Y" in `error`.
bool ParseScenario(const std::string& text, Scenario& out, std::string& error);

// Installs the simulated inputs and schedules the events on the user-interface thread, the
// times counted from this call.
void StartScenario(const Scenario& scenario);

// Loads and starts the scenario named by VISTREL_SCENARIO, if any. A scenario that cannot be
// read or has a fault ends the process with status 2 and a message on standard error that
// names the file and the line.
void StartScenarioFromEnvironment();

} // namespace platform::scenario
