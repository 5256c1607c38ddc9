#include "platform/entry/command_line.h"

#include <cstdio>
#include <cstring>

namespace platform::entry {
namespace {

// VISTREL_VERSION comes from the project's version in CMakeLists.txt.
constexpr const char* kHelp =
    "Usage: vistrel [--help | --version]\n"
    "\n"
    "Shows the live picture of a USB HDMI capture device (the first video input whose name\n"
    "contains \"HDMI Capture\") in a window, fitted with its aspect ratio kept. Without a\n"
    "device, or when it is unplugged, it shows a no-signal screen that says why when it\n"
    "knows. It follows unplug, replug and resume from sleep by itself. A double-click toggles\n"
    "full screen; Escape leaves it.\n"
    "\n"
    "Environment:\n"
    "  VISTREL_SCENARIO      a scenario file: simulated devices and timed events instead of\n"
    "                        the real ones\n"
    "  VISTREL_SCENARIO_OUT  where a scenario's screenshots and logs go (default: the current\n"
    "                        folder)\n"
    "  VISTREL_BACKEND       \"sdl\" (a window on the desktop) or \"headless\" (no window)\n"
    "  DISPLAY, WAYLAND_DISPLAY, SDL_VIDEODRIVER, SDL_RENDER_DRIVER\n"
    "                        the display and SDL's choice of video and render driver\n"
    "\n"
    "Exit status:\n"
    "  0  the window was closed\n"
    "  2  a wrong argument, or a scenario file that cannot be read or has a fault\n"
    "  3  a capture read could not be interrupted within 2 s of the window's end\n"
    "  4  the connection to the X display was lost\n"
    "  5  no display could be opened (and neither a scenario nor VISTREL_BACKEND=headless was\n"
    "     given)\n";

} // namespace

int AnswerCommandLine(int argc, char** argv) {
    if (argc < 2)
        return -1;
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("Vistrel %s\n", VISTREL_VERSION);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    std::fprintf(stderr, "vistrel: unknown argument \"%s\": try vistrel --help\n",
                 std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "--help") == 0
                     ? argv[2]
                     : argv[1]);
    return kExitBadArguments;
}

} // namespace platform::entry
