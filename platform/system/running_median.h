// The median of the last few values of a figure that swings: one far-off value moves it by
// nothing, a lasting change shows within half the window.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>

namespace platform {

template <size_t kValues> class RunningMedian {
public:
    void add(double value) {
        m_values[m_next] = value;
        m_next = (m_next + 1) % kValues;
        m_count = std::min(m_count + 1, kValues);
    }
    // Nothing until `atLeast` values were added.
    std::optional<double> median(size_t atLeast = 1) const {
        if (m_count == 0 || m_count < atLeast)
            return std::nullopt;
        std::array<double, kValues> sorted = m_values;
        const auto middle = sorted.begin() + m_count / 2;
        std::nth_element(sorted.begin(), middle, sorted.begin() + m_count);
        return *middle;
    }
    void clear() { m_count = m_next = 0; }

private:
    std::array<double, kValues> m_values{};
    size_t m_count = 0; // added so far, up to kValues
    size_t m_next = 0;  // where the next one goes
};

} // namespace platform
