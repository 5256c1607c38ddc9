// The video viewer's per-frame drawing: a 1920 x 1080 24-bit top-down frame stretched in
// HALFTONE into an 880 x 495 area of a 32-bit surface, against OpenCV's bare INTER_AREA
// resize of the same frame to the same size and a plain copy of the frame.
//
// Fairness: the same frame for all; the resize writes into a preallocated Mat, as the GDI
// path writes into its warm scratch; each benchmark is run at OpenCV's default thread count
// (both use OpenCV's parallel resize) and again with OpenCV limited to one thread.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "platform/windows.h"

namespace {

constexpr int kFrameWidth = 1920, kFrameHeight = 1080;
constexpr int kAreaWidth = 880, kAreaHeight = 495;

const cv::Mat& Frame() {
    static const cv::Mat frame = [] {
        cv::Mat m(kFrameHeight, kFrameWidth, CV_8UC3);
        cv::randu(m, cv::Scalar::all(0), cv::Scalar::all(256));
        return m;
    }();
    return frame;
}

// OpenCV's thread count for the run: argument 0 keeps the default, 1 limits it to one.
class CvThreads {
public:
    explicit CvThreads(int64_t arg) : m_saved(cv::getNumThreads()) {
        if (arg == 1)
            cv::setNumThreads(1);
    }
    ~CvThreads() { cv::setNumThreads(m_saved); }

private:
    int m_saved;
};

void BM_StretchDIBitsHalftone(benchmark::State& state) {
    CvThreads threads(state.range(0));
    // The video area sits inside a larger window surface, as in the viewer.
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO surfaceInfo{};
    surfaceInfo.bmiHeader = {40, 1024, -640, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* surfaceBits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &surfaceInfo, DIB_RGB_COLORS, &surfaceBits, nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    SetStretchBltMode(dc, HALFTONE);

    BITMAPINFO frameInfo{};
    frameInfo.bmiHeader = {40, kFrameWidth, -kFrameHeight, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const cv::Mat& frame = Frame();
    for (auto _ : state) {
        const int lines =
            StretchDIBits(dc, 72, 60, kAreaWidth, kAreaHeight, 0, 0, kFrameWidth, kFrameHeight,
                          frame.data, &frameInfo, DIB_RGB_COLORS, SRCCOPY);
        benchmark::DoNotOptimize(lines);
        benchmark::ClobberMemory();
    }
    state.counters["cv_threads"] = cv::getNumThreads();
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

void BM_ResizeArea(benchmark::State& state) {
    CvThreads threads(state.range(0));
    const cv::Mat& frame = Frame();
    cv::Mat out(kAreaHeight, kAreaWidth, CV_8UC3);
    for (auto _ : state) {
        cv::resize(frame, out, out.size(), 0, 0, cv::INTER_AREA);
        benchmark::DoNotOptimize(out.data);
        benchmark::ClobberMemory();
    }
    state.counters["cv_threads"] = cv::getNumThreads();
}

void BM_MemcpyFrame(benchmark::State& state) {
    const cv::Mat& frame = Frame();
    std::vector<uint8_t> copy(frame.total() * frame.elemSize());
    for (auto _ : state) {
        std::memcpy(copy.data(), frame.data, copy.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_StretchDIBitsHalftone)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResizeArea)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyFrame)->Unit(benchmark::kMillisecond);

// Prints the ratios of the GDI path to the bare resize and to the copy after the run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                m_real[run.benchmark_name()].push_back(run.GetAdjustedRealTime());
                m_cpu[run.benchmark_name()].push_back(run.GetAdjustedCPUTime());
            }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const double copy = real("BM_MemcpyFrame");
        std::printf("\nOpenCV default threads: %d\n", cv::getNumThreads());
        for (const char* arg : {"0", "1"}) {
            const double gdi = real(std::string("BM_StretchDIBitsHalftone/") + arg);
            const double resize = real(std::string("BM_ResizeArea/") + arg);
            if (gdi > 0 && resize > 0 && copy > 0)
                std::printf("%s: StretchDIBits / resize = %.3f, StretchDIBits / memcpy = %.2f, "
                            "resize / memcpy = %.2f\n",
                            arg[0] == '0' ? "default threads" : "one thread", gdi / resize,
                            gdi / copy, resize / copy);
        }
        // With one thread all work is on the timed thread, so CPU time is the work itself,
        // unaffected by other load on the machine.
        const double gdiCpu = cpu("BM_StretchDIBitsHalftone/1");
        const double resizeCpu = cpu("BM_ResizeArea/1");
        if (gdiCpu > 0 && resizeCpu > 0)
            std::printf("one thread, CPU time: StretchDIBits / resize = %.3f\n",
                        gdiCpu / resizeCpu);
    }

private:
    // Medians over repetitions (--benchmark_repetitions), so a burst of load on a shared
    // machine does not decide the ratios.
    static double Median(std::vector<double> values) {
        if (values.empty())
            return 0;
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    }
    double real(const std::string& name) { return Median(m_real[name]); }
    double cpu(const std::string& name) { return Median(m_cpu[name]); }

    std::map<std::string, std::vector<double>> m_real, m_cpu;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
