// The CPU time of this process's threads of one name, for the benchmarks.
#pragma once

#include <string>

namespace testing_support {

// CPU seconds (user and system) of this process's threads named `name` ("vistrel-alsa").
double ThreadCpuSeconds(const std::string& name);

} // namespace testing_support
