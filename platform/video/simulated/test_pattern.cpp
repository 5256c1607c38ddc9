// The test pattern, drawn in place: a buffer that shows an earlier frame gets only the columns
// where the bars moved and the box's old and new squares written again.
//
// A frame is a Mat over one of the pattern's buffers, counted the way OpenCV counts its own
// Mats. When the last Mat over it is released, on whichever thread, OpenCV hands it to
// BufferReturn, which puts the buffer back on its pattern's free list under a lock: the
// reader's last use of a frame happens before the pattern draws into that buffer again, in a
// way ThreadSanitizer sees too (OpenCV's own counting is not instrumented).
#include "platform/video/simulated/test_pattern.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace platform {

namespace {

constexpr int kChannels = 3;
// Free buffers kept for the next frames; a reader seldom holds more than one frame.
constexpr size_t kKeptBuffers = 3;

// Where the moving parts of one frame are.
struct PatternState {
    int shift = 0; // the bars' offset to the right, in pixels
    cv::Rect box;
};

struct FreeBuffers;

// One frame's pixels and what they show.
struct Buffer {
    cv::Mat pixels;
    PatternState state;
    bool drawn = false;
    std::shared_ptr<FreeBuffers> home; // set while a frame over it is out, to come back to
};

struct FreeBuffers {
    std::mutex mutex;
    std::vector<std::unique_ptr<Buffer>> buffers;
};

// Called by OpenCV when the last Mat over a buffer is released; it makes no Mats itself.
class BufferReturn : public cv::MatAllocator {
public:
    cv::UMatData* allocate(int, const int*, int, void*, size_t*, cv::AccessFlag,
                           cv::UMatUsageFlags) const override {
        return nullptr;
    }
    bool allocate(cv::UMatData*, cv::AccessFlag, cv::UMatUsageFlags) const override {
        return false;
    }
    void deallocate(cv::UMatData* u) const override {
        std::unique_ptr<Buffer> buffer(static_cast<Buffer*>(u->userdata));
        delete u;
        // When the pattern is gone, this is the last reference to its free list, which goes
        // (with this buffer) at the end of this call.
        const std::shared_ptr<FreeBuffers> home = std::move(buffer->home);
        std::lock_guard lock(home->mutex);
        if (home->buffers.size() < kKeptBuffers)
            home->buffers.push_back(std::move(buffer));
    }
};

const BufferReturn& Return() {
    static const BufferReturn* const instance = new BufferReturn; // outlives every frame
    return *instance;
}

// A frame over the buffer's pixels that owns the buffer until its last Mat is released.
cv::Mat FrameOver(std::unique_ptr<Buffer> buffer) {
    const cv::Mat& pixels = buffer->pixels;
    cv::Mat frame(pixels.size(), pixels.type(), pixels.data);
    auto* u = new cv::UMatData(&Return());
    u->data = u->origdata = pixels.data;
    u->size = pixels.total() * pixels.elemSize();
    u->refcount = 1;
    u->userdata = buffer.release();
    frame.u = u;
    return frame;
}

class TestPattern : public FrameProducer {
public:
    explicit TestPattern(cv::Size size)
        : m_size(size), m_box(std::max(1, std::min(size.width, size.height) / 8)),
          m_bars(size_t(2) * size.width * kChannels) {
        static const cv::Vec3b colours[] = {{255, 255, 255}, {0, 255, 255}, {255, 255, 0},
                                            {0, 255, 0},     {255, 0, 255}, {0, 0, 255},
                                            {255, 0, 0},     {0, 0, 0}};
        constexpr int count = static_cast<int>(std::size(colours));
        // The unshifted row twice over: the row shifted right by s starts at pixel width - s.
        const int width = size.width;
        for (int bar = 0; bar < count; ++bar) {
            const int64_t begin = int64_t(bar) * width / count;
            const int64_t end = int64_t(bar + 1) * width / count;
            for (int64_t x = begin; x < end; ++x)
                for (int64_t copy : {x, x + width})
                    std::memcpy(&m_bars[size_t(copy) * kChannels], colours[bar].val, kChannels);
        }
    }

    bool next(cv::Mat& frame) override {
        const PatternState now = stateOf(m_frame++);
        std::unique_ptr<Buffer> buffer;
        {
            std::lock_guard lock(m_free->mutex);
            if (!m_free->buffers.empty()) {
                buffer = std::move(m_free->buffers.back());
                m_free->buffers.pop_back();
            }
        }
        if (!buffer) {
            buffer = std::make_unique<Buffer>();
            buffer->pixels.create(m_size, CV_8UC3);
        }
        if (buffer->drawn)
            drawChanges(buffer->pixels, buffer->state, now);
        else
            drawWhole(buffer->pixels, now);
        buffer->state = now;
        buffer->drawn = true;
        buffer->home = m_free;
        frame = FrameOver(std::move(buffer));
        return true;
    }

private:
    PatternState stateOf(uint64_t index) const {
        PatternState s;
        s.shift = static_cast<int>((index * 4) % m_size.width);
        const int travel = std::max(1, std::min(m_size.width, m_size.height) - m_box);
        const int pos = static_cast<int>((index * 3) % (2 * travel));
        const int offset = pos < travel ? pos : 2 * travel - pos;
        s.box = cv::Rect(std::min(offset, m_size.width - m_box),
                         std::min(offset, m_size.height - m_box), m_box, m_box);
        return s;
    }

    const uint8_t* barsRow(int shift) const {
        return &m_bars[size_t(m_size.width - shift) * kChannels];
    }

    void drawWhole(cv::Mat& pixels, const PatternState& s) const {
        const uint8_t* row = barsRow(s.shift);
        const size_t bytes = size_t(m_size.width) * kChannels;
        for (int y = 0; y < m_size.height; ++y)
            std::memcpy(pixels.ptr(y), row, bytes);
        pixels(s.box).setTo(cv::Scalar(255, 255, 255));
    }

    // From a buffer showing `was` to `now`: the columns whose bar colour changed, in every row;
    // then the old box's square as bars again, then the new box.
    void drawChanges(cv::Mat& pixels, const PatternState& was, const PatternState& now) {
        const uint8_t* row = barsRow(now.shift);
        if (was.shift != now.shift) {
            const uint8_t* old = barsRow(was.shift);
            m_runs.clear();
            for (int x = 0; x < m_size.width;) {
                if (std::memcmp(old + x * kChannels, row + x * kChannels, kChannels) == 0) {
                    ++x;
                    continue;
                }
                const int begin = x;
                while (x < m_size.width &&
                       std::memcmp(old + x * kChannels, row + x * kChannels, kChannels) != 0)
                    ++x;
                m_runs.emplace_back(begin, x);
            }
            for (int y = 0; y < m_size.height; ++y) {
                uint8_t* out = pixels.ptr(y);
                for (const auto& [begin, end] : m_runs)
                    std::memcpy(out + begin * kChannels, row + begin * kChannels,
                                size_t(end - begin) * kChannels);
            }
        }
        const size_t boxBytes = size_t(was.box.width) * kChannels;
        for (int y = was.box.y; y < was.box.y + was.box.height; ++y)
            std::memcpy(pixels.ptr(y) + was.box.x * kChannels, row + was.box.x * kChannels,
                        boxBytes);
        pixels(now.box).setTo(cv::Scalar(255, 255, 255));
    }

    cv::Size m_size;
    int m_box;
    std::vector<uint8_t> m_bars;
    std::shared_ptr<FreeBuffers> m_free = std::make_shared<FreeBuffers>();
    std::vector<std::pair<int, int>> m_runs; // columns [begin, end) that differ
    uint64_t m_frame = 0;
};

} // namespace

std::unique_ptr<FrameProducer> MakeTestPattern(cv::Size size) {
    return std::make_unique<TestPattern>(size);
}

} // namespace platform
