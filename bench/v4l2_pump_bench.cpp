// The viewer's frame pump reading through OpenCV's real V4L2 backend from the test dongle
// (1920x1080 MJPG at 60 fps), presenting into an 880 x 495 video area on the headless
// backend, for 2, 3 and 4 driver buffers (counters b<N>_...), 3 s rounds:
//   delivered_fps / presented_fps  frames read and drawn per second;
//   dropped         frames the device had no free buffer for;
//   read_cpu_ms     CPU time per frame in the read (dequeue and JPEG decode);
//   present_cpu_ms  CPU time per frame in the presentation (holder copy and drawing);
//   latency_*_ms    from a frame's capture timestamp to its pixels on the window surface
//                   (the pump's next read begins right after the presentation returns).
// HolderCopyAndDraw splits one presentation into the holder's copy and the fitted drawing.
// Run pinned to one core: taskset -c 1 build-rel/bench/v4l2_pump_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <map>
#include <mutex>

#include "dongle.h"
#include "image/CvvImage.h"
#include "platform/video/v4l2/v4l2_source.h"
#include "tests/support/dialog_harness.h"

using namespace testing_support;

namespace {

double ThreadCpuMs() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double MonotonicMs() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Times the pump's reads and what it does between them, frame by frame.
struct Timings {
    std::mutex mutex;
    std::vector<double> readCpu, presentCpu, latency;
    void clear() {
        std::lock_guard lock(mutex);
        readCpu.clear(), presentCpu.clear(), latency.clear();
    }
};

class TimedSource : public platform::VideoSource {
public:
    TimedSource(std::unique_ptr<platform::VideoSource> inner, Timings& timings)
        : m_inner(std::move(inner)), m_timings(timings) {}
    bool read(cv::Mat& frame) override {
        const double entered = MonotonicMs(), enteredCpu = ThreadCpuMs();
        if (m_captured > 0) { // the previous frame is on the surface now
            std::lock_guard lock(m_timings.mutex);
            m_timings.latency.push_back(entered - m_captured);
            m_timings.presentCpu.push_back(enteredCpu - m_returnedCpu);
        }
        const bool ok = m_inner->read(frame);
        m_returnedCpu = ThreadCpuMs();
        m_captured = ok ? m_inner->get(platform::kCapPropPosMsec) : 0;
        if (ok) {
            std::lock_guard lock(m_timings.mutex);
            // The wait for the frame is no CPU time; the dequeue and the decode are.
            m_timings.readCpu.push_back(m_returnedCpu - enteredCpu);
        }
        return ok;
    }
    void interrupt() override { m_inner->interrupt(); }

private:
    std::unique_ptr<platform::VideoSource> m_inner;
    Timings& m_timings;
    double m_captured = 0, m_returnedCpu = 0;
};

class TimedProvider : public platform::VideoSourceProvider {
public:
    TimedProvider(int buffers, Timings& timings)
        : m_inner(platform::v4l2::CreateProvider(buffers)), m_timings(timings) {}
    std::vector<platform::VideoInputInfo> listInputs() override { return m_inner->listInputs(); }
    std::unique_ptr<platform::VideoSource> open(int index) override {
        auto source = m_inner->open(index);
        return source ? std::make_unique<TimedSource>(std::move(source), m_timings) : nullptr;
    }

private:
    std::shared_ptr<platform::VideoSourceProvider> m_inner;
    Timings& m_timings;
};

constexpr const char* kHdmiDongle = "MJPG 1920x1080 60 30; MJPG 1280x720 60 30;"
                                    "YUYV 640x480 30; YUYV 1920x1080 5";

double Percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * v.size()))];
}

double Mean(const std::vector<double>& v) {
    double sum = 0;
    for (double x : v)
        sum += x;
    return v.empty() ? 0 : sum / v.size();
}

struct Round {
    double deliveredFps, presentedFps, dropped, readCpuMs, presentCpuMs, medianMs, p99Ms;
};

// The viewer with `buffers` driver buffers, streaming for `seconds`.
Round RunViewer(int buffers, double seconds) {
    FreshPlatform();
    dongle::Configure(kHdmiDongle);
    Timings timings;
    platform::SetVideoSourceProvider(std::make_shared<TimedProvider>(buffers, timings));
    Round round{};
    {
        DialogRun run;
        run.onUi([&] { MoveWindow(run.video(), 0, 0, 880, 495, TRUE); });
        WaitUntil([&] { return dongle::GetStats().framesProduced > 30; }, std::chrono::seconds(20));
        timings.clear();
        const dongle::Stats before = dongle::GetStats();
        const double start = MonotonicMs();
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        const double elapsed = (MonotonicMs() - start) / 1e3;
        const dongle::Stats after = dongle::GetStats();
        {
            // Not held while the dialog closes: its pump takes this lock after each read.
            std::lock_guard lock(timings.mutex);
            round = {timings.readCpu.size() / elapsed,
                     timings.presentCpu.size() / elapsed,
                     double(after.framesDropped - before.framesDropped),
                     Mean(timings.readCpu),
                     Mean(timings.presentCpu),
                     Percentile(timings.latency, 0.5),
                     Percentile(timings.latency, 0.99)};
        }
        run.close();
    }
    platform::SetVideoSourceProvider(nullptr);
    return round;
}

// Rounds alternate between the buffer counts, so a busy moment of the machine does not fall
// on one count only; each count reports its best round (the lowest median latency) and the
// frames dropped over all its rounds.
void PumpAt60Fps(benchmark::State& state) {
    cv::setNumThreads(1);
    constexpr int kRounds = 3;
    constexpr int kCounts[] = {2, 3, 4};
    std::map<int, std::vector<Round>> rounds;
    for (auto _ : state)
        for (int r = 0; r < kRounds; ++r)
            for (int buffers : kCounts)
                rounds[buffers].push_back(RunViewer(buffers, 3.0));
    for (auto& [buffers, list] : rounds) {
        const Round best = *std::min_element(
            list.begin(), list.end(), [](auto& a, auto& b) { return a.medianMs < b.medianMs; });
        double dropped = 0;
        for (const Round& r : list)
            dropped += r.dropped;
        const std::string b = "b" + std::to_string(buffers) + "_";
        state.counters[b + "delivered_fps"] = best.deliveredFps;
        state.counters[b + "presented_fps"] = best.presentedFps;
        state.counters[b + "dropped_all_rounds"] = dropped;
        state.counters[b + "read_cpu_ms"] = best.readCpuMs;
        state.counters[b + "present_cpu_ms"] = best.presentCpuMs;
        state.counters[b + "latency_median_ms"] = best.medianMs;
        state.counters[b + "latency_p99_ms"] = best.p99Ms;
    }
}
BENCHMARK(PumpAt60Fps)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// One presentation of a 1920 x 1080 frame split in its two parts.
void HolderCopyAndDraw(benchmark::State& state) {
    cv::setNumThreads(1);
    FreshPlatform();
    DialogRun run;
    run.onUi([&] { MoveWindow(run.video(), 0, 0, 880, 495, TRUE); });
    cv::Mat frame(1080, 1920, CV_8UC3);
    cv::randu(frame, 0, 255);
    IplImage header = cvIplImage(frame);
    HWND video = run.video();
    RECT area{0, 0, 880, 495};
    double copyMs = 0, drawMs = 0;
    for (auto _ : state) {
        HDC dc = GetDC(video);
        CCvvImage holder;
        const double t0 = ThreadCpuMs();
        holder.CopyFromImage(&header, -1);
        const double t1 = ThreadCpuMs();
        holder.DrawFitted(dc, &area);
        const double t2 = ThreadCpuMs();
        ReleaseDC(video, dc);
        holder.ReleaseBuffer();
        copyMs += t1 - t0, drawMs += t2 - t1;
    }
    state.counters["copy_cpu_ms"] = copyMs / state.iterations();
    state.counters["draw_cpu_ms"] = drawMs / state.iterations();
}
BENCHMARK(HolderCopyAndDraw)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
