// A video source that passes everything on to another, for benchmarks that time or slow its
// reads: they override read() alone.
#pragma once

#include <memory>

#include "platform/video/video_source.h"

namespace testing_support {

class WrappedSource : public platform::VideoSource {
public:
    explicit WrappedSource(std::unique_ptr<platform::VideoSource> inner)
        : m_inner(std::move(inner)) {}
    bool read(cv::Mat& frame) override { return m_inner->read(frame); }
    void interrupt() override { m_inner->interrupt(); }
    double get(int propId) const override { return m_inner->get(propId); }
    bool set(int propId, double value) override { return m_inner->set(propId, value); }

protected:
    std::unique_ptr<platform::VideoSource> m_inner;
};

} // namespace testing_support
