// The process entry: plays a scenario when one is named, then the framework's entry point runs
// the application object.
#include <opencv2/core/utils/logger.hpp>

#include "platform/afxwin.h"
#include "platform/scenario/scenario.h"
#include "platform/system/frame_allocator.h"

int main() {
    // The viewer reports nothing in words; OpenCV's own warnings (a missing picture file, a
    // device that does not open) would only clutter the terminal.
    cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_SILENT);
    platform::KeepFrameSizedAllocationsInHeap();
    platform::scenario::StartScenarioFromEnvironment();
    static WCHAR commandLine[] = u"";
    return AfxWinMain(GetModuleHandleW(nullptr), nullptr, commandLine, SW_SHOWDEFAULT);
}
