// What the real program answers before any window: its command line, and a display that is
// not there or does not answer (it says so and ends at once with its own status, instead of
// running on invisibly).
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include <unistd.h>

#include "tests/support/viewer_process.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Answer {
    int status = -1;
    std::string out;    // standard output
    std::string errors; // standard error
    Clock::duration took{};
};

// Runs the viewer through the shell with `prefix` (environment changes) and `arguments`, no
// VISTREL_ variable of this process passed on, and a bound of 30 s.
Answer StartViewer(const std::string& prefix, const std::string& arguments) {
    const std::string errors = "/tmp/vistrel-startup-" + std::to_string(getpid()) + ".stderr";
    Answer answer;
    const auto start = Clock::now();
    answer.out = testing_support::Shell(
        "env -u VISTREL_SCENARIO -u VISTREL_SCENARIO_OUT -u VISTREL_BACKEND " + prefix +
            " timeout 30 " VISTREL_BINARY_DIR "/app/vistrel " + arguments + " 2>" + errors,
        &answer.status);
    answer.took = Clock::now() - start;
    answer.errors = testing_support::Shell("cat " + errors + "; rm -f " + errors);
    return answer;
}

TEST(StartUp, CommandLineAnswersAndEnds) {
    const struct {
        const char* arguments;
        int status;
        const char* outStarts; // the start of standard output
        const char* errors;    // all of standard error
    } cases[] = {
        {"--version", 0, "Vistrel 1.2.6\n", ""},
        {"--help", 0, "Usage: vistrel [--help | --version]\n", ""},
        {"--verbose", 2, "", "vistrel: unknown argument \"--verbose\": try vistrel --help\n"},
        {"--version extra", 2, "", "vistrel: unknown argument \"extra\": try vistrel --help\n"},
    };
    for (const auto& c : cases) {
        const Answer answer = StartViewer("", c.arguments);
        EXPECT_EQ(answer.status, c.status) << c.arguments;
        EXPECT_EQ(answer.out.rfind(c.outStarts, 0), 0u) << c.arguments << ": " << answer.out;
        EXPECT_EQ(answer.errors, c.errors) << c.arguments;
    }
    const std::string help = StartViewer("", "--help").out;
    for (const char* word : {"VISTREL_SCENARIO", "VISTREL_SCENARIO_OUT", "VISTREL_BACKEND",
                             "DISPLAY", "SDL_VIDEODRIVER", "Exit status", "  5  "})
        EXPECT_NE(help.find(word), std::string::npos) << word;
}

TEST(StartUp, WithoutADisplayTheViewerSaysSoAndEndsAtOnce) {
    // ":99" with no X server behind it (the test's own display is another number).
    const struct {
        const char* environment;
        const char* errors;
    } cases[] = {
        {"-u DISPLAY -u WAYLAND_DISPLAY",
         "vistrel: cannot open a display (neither DISPLAY nor WAYLAND_DISPLAY is set): start "
         "it from a desktop session\n"},
        {"-u WAYLAND_DISPLAY DISPLAY=:99",
         "vistrel: cannot open the display \":99\" (no X server accepts a connection there): "
         "start it from a desktop session\n"},
    };
    if (access("/tmp/.X11-unix/X99", F_OK) == 0)
        GTEST_SKIP() << "an X server runs at :99 here";
    for (const auto& c : cases) {
        const Answer answer = StartViewer(c.environment, "");
        EXPECT_EQ(answer.status, 5) << c.environment;
        EXPECT_EQ(answer.errors, c.errors) << c.environment;
        EXPECT_LT(answer.took, std::chrono::seconds(8)) << c.environment << ": within 2 s";
    }
    // Headless on purpose: no complaint, the window runs until it is closed.
    const Answer headless =
        StartViewer("-u DISPLAY -u WAYLAND_DISPLAY VISTREL_BACKEND=headless timeout -s INT 1", "");
    EXPECT_NE(headless.status, 5);
    EXPECT_EQ(headless.errors, "");
}

} // namespace
