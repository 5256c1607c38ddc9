// The host's own notification sources (udev, systemd-logind), started with the first
// registration and stopped at process exit.
#pragma once

namespace platform::notify {

// Starts the sources unless they are disabled or already running.
void StartRealSources();

// On by default unless the environment has VISTREL_REAL_NOTIFICATIONS=0. Turning them off
// stops running ones; turning them on starts them if some window is registered.
void SetRealNotificationSourcesEnabled(bool enabled);
bool RealNotificationSourcesRunning();

} // namespace platform::notify
