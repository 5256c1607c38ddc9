// The per-frame cost of presenting a video frame through the image holder (copy into an empty
// holder, fitted drawing into an 880 x 495 area of a 32-bit surface, release), beside OpenCV's
// own area-averaging resize of the same frame to the same size.
#include <benchmark/benchmark.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "image/CvvImage.h"
#include "platform/windows.h"

namespace {

constexpr int kAreaWidth = 880;
constexpr int kAreaHeight = 495;

cv::Mat Frame(int width, int height) {
    cv::Mat frame(height, width, CV_8UC3);
    cv::randu(frame, cv::Scalar::all(0), cv::Scalar::all(256));
    return frame;
}

// A memory DC over a top-down 32-bit DIB section, as a window's client area would be.
struct AreaDC {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    AreaDC() {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = kAreaWidth;
        info.bmiHeader.biHeight = -kAreaHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        previous = SelectObject(dc, bitmap);
    }
    ~AreaDC() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
};

void PresentFrame(benchmark::State& state) {
    const cv::Mat frame = Frame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const IplImage header = cvIplImage(frame);
    AreaDC area;
    if (area.bitmap == nullptr) {
        state.SkipWithError("no memory DC");
        return;
    }
    RECT client{0, 0, kAreaWidth, kAreaHeight};
    for (auto _ : state) {
        CCvvImage holder;
        holder.CopyFromImage(&header, -1);
        holder.DrawFitted(area.dc, &client);
        holder.ReleaseBuffer();
    }
}

// The holder's share alone: one allocation and one conversion copy of the frame.
void CopyFrame(benchmark::State& state) {
    const cv::Mat frame = Frame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const IplImage header = cvIplImage(frame);
    for (auto _ : state) {
        CCvvImage holder;
        holder.CopyFromImage(&header, -1);
        benchmark::DoNotOptimize(holder.Image());
    }
}

void ResizeArea(benchmark::State& state) {
    const cv::Mat frame = Frame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    cv::Mat resized;
    for (auto _ : state) {
        cv::resize(frame, resized, cv::Size(kAreaWidth, kAreaHeight), 0, 0, cv::INTER_AREA);
        benchmark::DoNotOptimize(resized.data);
    }
}

} // namespace

// OpenCV resizes on several threads, so wall-clock time is what compares.
#define FRAME_SIZES(b)                                                                             \
    BENCHMARK(b)                                                                                   \
        ->Args({1920, 1080})                                                                       \
        ->Args({3840, 2160})                                                                       \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->UseRealTime()
FRAME_SIZES(PresentFrame);
FRAME_SIZES(ResizeArea);
FRAME_SIZES(CopyFrame);

BENCHMARK_MAIN();
