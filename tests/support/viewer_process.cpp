#include "tests/support/viewer_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>

#include "tests/support/dialog_harness.h"
#include "platform/cvshim/picture_file.h"

#include <X11/Xlib.h> // last: its macros clash with names above

extern char** environ;

namespace testing_support {

using namespace std::chrono_literals;

std::string Shell(const std::string& command, int* status) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof(buffer), pipe))
            output += buffer;
        const int ended = pclose(pipe);
        if (status)
            *status = WIFEXITED(ended) ? WEXITSTATUS(ended) : -1;
    }
    return output;
}

ViewerProcess::ViewerProcess(const std::string& binary, const std::vector<std::string>& env,
                             const std::string& errors) {
    std::vector<std::string> entries = env;
    auto overridden = [&](const char* e) {
        for (const std::string& given : env)
            if (std::strncmp(e, given.c_str(), given.find('=') + 1) == 0)
                return true;
        return false;
    };
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "VISTREL_", 8) != 0 && !overridden(*e))
            entries.emplace_back(*e);
    std::vector<char*> envp;
    for (auto& e : entries)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(binary.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!errors.empty()) {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
    }
    if (posix_spawn(&m_pid, binary.c_str(), &actions, nullptr, argv, envp.data()) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
}

ViewerProcess::~ViewerProcess() {
    if (m_pid > 0 && !m_exited) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

std::string ViewerProcess::window(std::chrono::seconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (std::chrono::steady_clock::now() < deadline) {
        std::string id = Shell("xdotool search --onlyvisible --name 'Vistrel v1.2.6' 2>/dev/null"
                               " | head -n 1");
        if (!id.empty()) {
            id.erase(id.find_last_not_of("\n") + 1);
            return id;
        }
        std::this_thread::sleep_for(100ms);
    }
    return {};
}

Geometry ViewerProcess::geometry(const std::string& window) {
    Geometry g;
    const std::string text = Shell("xdotool getwindowgeometry --shell " + window);
    std::sscanf(text.c_str(), "WINDOW=%*d\nX=%d\nY=%d\nWIDTH=%d\nHEIGHT=%d", &g.x, &g.y, &g.width,
                &g.height);
    return g;
}

void ViewerProcess::requestClose(const std::string& window) {
    Display* x = XOpenDisplay(nullptr);
    if (!x)
        return;
    XEvent e{};
    e.xclient = {
        ClientMessage, 0, 0, x, std::stoul(window), XInternAtom(x, "WM_PROTOCOLS", 0), 32, {}};
    e.xclient.data.l[0] = long(XInternAtom(x, "WM_DELETE_WINDOW", 0));
    XSendEvent(x, std::stoul(window), 0, NoEventMask, &e);
    XCloseDisplay(x);
}

int ViewerProcess::wait(std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (m_pid > 0 && !m_exited && std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        rusage usage{};
        if (wait4(m_pid, &status, WNOHANG, &usage) == m_pid) {
            m_exited = true;
            m_peakKb = usage.ru_maxrss;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(10ms);
    }
    return -1;
}

cv::Mat Screenshot() {
    const std::string path = TempPath("screen-" + std::to_string(getpid()) + ".png");
    std::remove(path.c_str());
    Shell("import -window root " + path + " 2>/dev/null");
    cv::Mat screen = platform::ReadPictureFile(path, 1, 9999).clone();
    std::remove(path.c_str());
    return screen;
}

cv::Mat ScreenshotWhen(const std::function<bool(const cv::Mat&)>& ready) {
    cv::Mat screen = Screenshot();
    const auto deadline = std::chrono::steady_clock::now() + 15s;
    while (!screen.empty() && !ready(screen) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(200ms);
        screen = Screenshot();
    }
    return screen;
}

} // namespace testing_support
