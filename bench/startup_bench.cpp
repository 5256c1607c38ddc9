// Start-up to the first picture: our Release vistrel beside mpv --vo=x11, both reading the test
// dongle (tests/v4l2, preloaded; 1920x1080 MJPG at 60 fps), in alternating rounds on the
// display this runs on (a private Xvfb: scripts/with-display --private). A round starts the
// program and polls a few rows of the screen every 2 ms until the dongle's green and magenta
// halves show on them; the time from just before the program's exec to that poll is its
// start-up, and the CPU time the program used until then its cost. Startup/<rounds> reports,
// in ms, the median and minimum of each start-up, the median of its CPU time, and the ratio of
// the medians (vistrel's over mpv's). Without mpv on the PATH only vistrel is measured. Other
// vistrel binaries named on the command line are timed in the same rounds ("other1", ...).
// mpv runs without the user's configuration, in a window of the viewer's video-area size. The
// preloaded dongle brings OpenCV's libraries into mpv too (about 20 ms of CPU), which vistrel
// loads anyway: mpv's figures include them.
// The session bus a desktop has (SDL asks it to hold the screensaver off) comes from
// dbus-run-session; without one, libdbus would start a bus of its own in every round:
//   scripts/with-display --private dbus-run-session build-rel/bench/startup_bench [VISTREL...]
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// The dongle's best mode, as both programs choose it; its cached pictures (the first round
// makes them) keep their encoding out of every later round.
const std::string kDongleTable =
    "card USB3.0 HDMI Capture; MJPG 1920x1080 60 30; MJPG 1280x720 60 30";

// Whether `rows` (each the screen's width) show the dongle's picture: enough pixels near its
// green and near its magenta, within 30 levels on each channel.
class PictureSeen {
public:
    explicit PictureSeen(Display* display) : m_display(display) {
        const Screen* screen = DefaultScreenOfDisplay(display);
        m_width = screen->width;
        for (int k = 1; k < kRows + 1; ++k)
            m_rows.push_back(screen->height * k / (kRows + 1));
    }

    bool operator()() const {
        int green = 0, magenta = 0;
        for (int y : m_rows) {
            XImage* row = XGetImage(m_display, DefaultRootWindow(m_display), 0, y, m_width, 1,
                                    AllPlanes, ZPixmap);
            if (!row)
                continue;
            for (int x = 0; x < m_width; ++x) {
                const unsigned long p = XGetPixel(row, x, 0);
                const int r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
                green += Near(r, 40) && Near(g, 160) && Near(b, 40);
                magenta += Near(r, 160) && Near(g, 40) && Near(b, 160);
            }
            XDestroyImage(row);
        }
        return green >= kEnough && magenta >= kEnough;
    }

private:
    static bool Near(int value, int target) { return std::abs(value - target) <= 30; }
    static constexpr int kRows = 7, kEnough = 200;
    Display* m_display;
    int m_width = 0;
    std::vector<int> m_rows;
};

std::vector<std::string> ChildEnvironment() {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "VISTREL_", 8) != 0 && std::strncmp(*e, "LD_PRELOAD=", 11) != 0)
            env.push_back(*e);
    env.push_back("LD_PRELOAD=" VISTREL_DONGLE_LIBRARY);
    env.push_back("VISTREL_DONGLE=" + kDongleTable + "; cache " + VISTREL_BINARY_DIR +
                  "/bench/startup-dongle-pictures");
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

void End(pid_t pid) {
    kill(pid, SIGTERM);
    const auto deadline = Clock::now() + 3s;
    while (waitpid(pid, nullptr, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            return;
        }
        std::this_thread::sleep_for(5ms);
    }
}

// CPU time the process `pid` has used so far, in ms: its threads' time on a CPU (threads that
// ended already are not counted).
double CpuMs(pid_t pid) {
    double ns = 0;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    if (DIR* dir = opendir(tasks.c_str())) {
        while (dirent* entry = readdir(dir)) {
            double onCpu = 0;
            if (entry->d_name[0] != '.' &&
                std::ifstream(tasks + "/" + entry->d_name + "/schedstat") >> onCpu)
                ns += onCpu;
        }
        closedir(dir);
    }
    return ns / 1e6;
}

struct Start {
    double ms = -1;   // from the exec to the picture on the screen; -1 when it did not come in 20 s
    double cpuMs = 0; // the program's CPU time until then
};

Start TimeStart(std::vector<std::string> argv, const PictureSeen& seen) {
    std::vector<std::string> env = ChildEnvironment();
    std::vector<char*> args = Pointers(argv), envp = Pointers(env);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const auto start = Clock::now();
    const int failed = posix_spawnp(&pid, args[0], &files, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&files);
    if (failed)
        return {};
    Start result;
    while (Clock::now() - start < 20s) {
        if (seen()) {
            result.ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            result.cpuMs = CpuMs(pid);
            break;
        }
        std::this_thread::sleep_for(2ms);
    }
    End(pid);
    // The window gone from the screen before the next round.
    const auto gone = Clock::now() + 5s;
    while (seen() && Clock::now() < gone)
        std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(200ms);
    return result;
}

bool OnPath(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double Min(const std::vector<double>& v) {
    return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

// Other vistrel binaries to time beside this build's (an older build, say), from the command
// line; each needs its res/dis.jpg beside it, as an installed one has.
std::vector<std::string> g_others;

struct Program {
    std::string name;
    std::vector<std::string> argv;
    std::vector<double> ms, cpuMs;
};

void Startup(benchmark::State& state) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        state.SkipWithError("no X display: run under scripts/with-display --private");
        return;
    }
    const PictureSeen seen(display);
    std::vector<Program> programs = {{"vistrel", {VISTREL_BINARY_DIR "/app/vistrel"}, {}, {}}};
    for (size_t i = 0; i < g_others.size(); ++i)
        programs.push_back({"other" + std::to_string(i + 1), {g_others[i]}, {}, {}});
    if (OnPath("mpv"))
        programs.push_back(
            {"mpv",
             {"mpv", "--vo=x11", "--no-config", "--autofit=880x495", "av://v4l2:/dev/video0"},
             {},
             {}});
    else
        std::fprintf(stderr, "startup_bench: mpv is not installed; measuring vistrel alone\n");
    for (auto _ : state) {
        // A first start of each makes the dongle's picture cache and fills the file cache.
        for (Program& p : programs)
            TimeStart(p.argv, seen);
        for (int round = 0; round < state.range(0); ++round) {
            std::fprintf(stderr, "round %d:", round + 1);
            for (Program& p : programs) {
                const Start start = TimeStart(p.argv, seen);
                if (start.ms >= 0)
                    p.ms.push_back(start.ms), p.cpuMs.push_back(start.cpuMs);
                std::fprintf(stderr, " %s %.0f ms (CPU %.0f ms)", p.name.c_str(), start.ms,
                             start.cpuMs);
            }
            std::fprintf(stderr, "\n");
        }
        state.SetIterationTime(Median(programs.front().ms) / 1e3);
    }
    XCloseDisplay(display);
    for (const Program& p : programs) {
        if (p.ms.size() != size_t(state.range(0)))
            state.SkipWithError((p.name + "'s picture did not show in every round").c_str());
        state.counters[p.name + "_median_ms"] = Median(p.ms);
        state.counters[p.name + "_min_ms"] = Min(p.ms);
        state.counters[p.name + "_cpu_median_ms"] = Median(p.cpuMs);
    }
    if (programs.back().name == "mpv")
        state.counters["ratio"] = Median(programs.front().ms) / Median(programs.back().ms);
}
BENCHMARK(Startup)->Arg(15)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    g_others.assign(argv + 1, argv + argc);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
