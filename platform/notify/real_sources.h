// The host's own notification sources (udev, systemd-logind), started with the first
// registration and stopped at process exit.
#pragma once

namespace platform::notify {

// Starts the sources unless they are disabled or already running.
void StartRealSources();

} // namespace platform::notify
