// The real vistrel binary played headless on a scenario, watched from outside: how it ended,
// what it said, how much memory it took.
#pragma once

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/dialog_harness.h"
#include "tests/support/viewer_process.h"

namespace headless_viewer {

using testing_support::TempPath;

struct ViewerRun {
    bool ended = false; // by itself, within the bound
    int status = -1;    // exit status, when it exited
    int signal = 0;     // the signal that ended it, when one did
    std::string errors; // its standard error
    long peakKb = 0;    // its peak resident memory
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Plays `scenario` headless with `binary`; kills the viewer when it has not ended within
// `bound`.
inline ViewerRun Play(const std::string& scenario, const std::string& name,
                      std::chrono::milliseconds bound,
                      const std::string& binary = VISTREL_BINARY_DIR "/app/vistrel") {
    const std::string path = TempPath(name + ".scenario"), errors = TempPath(name + ".stderr");
    std::ofstream(path) << scenario;
    testing_support::ViewerProcess viewer(binary,
                                          {"VISTREL_BACKEND=headless", "VISTREL_SCENARIO=" + path,
                                           "VISTREL_SCENARIO_OUT=" + TempPath("")},
                                          errors);
    ViewerRun run;
    const int code = viewer.wait(bound);
    run.ended = code >= 0;
    run.status = code >= 0 && code < 128 ? code : -1;
    run.signal = code >= 128 ? code - 128 : 0;
    run.peakKb = viewer.peakKb();
    run.errors = ReadFile(errors);
    return run;
}

} // namespace headless_viewer
