// Clicks timed from the dongle's input to the speakers' monitor, for the sound benchmarks.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/pulse_server.h"

namespace testing_support {

// What this process's threads named `name` used: CPU seconds (the scheduler's own count, in
// nanoseconds, not the clock ticks of /proc's stat) and wake-ups (voluntary context switches:
// each a sleep in poll() that something ended).
struct ThreadUse {
    double cpuSeconds = 0;
    double wakeUps = 0;
};
ThreadUse ThreadUsage(const std::string& name);

// Reads the speakers' monitor without pause (a recording left unread delivers late) and notes,
// for each click's rising edge, its latency behind the last click written and when it came.
class ClickListener {
public:
    ClickListener(PipeFeeder& feeder, std::chrono::steady_clock::time_point start);
    ~ClickListener() { finish(); }
    // Ends the listening; the results are complete after it.
    void finish();
    // Latencies in ms and their times since the start in s.
    std::vector<double> latencies, times;

private:
    void run();

    PipeFeeder& m_feeder;
    std::chrono::steady_clock::time_point m_start;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

double Percentile(std::vector<double> values, double p);

// The figures of a run of clicks; the drift is the slope of the least-squares line through
// (time, latency), per minute.
struct ClickFigures {
    double clicks = 0, medianMs = 0, p99Ms = 0, driftMsPerMin = 0;
};
ClickFigures FiguresOf(const std::vector<double>& latencies, const std::vector<double>& times);

// The longest that opening and releasing the sound took the caller, in ms, over 20 of each
// with the sound playing 300 ms between: `open` returns the sound, its reset releases it.
struct StartStop {
    double longestStartMs = 0, longestStopMs = 0;
};
template <class Open> StartStop TimeStartStop(Open open) {
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    StartStop longest;
    for (int i = 0; i < 20; ++i) {
        const Clock::time_point before = Clock::now();
        auto sound = open();
        const Clock::time_point started = Clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const Clock::time_point stopping = Clock::now();
        sound.reset();
        const Clock::time_point stopped = Clock::now();
        longest.longestStartMs = std::max(longest.longestStartMs, ms(started - before));
        longest.longestStopMs = std::max(longest.longestStopMs, ms(stopped - stopping));
    }
    return longest;
}

// Sets a benchmark's counters clicks, median_ms, p99_ms and drift_ms_per_min.
template <class State>
void ReportClicks(State& state, const std::vector<double>& latencies,
                  const std::vector<double>& times) {
    const ClickFigures figures = FiguresOf(latencies, times);
    state.counters["clicks"] = figures.clicks;
    state.counters["median_ms"] = figures.medianMs;
    state.counters["p99_ms"] = figures.p99Ms;
    state.counters["drift_ms_per_min"] = figures.driftMsPerMin;
}

} // namespace testing_support
