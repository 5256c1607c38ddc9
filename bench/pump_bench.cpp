// The frame pump against a simulated 1920 x 1080 source, presenting into an 880 x 495 video
// area on the headless backend:
//   PumpThroughput      frames presented per second by the real pump (source as fast as it
//                       can), and the resident memory before and after 10,000 frames;
//   PresentOneFrame     the time from a read returning to the frame being on the surface
//                       (one presentation of a 1920 x 1080 frame);
//   Pump60fps           a 60 fps source for 3 seconds: frames delivered against frames due.
#include <benchmark/benchmark.h>

#include <fstream>
#include <unistd.h>

#include "tests/support/dialog_harness.h"

using namespace testing_support;

namespace {

double ResidentMiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

struct Viewer {
    explicit Viewer(double fps) {
        sim->setInput(0, Named("HDMI Capture", 1920, 1080, fps));
        run = std::make_unique<DialogRun>();
        run->onUi([&] { MoveWindow(run->video(), 0, 0, 880, 495, TRUE); });
    }
    uint64_t frames() const { return sim->stats(0).framesDelivered; }
    bool waitFrames(uint64_t count) {
        return sim->waitFor(
            0, [count](auto& s) { return s.framesDelivered >= count; }, std::chrono::seconds(120));
    }
    std::shared_ptr<platform::SimulatedVideoProvider> sim = FreshPlatform();
    std::unique_ptr<DialogRun> run;
};

void PumpThroughput(benchmark::State& state) {
    Viewer viewer(0);
    viewer.waitFrames(50); // warm up
    const double before = ResidentMiB();
    uint64_t presented = 0;
    for (auto _ : state) {
        const uint64_t start = viewer.frames();
        viewer.waitFrames(start + 10000);
        presented += viewer.frames() - start;
    }
    state.counters["frames"] = static_cast<double>(presented);
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(presented), benchmark::Counter::kIsRate);
    state.counters["rss_before_MiB"] = before;
    state.counters["rss_after_MiB"] = ResidentMiB();
}
BENCHMARK(PumpThroughput)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void PresentOneFrame(benchmark::State& state) {
    Viewer viewer(0);
    viewer.run->onUi([&] { viewer.run->dialog().StopCapture(); });
    WaitUntil([&] { return viewer.run->dialog().RunningPumps() == 0; });
    cv::Mat frame(1080, 1920, CV_8UC3);
    cv::randu(frame, 0, 255);
    IplImage header = cvIplImage(frame);
    for (auto _ : state)
        viewer.run->dialog().PresentFrame(&header);
}
BENCHMARK(PresentOneFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void Pump60fps(benchmark::State& state) {
    Viewer viewer(60);
    viewer.waitFrames(10);
    double due = 0, delivered = 0;
    for (auto _ : state) {
        const uint64_t start = viewer.frames();
        const auto began = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(3));
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        delivered += static_cast<double>(viewer.frames() - start);
        due += seconds * 60;
    }
    state.counters["frames_due"] = due;
    state.counters["frames_presented"] = delivered;
    state.counters["dropped"] = std::max(0.0, due - delivered - 1);
}
BENCHMARK(Pump60fps)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
