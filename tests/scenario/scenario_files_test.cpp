// Scenario files as a user writes them, good and bad, played by the real binary on the headless
// backend: a fault in a file is a message with its line and exit status 2, never a crash; a
// few hundred mutations of the shipped scenarios end by themselves, none by a signal.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "tests/scenario/headless_viewer.h"
#include "tests/support/dialog_harness.h"

namespace {

using namespace std::chrono_literals;
using headless_viewer::Play;
using headless_viewer::ReadFile;
using headless_viewer::ViewerRun;
using testing_support::TempPath;

// Every scenario here ends itself within a second; the bound only tells a hang from a run
// slowed down by a busy machine (four viewers start at once, beside other test programs).
constexpr auto kBound = 30s;

// A bad line stops the run before it starts: the file and line on standard error, status 2.
TEST(ScenarioFiles, ABadLineEndsTheRunWithItsLineAndStatusTwo) {
    const ViewerRun run = Play("input 0 \"HDMI Capture\" pattern 320x180 30\n"
                               "at 0.2 screenshot shot\nat 0.5 close\n",
                               "bad-name", kBound);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.errors.find("bad-name.scenario: line 2:"), std::string::npos) << run.errors;
}

// A shot that cannot be written is reported and the run goes on; a frame rate of 0 means as
// fast as the input is read.
TEST(ScenarioFiles, AnUnwritableShotIsReportedAndFpsZeroRuns) {
    const std::string shot = TempPath("fps-zero.png");
    std::remove(shot.c_str());
    const ViewerRun run = Play("input 0 \"HDMI Capture\" pattern 320x180 0\n"
                               "input 1 \"Still\" image missing.png 0 unplugged\n"
                               "at 0.2 screenshot no-such-folder/shot.png\n"
                               "at 0.3 screenshot fps-zero.png\nat 0.4 close\n",
                               "fps-zero", kBound);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.errors.find("line 3: cannot write"), std::string::npos) << run.errors;
    EXPECT_TRUE(std::ifstream(shot).good());
}

// Words a mutation puts in: numbers at and past the limits, names of other keywords, names
// with and without extensions, and broken quoting.
const std::vector<std::string> kWords = [] {
    std::vector<std::string> words = {"\"", "\"\"", "\"a b\""};
    std::istringstream text(
        "0 -1 1 7 65535 99999999999 0.0 1.5. . 1e9 0x1F nan 640x360 0x0 1x99999 9999x1 99999x99999 "
        "-5x5 x pattern image video usb 3188:1234 ffff:ffff 3188 fault throws blocks after "
        "unplugged unnamed no-friendly-name screenshot log shot shot.png shot.jpg shot. / "
        "/dev/null shot.png/ # 1005 resize key escape return z close plug unplug resume at input "
        "screen description command 1002 double-click maximize");
    for (std::string word; text >> word;)
        words.push_back(word);
    return words;
}();

// One mutation of a shipped scenario: a few words replaced, dropped, repeated or swapped,
// lines swapped or dropped; all times squeezed into the first half second, and a close last.
std::string Mutate(const std::vector<std::vector<std::string>>& lines, std::mt19937& random) {
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
    std::vector<std::vector<std::string>> out = lines;
    const int edits = 1 + static_cast<int>(pick(4));
    for (int k = 0; k < edits && !out.empty(); ++k) {
        auto& line = out[pick(out.size())];
        switch (pick(7)) {
        case 0:
            if (!line.empty())
                line[pick(line.size())] = kWords[pick(kWords.size())];
            break;
        case 6: // the last word: a file name, a size, a frame rate, a key
            if (!line.empty())
                line.back() = kWords[pick(kWords.size())];
            break;
        case 1:
            if (!line.empty())
                line.erase(line.begin() + static_cast<long>(pick(line.size())));
            break;
        case 2:
            line.insert(line.begin() + static_cast<long>(pick(line.size() + 1)),
                        kWords[pick(kWords.size())]);
            break;
        case 3:
            if (line.size() > 1)
                std::swap(line[pick(line.size())], line[pick(line.size())]);
            break;
        case 4:
            std::swap(line, out[pick(out.size())]);
            break;
        default:
            out.push_back(out[pick(out.size())]);
            break;
        }
    }
    std::string text;
    for (auto& line : out) {
        for (size_t i = 0; i < line.size(); ++i) {
            std::string word = line[i];
            if (i == 1 && line[0] == "at") {
                char* end = nullptr;
                const double at = std::strtod(word.c_str(), &end);
                if (*end == '\0' && at >= 0 && at < 1000)
                    word = std::to_string(at / 20);
            }
            text += (i ? " " : "") + word;
        }
        text += '\n';
    }
    return text + "at 0.6 close\n";
}

std::vector<std::vector<std::string>> ShippedScenarioLines() {
    std::vector<std::vector<std::string>> lines;
    for (const char* name : {"demo", "hotplug"}) {
        std::istringstream text(
            ReadFile(VISTREL_SOURCE_DIR "/scenarios/" + std::string(name) + ".scenario"));
        std::string line;
        while (std::getline(text, line)) {
            if (line.empty() || line[0] == '#')
                continue;
            std::istringstream words(line);
            std::vector<std::string> split;
            for (std::string w; words >> w;)
                split.push_back(w);
            lines.push_back(split);
        }
    }
    return lines;
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kMutations = 60; // each run starts a sanitized binary
#else
constexpr int kMutations = 200;
#endif

TEST(ScenarioFiles, MutatedShippedScenariosNeverEndBySignal) {
    const auto lines = ShippedScenarioLines();
    ASSERT_FALSE(lines.empty());
    std::mt19937 random(12);
    std::vector<std::string> texts;
    for (int n = 0; n < kMutations; ++n)
        texts.push_back(Mutate(lines, random));
    // Four viewers at a time: each mostly waits for its close.
    std::vector<ViewerRun> runs(texts.size());
    std::atomic<size_t> next{0};
    auto worker = [&](int id) {
        for (size_t n; (n = next++) < texts.size();)
            runs[n] = Play(texts[n], "mutation-" + std::to_string(id), kBound);
    };
    std::vector<std::thread> workers;
    for (int id = 0; id < 4; ++id)
        workers.emplace_back(worker, id);
    for (auto& w : workers)
        w.join();
    int signals = 0, hangs = 0;
    for (size_t n = 0; n < runs.size(); ++n) {
        if (!runs[n].ended)
            ++hangs;
        if (runs[n].signal != 0)
            ++signals;
        EXPECT_TRUE(runs[n].ended && runs[n].signal == 0 &&
                    (runs[n].status == 0 || runs[n].status == 2))
            << "mutation " << n << " (signal " << runs[n].signal << ", status " << runs[n].status
            << "):\n"
            << texts[n] << runs[n].errors;
    }
    EXPECT_EQ(signals, 0);
    EXPECT_EQ(hangs, 0);
}

} // namespace
