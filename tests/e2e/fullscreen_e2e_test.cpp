// The real vistrel binary in a real window (SDL on an X display, Xvfb in CI): a simulated
// capture device shows a solid blue picture; double-clicks and Escape toggle full screen;
// screenshots of the X screen are checked pixel by pixel.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

#include <opencv2/imgcodecs.hpp>

#include "tests/support/dialog_harness.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using testing_support::TempPath;

std::string Shell(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof(buffer), pipe))
            output += buffer;
        pclose(pipe);
    }
    return output;
}

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
};

class Viewer {
public:
    explicit Viewer(const std::string& scenario) {
        const std::string binary = VISTREL_BINARY_DIR "/app/vistrel";
        const std::string scenarioVar = "VISTREL_SCENARIO=" + scenario;
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e)
            if (std::strncmp(*e, "VISTREL_", 8) != 0)
                env.emplace_back(*e);
        env.push_back(scenarioVar);
        env.push_back("VISTREL_BACKEND=sdl");
        std::vector<char*> envp;
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        char* argv[] = {const_cast<char*>(binary.c_str()), nullptr};
        m_started = posix_spawn(&m_pid, binary.c_str(), nullptr, nullptr, argv, envp.data()) == 0;
    }
    ~Viewer() {
        if (m_pid > 0 && !m_exited) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    bool started() const { return m_started; }
    // The X window id of the viewer, once it is mapped.
    std::string window(std::chrono::seconds bound = 10s) {
        const auto deadline = std::chrono::steady_clock::now() + bound;
        while (std::chrono::steady_clock::now() < deadline) {
            std::string id =
                Shell("xdotool search --onlyvisible --name 'Vistrel v1.2.6' 2>/dev/null"
                      " | head -n 1");
            if (!id.empty()) {
                id.erase(id.find_last_not_of("\n") + 1);
                return id;
            }
            std::this_thread::sleep_for(100ms);
        }
        return {};
    }
    Geometry geometry(const std::string& id) {
        Geometry g;
        const std::string text = Shell("xdotool getwindowgeometry --shell " + id);
        std::sscanf(text.c_str(), "WINDOW=%*d\nX=%d\nY=%d\nWIDTH=%d\nHEIGHT=%d", &g.x, &g.y,
                    &g.width, &g.height);
        return g;
    }
    // Waits for the process to end by itself; returns its exit status, -1 on timeout.
    int wait(std::chrono::seconds bound) {
        const auto deadline = std::chrono::steady_clock::now() + bound;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_exited = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(50ms);
        }
        return -1;
    }

private:
    pid_t m_pid = -1;
    bool m_started = false;
    bool m_exited = false;
};

cv::Mat Screenshot() {
    const std::string path = TempPath("e2e-screen.png");
    std::remove(path.c_str());
    Shell("import -window root " + path + " 2>/dev/null");
    return cv::imread(path);
}

// Takes screenshots until `ready` holds for one (a slow build draws late), at most 15 s.
cv::Mat ScreenshotWhen(const std::function<bool(const cv::Mat&)>& ready) {
    cv::Mat screen = Screenshot();
    const auto deadline = std::chrono::steady_clock::now() + 15s;
    while (!screen.empty() && !ready(screen) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(200ms);
        screen = Screenshot();
    }
    return screen;
}

bool IsBlue(const cv::Vec3b& p) {
    return p[0] > 200 && p[1] < 50 && p[2] < 50;
}
bool IsBlack(const cv::Vec3b& p) {
    return p[0] < 20 && p[1] < 20 && p[2] < 20;
}

void DoubleClick(const std::string& id, const Geometry& g) {
    Shell("xdotool mousemove --sync " + std::to_string(g.x + g.width / 2) + " " +
          std::to_string(g.y + g.height / 2) + " click --repeat 2 --delay 80 1");
    (void)id;
}

// Polls until the window's geometry differs from `from` (or matches `to`), bounded.
Geometry Settle(Viewer& viewer, const std::string& id, std::function<bool(const Geometry&)> done) {
    Geometry g = viewer.geometry(id);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!done(g) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(100ms);
        g = viewer.geometry(id);
    }
    std::this_thread::sleep_for(400ms); // let a few frames land
    return g;
}

TEST(EndToEnd, DoubleClickAndEscapeToggleFullScreen) {
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display";
    const std::string picture = TempPath("e2e-blue.png");
    cv::imwrite(picture, cv::Mat(720, 1280, CV_8UC3, cv::Scalar(255, 0, 0)));
    const std::string scenario = TempPath("e2e.scenario");
    std::ofstream(scenario) << "input 0 \"USB HDMI Capture\" image " << picture << " 30\n"
                            << "at 25 close\n";
    Viewer viewer(scenario);
    ASSERT_TRUE(viewer.started());
    const std::string id = viewer.window();
    ASSERT_FALSE(id.empty()) << "the viewer's window did not appear";

    const Geometry windowed = Settle(viewer, id, [](const Geometry& g) { return g.width > 0; });
    auto blueAt = [](int x, int y) {
        return [x, y](const cv::Mat& m) {
            return y < m.rows && x < m.cols && m.at<cv::Vec3b>(y, x)[0] > 200 &&
                   m.at<cv::Vec3b>(y, x)[1] < 50;
        };
    };
    cv::Mat screen =
        ScreenshotWhen(blueAt(windowed.x + windowed.width / 2, windowed.y + windowed.height / 2));
    ASSERT_FALSE(screen.empty());
    const int screenWidth = screen.cols, screenHeight = screen.rows;
    EXPECT_TRUE(IsBlue(
        screen.at<cv::Vec3b>(windowed.y + windowed.height / 2, windowed.x + windowed.width / 2)));

    DoubleClick(id, windowed);
    const Geometry full = Settle(viewer, id, [&](const Geometry& g) {
        return g.width >= screenWidth && g.height >= screenHeight;
    });
    EXPECT_GE(full.width, screenWidth);
    EXPECT_GE(full.height, screenHeight);
    screen = ScreenshotWhen([&](const cv::Mat& m) {
        return blueAt(m.cols / 2, m.rows / 2)(m) && m.at<cv::Vec3b>(1, m.cols / 2)[0] < 20;
    });
    // A 16:9 picture on a taller screen: fitted by width, black bands above and below.
    const int drawnHeight = static_cast<int>(full.width / (1280.0f / 720.0f));
    const int band = (full.height - drawnHeight) / 2;
    EXPECT_TRUE(IsBlue(screen.at<cv::Vec3b>(screenHeight / 2, screenWidth / 2)));
    if (band > 4) {
        EXPECT_TRUE(IsBlack(screen.at<cv::Vec3b>(1, screenWidth / 2)));
        EXPECT_TRUE(IsBlack(screen.at<cv::Vec3b>(screenHeight - 2, screenWidth / 2)));
    }

    DoubleClick(id, full);
    const Geometry restored =
        Settle(viewer, id, [&](const Geometry& g) { return g.width < screenWidth; });
    EXPECT_NEAR(restored.width, windowed.width, 8) << "the sizing border may take a few pixels";
    EXPECT_NEAR(restored.height, windowed.height, 8);
    screen = Screenshot();
    EXPECT_TRUE(IsBlue(
        screen.at<cv::Vec3b>(restored.y + restored.height / 2, restored.x + restored.width / 2)));

    DoubleClick(id, restored);
    Settle(viewer, id, [&](const Geometry& g) { return g.width >= screenWidth; });
    Shell("xdotool key Escape");
    const Geometry escaped =
        Settle(viewer, id, [&](const Geometry& g) { return g.width < screenWidth; });
    EXPECT_LT(escaped.width, screenWidth) << "Escape leaves full screen";
    Shell("xdotool key Escape");
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(viewer.window(1s).empty()) << "Escape in windowed mode never closes";

    EXPECT_EQ(viewer.wait(40s), 0) << "the scenario closes the viewer";
}

} // namespace
