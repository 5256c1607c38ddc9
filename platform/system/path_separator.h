// The separator between folders in the paths the system's file functions return.
#pragma once

namespace platform {

inline constexpr char kPathSeparator = '/';

} // namespace platform
