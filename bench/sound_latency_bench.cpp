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

#include <algorithm>

#include "platform/audio/dongle_sound.h"
#include "tests/support/pulse_server.h"
#include "tests/support/sound_clicks.h"

using namespace testing_support;
using Clock = std::chrono::steady_clock;

namespace {

// The dongle's input comes in pieces of the period the viewer asks its input for (10 ms), as a
// sound card's driver delivers them; the latency counts from the capture of a piece's first
// frame, so the period is part of it.
constexpr std::chrono::milliseconds kInputPeriod{10};

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
    ReportClicks(state, latencies, times);
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
    StartStop longest;
    for (auto _ : state)
        longest = TimeStartStop([&] {
            return std::make_unique<platform::audio::DongleSound>(
                platform::audio::UsbDevice{"", "", "3188", "1000"});
        });
    state.counters["start_max_ms"] = longest.longestStartMs;
    state.counters["stop_max_ms"] = longest.longestStopMs;
}
BENCHMARK(SoundStartStop)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
