// The vistrel binary with the test dongle preloaded and no scenario, so it captures through
// V4L2: it streams the dongle's best mode, shows its picture, and closes at once while the
// source is quiet.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <fstream>
#include <thread>

#include <opencv2/imgcodecs.hpp>

#include "tests/support/dialog_harness.h"

#include <X11/Xlib.h> // last: its macros clash with names above

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::string Shell(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        pclose(pipe);
    }
    return output;
}

std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// What WM_DELETE_WINDOW a window manager sends for the close box.
void SendClose(unsigned long window) {
    Display* x = XOpenDisplay(nullptr);
    ASSERT_TRUE(x);
    XEvent e{};
    e.xclient = {ClientMessage, 0, 0, x, window, XInternAtom(x, "WM_PROTOCOLS", 0), 32, {}};
    e.xclient.data.l[0] = long(XInternAtom(x, "WM_DELETE_WINDOW", 0));
    XSendEvent(x, window, 0, NoEventMask, &e);
    XCloseDisplay(x);
}

TEST(ViewerWithDongle, ShowsTheBestModeAndClosesAtOnceWhileQuiet) {
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display";
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // The preloaded dongle would answer calls inside the sanitizer runtime's own start-up and
    // allocator; the capture path itself runs under the sanitizers in the other tests here.
    GTEST_SKIP() << "a preloaded library does not mix with a sanitizer's runtime";
#endif
    const std::string log = testing_support::TempPath("dongle-calls.log");
    std::remove(log.c_str());
    // Quiet from 3 s after the stream starts, for longer than the test runs.
    std::vector<std::string> env = {
        "LD_PRELOAD=" VISTREL_DONGLE_LIBRARY, "VISTREL_BACKEND=sdl",
        "VISTREL_DONGLE=card USB3.0 HDMI Capture; MJPG 1920x1080 60 30; MJPG 1280x720 60 30;"
        "YUYV 640x480 30; YUYV 1920x1080 5; quiet 3 60; log " +
            log,
        // The dongle comes first in the preload list, ahead of a sanitizer's runtime.
        "ASAN_OPTIONS=verify_asan_link_order=0"};
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "VISTREL_", 8) != 0 && std::strncmp(*e, "LD_PRELOAD=", 11) != 0)
            env.emplace_back(*e);
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    const std::string binary = VISTREL_BINARY_DIR "/app/vistrel";
    char* argv[] = {const_cast<char*>(binary.c_str()), nullptr};
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, binary.c_str(), nullptr, nullptr, argv, envp.data()), 0);
    struct Reaper {
        pid_t& pid;
        ~Reaper() {
            if (pid > 0)
                kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
        }
    } reaper{pid};

    // The live picture: the dongle's pattern, green on the left and magenta on the right.
    const std::string shot = testing_support::TempPath("dongle-viewer.png");
    unsigned long window = 0;
    cv::Mat screen;
    auto live = [&] {
        window = std::strtoul(
            Shell("xdotool search --onlyvisible --name 'Vistrel v1.2.6' | head -n 1").c_str(),
            nullptr, 10);
        if (!window)
            return false;
        Shell("import -window root " + shot + " 2>/dev/null");
        screen = cv::imread(shot);
        return !screen.empty() &&
               testing_support::CountPixels(screen, cv::Scalar(40, 160, 40), 30) > 10000 &&
               testing_support::CountPixels(screen, cv::Scalar(160, 40, 160), 30) > 10000;
    };
    ASSERT_TRUE(testing_support::WaitUntil(live, 20s)) << "no live picture; see " << shot;
    const auto calls = Lines(log);
    EXPECT_TRUE(Has(calls, "S_FMT MJPG 1920x1080"));
    EXPECT_TRUE(Has(calls, "S_PARM 60"));
    EXPECT_TRUE(Has(calls, "STREAMON"));

    std::this_thread::sleep_for(4s); // the source is quiet now
    const auto closing = Clock::now();
    SendClose(window);
    int status = -1;
    while (waitpid(pid, &status, WNOHANG) != pid && Clock::now() - closing < 5s)
        std::this_thread::sleep_for(5ms);
    const double took = std::chrono::duration<double>(Clock::now() - closing).count();
    pid = -1;
    EXPECT_LT(took, 0.5);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Lines(log).back(), "close capture node");
}

} // namespace
