// The video viewer's per-frame drawing: a 24-bit top-down frame stretched in HALFTONE into an
// area of a 32-bit surface, beside OpenCV's resize of the same frame to the same size
// (INTER_AREA, the same picture; INTER_LINEAR, the cheap one) and a plain copy of the frame.
// Two sizes: 1920 x 1080 into 880 x 495 and 3840 x 2160 into 1920 x 1080.
//
// Fairness: one thread (OpenCV limited to one), the same frame for all, resizes into a
// preallocated Mat. The paths are run alternately, round after round, and each path's
// minimum over the rounds is reported with its ratio to INTER_AREA, so that load from others
// on a shared machine does not decide the result. Run it pinned: taskset -c 1 gdi_bench.
#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "platform/windows.h"

namespace {

constexpr int kRounds = 7;

struct Size {
    const char* name;
    int width, height, areaWidth, areaHeight;
};
constexpr Size kSizes[] = {{"1080p", 1920, 1080, 880, 495}, {"2160p", 3840, 2160, 1920, 1080}};

const cv::Mat& Frame(const Size& size) {
    static std::map<int, cv::Mat> frames;
    cv::Mat& frame = frames[size.width];
    if (frame.empty()) {
        frame.create(size.height, size.width, CV_8UC3);
        cv::randu(frame, cv::Scalar::all(0), cv::Scalar::all(256));
    }
    return frame;
}

void Halftone(benchmark::State& state, Size size) {
    // The video area sits inside a larger window surface, as in the viewer.
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO surfaceInfo{};
    surfaceInfo.bmiHeader = {
        40, size.areaWidth + 144, -(size.areaHeight + 145), 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* surfaceBits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &surfaceInfo, DIB_RGB_COLORS, &surfaceBits, nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    SetStretchBltMode(dc, HALFTONE);

    BITMAPINFO frameInfo{};
    frameInfo.bmiHeader = {40, size.width, -size.height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const cv::Mat& frame = Frame(size);
    for (auto _ : state) {
        const int lines =
            StretchDIBits(dc, 72, 60, size.areaWidth, size.areaHeight, 0, 0, size.width,
                          size.height, frame.data, &frameInfo, DIB_RGB_COLORS, SRCCOPY);
        benchmark::DoNotOptimize(lines);
        benchmark::ClobberMemory();
    }
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

void Resize(benchmark::State& state, Size size, int interpolation) {
    const cv::Mat& frame = Frame(size);
    cv::Mat out(size.areaHeight, size.areaWidth, CV_8UC3);
    for (auto _ : state) {
        cv::resize(frame, out, out.size(), 0, 0, interpolation);
        benchmark::DoNotOptimize(out.data);
        benchmark::ClobberMemory();
    }
}

void Memcpy(benchmark::State& state, Size size) {
    const cv::Mat& frame = Frame(size);
    std::vector<uint8_t> copy(frame.total() * frame.elemSize());
    for (auto _ : state) {
        std::memcpy(copy.data(), frame.data, copy.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
}

const char* const kPaths[] = {"halftone", "inter_area", "inter_linear", "memcpy"};

void Register() {
    for (int round = 0; round < kRounds; ++round)
        for (const Size& size : kSizes) {
            const std::string prefix = std::string(size.name) + "/";
            const std::string suffix = "/round:" + std::to_string(round);
            for (auto* b : {benchmark::RegisterBenchmark((prefix + kPaths[0] + suffix).c_str(),
                                                         Halftone, size),
                            benchmark::RegisterBenchmark((prefix + kPaths[1] + suffix).c_str(),
                                                         Resize, size, cv::INTER_AREA),
                            benchmark::RegisterBenchmark((prefix + kPaths[2] + suffix).c_str(),
                                                         Resize, size, cv::INTER_LINEAR),
                            benchmark::RegisterBenchmark((prefix + kPaths[3] + suffix).c_str(),
                                                         Memcpy, size)})
                b->Unit(benchmark::kMillisecond)->MinTime(0.1);
        }
}

// After the run: each path's minimum over the rounds, and its ratio to INTER_AREA.
class MinimumReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                const std::string name = run.benchmark_name();
                const std::string path = name.substr(0, name.find("/round:"));
                Keep(m_real, path, run.GetAdjustedRealTime());
                Keep(m_cpu, path, run.GetAdjustedCPUTime());
            }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        // CPU time leaves out the time the thread waited for the core, which others on a
        // shared machine take; real time is printed beside it.
        std::printf("\nMinimum of %d rounds, one thread (OpenCV threads: %d), ms of CPU time "
                    "(real time)\n",
                    kRounds, cv::getNumThreads());
        for (const Size& size : kSizes) {
            const std::string prefix = std::string(size.name) + "/";
            const double area = m_cpu[prefix + "inter_area"];
            std::printf("%dx%d to %dx%d:\n", size.width, size.height, size.areaWidth,
                        size.areaHeight);
            for (const char* path : kPaths) {
                const double cpu = m_cpu[prefix + path];
                std::printf("  %-13s %7.3f (%7.3f)  %6.3f of INTER_AREA\n", path, cpu,
                            m_real[prefix + path], area > 0 ? cpu / area : 0.0);
            }
        }
    }

private:
    static void Keep(std::map<std::string, double>& minimum, const std::string& path, double ms) {
        auto [it, fresh] = minimum.emplace(path, ms);
        if (!fresh)
            it->second = std::min(it->second, ms);
    }
    std::map<std::string, double> m_real, m_cpu;
};

} // namespace

int main(int argc, char** argv) {
    cv::setNumThreads(1);
    cv::setRNGSeed(1);
    Register();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    MinimumReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
