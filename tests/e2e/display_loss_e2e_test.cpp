// The X server goes away under a live picture: the viewer ends once, with its display-lost
// status, never by a signal (the user-interface thread and the frame pump both see the loss).
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/backend/sdl/display_loss.h"
#include "tests/support/dialog_harness.h"
#include "tests/support/viewer_process.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

// A private Xvfb of our own, which the test can kill.
class PrivateX {
public:
    PrivateX() {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        // Xvfb writes to descriptor 3 only (it closes the others it inherits).
        const char* argv[] = {"Xvfb",       "-displayfd", "3",   "-screen",  "0",
                              "640x480x24", "-nolisten",  "tcp", "-noreset", nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
        const bool spawned =
            posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        // Xvfb writes its display number, then a newline, once it accepts connections; it
        // ends itself when it cannot write the newline, so read up to it.
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        char c = 0;
        while (spawned && number.size() < 8 && poll(&p, 1, 10000) == 1 &&
               read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        if (c == '\n' && !number.empty())
            m_display = ":" + number;
        close(fds[0]);
    }
    ~PrivateX() { kill(); }
    const std::string& display() const { return m_display; }
    void kill() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }

private:
    pid_t m_pid = -1;
    std::string m_display;
};

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kRounds = 5; // a sanitizer build starts slowly
#else
constexpr int kRounds = 20;
#endif

TEST(EndToEnd, LosingTheDisplayUnderALivePictureEndsTheViewerWithItsStatus) {
    const std::string scenario = testing_support::TempPath("display-loss.scenario");
    std::ofstream(scenario) << "input 0 \"USB3.0 HDMI Capture\" pattern 1280x720 60\n";
    for (int round = 0; round < kRounds; ++round) {
        PrivateX x;
        ASSERT_FALSE(x.display().empty()) << "Xvfb did not start";
        // The viewer takes its display from this process's environment.
        const std::string ownDisplay = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
        setenv("DISPLAY", x.display().c_str(), 1);
        testing_support::ViewerProcess viewer(
            VISTREL_BINARY_DIR "/app/vistrel",
            {"VISTREL_SCENARIO=" + scenario, "VISTREL_BACKEND=sdl"});
        if (ownDisplay.empty())
            unsetenv("DISPLAY");
        else
            setenv("DISPLAY", ownDisplay.c_str(), 1);
        ASSERT_TRUE(viewer.started());
        // Mapped, then a few frames later: the pump draws and wakes the window all the time.
        const auto deadline = std::chrono::steady_clock::now() + 15s;
        auto mapped = [&] {
            return !testing_support::Shell(
                        "DISPLAY=" + x.display() +
                        " xdotool search --onlyvisible --name 'Vistrel v1.2.6' 2>/dev/null")
                        .empty();
        };
        while (!mapped() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(50ms);
        ASSERT_TRUE(mapped()) << "the viewer's window did not appear, round " << round;
        std::this_thread::sleep_for(std::chrono::milliseconds(150 + 40 * round));
        x.kill();
        EXPECT_EQ(viewer.wait(20s), platform::sdl::kDisplayLostExitCode) << "round " << round;
    }
}

} // namespace
