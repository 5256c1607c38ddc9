// The ALSA card of a USB device, found in sysfs: what the sound is played from where no sound
// server runs.
#pragma once

#include <optional>
#include <string>

#include "platform/audio/usb_device.h"

namespace platform::audio {

// The number of the ALSA card that belongs to `device`, read below `sysRoot` ("/sys", or a copy
// of its shape for tests): the device's interface folders hold "sound/card<N>" for the USB
// Audio Class function. Only the device's own folders are looked at, so no other card (the
// computer's own, a webcam's, another dongle's) can be found. The lowest number when the device
// has several; nothing when it has none (a dongle without sound, a device that went).
std::optional<int> FindSoundCard(const std::string& sysRoot, const UsbDevice& device);

} // namespace platform::audio
