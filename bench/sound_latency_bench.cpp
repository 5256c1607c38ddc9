// The dongle's sound through a private PulseAudio server (tests/support/pulse_server.h): a
// click written into the dongle's pipe source every quarter second, timed until it shows in
// the speakers' monitor.
//   SoundLatency/<s>/<shm>  for <s> seconds, the sound carried in the server's socket (shm 0,
//                           the costlier way for the client) or in shared memory (shm 1, as
//                           on a desktop's PulseAudio): the median and 99th percentile of the
//                           time from the click's capture (a period before its write into the
//                           pipe) to its arrival in the monitor recording (which adds its own
//                           5 ms pieces: an upper bound), its drift per minute (slope of a line
//                           through all clicks), the CPU the sound thread used, in percent of
//                           one core, and how often it woke;
//   SoundBehindPicture/<ms> the same with a picture said to take <ms> ms: the sound's latency
//                           should follow it;
//   SoundStartStop          what opening and releasing the sound costs the caller (the capture's
//                           open and release), while it plays: the longest of 20 of each.
#include <benchmark/benchmark.h>

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <mutex>

#include "platform/audio/dongle_sound.h"
#include "tests/support/pulse_server.h"

using namespace testing_support;
using Clock = std::chrono::steady_clock;

namespace {

constexpr size_t kPiece = kSoundRate / 200;
// The dongle's input comes in pieces of the period the viewer asks its input for (10 ms), as a
// sound card's driver delivers them; the latency counts from the capture of a piece's first
// frame, so the period is part of it.
constexpr std::chrono::milliseconds kInputPeriod{10};

// What this process's thread named `name` used: CPU seconds (the scheduler's own count, in
// nanoseconds, not the clock ticks of /proc's stat) and wake-ups (voluntary context switches:
// each a sleep in poll() that something ended).
struct ThreadUse {
    double cpuSeconds = 0;
    double wakeUps = 0;
};
ThreadUse ThreadUsage(const std::string& name) {
    ThreadUse use;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(tasks)) {
            const std::string task = std::string("/proc/self/task/") + entry->d_name;
            std::string comm;
            std::getline(std::ifstream(task + "/comm"), comm);
            if (comm != name)
                continue;
            double runNs = 0;
            std::ifstream(task + "/schedstat") >> runNs;
            use.cpuSeconds += runNs / 1e9;
            std::ifstream status(task + "/status");
            for (std::string line; std::getline(status, line);) {
                if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
                    use.wakeUps += std::stod(line.substr(line.find(':') + 1));
            }
        }
        closedir(tasks);
    }
    return use;
}

// Reads the monitor without pause (a recording left unread delivers late) and notes, for each
// click's rising edge, its latency behind the last click written and when it came.
class ClickListener {
public:
    ClickListener(PipeFeeder& feeder, Clock::time_point start)
        : m_feeder(feeder), m_start(start), m_thread([this] { run(); }) {}
    ~ClickListener() { finish(); }
    // Ends the listening; the results are complete after it.
    void finish() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    // Latencies in ms and their times since the start in s.
    std::vector<double> latencies, times;

private:
    void run() {
        MonitorRecorder monitor("speakers.monitor");
        std::vector<int16_t> piece;
        bool high = false;
        while (!m_stop && monitor.read(piece, kPiece)) {
            const Clock::time_point now = Clock::now();
            for (size_t frame = 0; frame < kPiece; ++frame) {
                const bool was = high;
                high = piece[2 * frame] > 15000;
                if (!high || was)
                    continue;
                const auto arrived =
                    now - std::chrono::microseconds((kPiece - frame) * 1'000'000 / kSoundRate);
                latencies.push_back(
                    std::chrono::duration<double, std::milli>(arrived - m_feeder.lastClick())
                        .count());
                times.push_back(std::chrono::duration<double>(arrived - m_start).count());
            }
        }
    }

    PipeFeeder& m_feeder;
    Clock::time_point m_start;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

double Percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

void Measure(benchmark::State& state, int seconds, std::chrono::milliseconds pictureDelay,
             bool sharedMemory = false) {
    const std::vector<PulseServer::PipeSource> dongle{
        {"dongle", "device.vendor.id=3188 device.product.id=1000"}};
    PulseServer server(dongle, sharedMemory);
    if (!server.start()) {
        state.SkipWithError("pulseaudio did not start");
        return;
    }
    PipeFeeder feeder(server.pipe("dongle"), 0, kInputPeriod);
    platform::audio::DongleSound sound({"", "", "3188", "1000"});
    sound.setPictureDelay(pictureDelay);
    double estimate = 0;
    std::vector<double> latencies, times;
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::seconds(2)); // the output settles
        const ThreadUse before = ThreadUsage("vistrel-sound");
        const Clock::time_point start = Clock::now();
        {
            ClickListener listener(feeder, start);
            while (Clock::now() - start < std::chrono::seconds(seconds)) {
                feeder.click();
                std::this_thread::sleep_for(std::chrono::milliseconds(250));
                estimate = double(sound.soundLatency().count()) / 1000;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            listener.finish();
            latencies = listener.latencies;
            times = listener.times;
        }
        const ThreadUse after = ThreadUsage("vistrel-sound");
        state.counters["cpu_percent"] = 100 * (after.cpuSeconds - before.cpuSeconds) / seconds;
        state.counters["wakeups_per_s"] = (after.wakeUps - before.wakeUps) / seconds;
    }
    // Drift: the slope of the least-squares line through (time, latency), per minute.
    const double n = double(latencies.size());
    double st = 0, sl = 0, stt = 0, stl = 0;
    for (size_t i = 0; i < latencies.size(); ++i) {
        st += times[i];
        sl += latencies[i];
        stt += times[i] * times[i];
        stl += times[i] * latencies[i];
    }
    const double slope = n > 1 ? (n * stl - st * sl) / (n * stt - st * st) : 0;
    state.counters["clicks"] = n;
    state.counters["median_ms"] = Percentile(latencies, 0.5);
    state.counters["p99_ms"] = Percentile(latencies, 0.99);
    state.counters["drift_ms_per_min"] = slope * 60;
    state.counters["own_estimate_ms"] = estimate;
}

void SoundLatency(benchmark::State& state) {
    Measure(state, int(state.range(0)), std::chrono::milliseconds(0), state.range(1) != 0);
}
BENCHMARK(SoundLatency)
    ->ArgNames({"s", "shm"})
    ->Args({20, 0})
    ->Args({20, 1})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

void SoundBehindPicture(benchmark::State& state) {
    Measure(state, 10, std::chrono::milliseconds(state.range(0)));
}
BENCHMARK(SoundBehindPicture)->Arg(80)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void SoundStartStop(benchmark::State& state) {
    PulseServer server(std::vector<PulseServer::PipeSource>{
        {"dongle", "device.vendor.id=3188 device.product.id=1000"}});
    if (!server.start()) {
        state.SkipWithError("pulseaudio did not start");
        return;
    }
    PipeFeeder feeder(server.pipe("dongle"), 1000);
    double longestStart = 0, longestStop = 0;
    for (auto _ : state) {
        for (int i = 0; i < 20; ++i) {
            const Clock::time_point before = Clock::now();
            auto sound = std::make_unique<platform::audio::DongleSound>(
                platform::audio::UsbDevice{"", "", "3188", "1000"});
            const Clock::time_point started = Clock::now();
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            const Clock::time_point stopping = Clock::now();
            sound.reset();
            const Clock::time_point stopped = Clock::now();
            longestStart = std::max(
                longestStart, std::chrono::duration<double, std::milli>(started - before).count());
            longestStop = std::max(
                longestStop, std::chrono::duration<double, std::milli>(stopped - stopping).count());
        }
    }
    state.counters["start_max_ms"] = longestStart;
    state.counters["stop_max_ms"] = longestStop;
}
BENCHMARK(SoundStartStop)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
