// Scenarios: a small text file, named by VISTREL_SCENARIO, that replaces the real device
// sources with simulated video inputs and plays timed events (plug, unplug, resume, window
// input, screenshots, the event log) for tests and demos.
#pragma once

#include <string>
#include <vector>

namespace platform::scenario {

struct InputLine {
    int index = 0;
    std::vector<std::string> words; // everything after the index
    int line = 0;
};

struct EventLine {
    double at = 0;                  // seconds from the start
    std::string verb;               // "plug", "screenshot", ...
    std::vector<std::string> words; // its arguments
    int line = 0;
};

struct Scenario {
    std::string folder;  // input files are found relative to it
    int screenWidth = 0; // 0: the backend's own
    int screenHeight = 0;
    // `real-notifications`: udev and logind stay on beside the simulated inputs, and plug and
    // unplug change only the inputs (the real sources announce the hardware).
    bool realNotifications = false;
    std::vector<InputLine> inputs;
    std::vector<EventLine> events;
};

// Reads scenario text; on a fault returns false with "line N: what" in `error`.
bool ParseScenario(const std::string& text, Scenario& out, std::string& error);

// Installs the simulated inputs and schedules the events on the user-interface thread, the
// times counted from this call. Returns false with a message for inputs it cannot set up.
bool StartScenario(const Scenario& scenario, std::string& error);

// Loads and starts the scenario named by VISTREL_SCENARIO, if any. A scenario that cannot be
// read or set up ends the process with a message on standard error.
void StartScenarioFromEnvironment();

} // namespace platform::scenario
