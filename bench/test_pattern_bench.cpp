// What the simulated test pattern costs per 1920 x 1080 frame, beside a copy of such a frame
// (what drawing each frame whole would cost at least):
//   Pattern/released  the reader lets go of each frame before the next (the frame pump);
//   Pattern/held      the reader keeps every frame, so each is drawn whole into new memory;
//   CopyFrame         memcpy of one frame.
// One core, alternated, several rounds:
//   taskset -c 1 build-rel/bench/test_pattern_bench --benchmark_repetitions=5
//     --benchmark_enable_random_interleaving=true
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <deque>

#include "platform/video/simulated/test_pattern.h"

namespace {

const cv::Size kFrame(1920, 1080);

void Pattern(benchmark::State& state) {
    const bool held = state.range(0) != 0;
    auto pattern = platform::MakeTestPattern(kFrame);
    std::deque<cv::Mat> kept;
    for (auto _ : state) {
        cv::Mat frame;
        pattern->next(frame);
        benchmark::DoNotOptimize(frame.data);
        if (held) {
            kept.push_back(frame);
            if (kept.size() > 4) // enough to use up the pattern's own buffers
                kept.pop_front();
        }
    }
}
BENCHMARK(Pattern)->ArgName("held")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void CopyFrame(benchmark::State& state) {
    cv::Mat from(kFrame, CV_8UC3, cv::Scalar(1, 2, 3)), to(kFrame, CV_8UC3);
    for (auto _ : state) {
        std::memcpy(to.data, from.data, from.total() * from.elemSize());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(CopyFrame)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
