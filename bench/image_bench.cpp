// The per-frame cost of presenting a video frame through the image holder (copy into an empty
// holder, fitted drawing into an 880 x 495 area of a 32-bit surface, release), beside OpenCV's
// own area-averaging resize of the same frame to the same size; and the no-signal picture's
// read and paint, decoded whole at every repaint or kept while the file is unchanged.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "image/CvvImage.h"
#include "platform/cvshim/picture_codecs.h"
#include "platform/cvshim/picture_file.h"
#include "platform/windows.h"
#include "tests/support/dialog_harness.h"

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

// The shipped picture (940 x 750), or a 9999 x 9999 JPEG of smooth colours with some noise,
// made once (about 15 s).
std::string NoSignalPicture(int64_t which) {
    if (which == 0)
        return VISTREL_SOURCE_DIR "/res/dis.jpg";
    static const std::string path = [] {
        const std::string file = testing_support::TempPath("bench-9999.jpg");
        cv::Mat picture(9999, 9999, CV_8UC3);
        for (int y = 0; y < picture.rows; ++y)
            for (int x = 0; x < picture.cols; ++x)
                picture.at<cv::Vec3b>(y, x) = cv::Vec3b(uint8_t(x / 40), uint8_t(y / 40), 128);
        cv::Mat noise(picture.size(), CV_8UC3);
        cv::randu(noise, cv::Scalar::all(0), cv::Scalar::all(24));
        picture += noise;
        const std::vector<uint8_t> bytes = platform::EncodeJpeg(picture, 85);
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
        return file;
    }();
    return path;
}

enum Read { kWhole, kScaled, kKept };

// One repaint's read: range(0) the picture (0 shipped, 1 9999 x 9999), range(1) how: the file
// read and decoded whole (as before the picture was kept), read and decoded at the DCT scale
// for the video area, or looked up in the reader's copy.
cv::Mat ReadNoSignal(const std::string& path, int64_t how) {
    const cv::Size area(kAreaWidth, kAreaHeight);
    if (how == kKept)
        return platform::ReadPictureFile(path, 1, CCvvImage::kLargestSide, area);
    std::ifstream file(path, std::ios::binary);
    const std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(file), {});
    return platform::DecodePicture(bytes.data(), bytes.size(), 1, CCvvImage::kLargestSide,
                                   how == kScaled ? area : cv::Size());
}

void NoSignalRead(benchmark::State& state) {
    const std::string path = NoSignalPicture(state.range(0));
    ReadNoSignal(path, state.range(1)); // a kept picture is read once before
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadNoSignal(path, state.range(1)).data);
}

// The read, then the holder's copy and its drawing fitted without enlarging, as a repaint does.
void NoSignalPaint(benchmark::State& state) {
    const std::string path = NoSignalPicture(state.range(0));
    AreaDC area;
    RECT client{0, 0, kAreaWidth, kAreaHeight};
    ReadNoSignal(path, state.range(1));
    for (auto _ : state) {
        const cv::Mat picture = ReadNoSignal(path, state.range(1));
        const IplImage header = cvIplImage(picture);
        CCvvImage holder;
        holder.CopyFromImage(&header, -1);
        holder.DrawFittedNoUpscale(area.dc, &client);
        holder.ReleaseBuffer();
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
#define NO_SIGNAL_READS(b)                                                                         \
    BENCHMARK(b)                                                                                   \
        ->ArgNames({"picture", "read"})                                                            \
        ->ArgsProduct({{0, 1}, {kWhole, kScaled, kKept}})                                          \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->UseRealTime()
NO_SIGNAL_READS(NoSignalRead);
NO_SIGNAL_READS(NoSignalPaint);

BENCHMARK_MAIN();
