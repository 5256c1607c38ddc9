// The process entry: answers --version and --help, plays a scenario when one is named, makes
// sure a display is there when the window must be seen, then the framework's entry point runs
// the application object.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <opencv2/core/utils/logger.hpp>

#include "platform/afxwin.h"
#include "platform/backend/backend.h"
#include "platform/entry/command_line.h"
#include "platform/scenario/scenario.h"
#include "platform/system/frame_allocator.h"

namespace {

bool Named(const char* variable, const char* value = nullptr) {
    const char* set = std::getenv(variable);
    return set && *set && (!value || std::strcmp(set, value) == 0);
}

} // namespace

int main(int argc, char** argv) {
    if (const int status = platform::entry::AnswerCommandLine(argc, argv); status >= 0)
        return status;
    // Standard error is for the user: OpenCV's own warnings (a missing picture file, a device
    // that does not open) would only clutter it.
    cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_SILENT);
    platform::PrepareDesktopEnvironment();
    platform::KeepFrameSizedAllocationsInHeap();
    platform::scenario::StartScenarioFromEnvironment();
    // Nobody would see the window: say so and end, rather than run on invisibly. A scenario
    // or VISTREL_BACKEND=headless runs without a screen on purpose.
    if (!Named("VISTREL_SCENARIO") && !Named("VISTREL_BACKEND", "headless")) {
        if (const std::string problem = platform::DisplayProblem(); !problem.empty()) {
            std::fprintf(stderr, "vistrel: %s: start it from a desktop session\n", problem.c_str());
            return platform::entry::kExitNoDisplay;
        }
    }
    static WCHAR commandLine[] = u"";
    return AfxWinMain(GetModuleHandleW(nullptr), nullptr, commandLine, SW_SHOWDEFAULT);
}
