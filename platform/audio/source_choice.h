// Which of the sound server's inputs is the sound of a USB device.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/audio/usb_device.h"

namespace platform::audio {

// One input of the sound server as it lists it: its name, whether it only monitors an output,
// and its properties ("sysfs.path", "device.bus_path", "device.vendor.id", ...).
struct SourceEntry {
    std::string name;
    bool monitor = false;
    std::map<std::string, std::string> properties;
};

// The name of the input that belongs to `device`, or nothing. An input belongs to it when its
// sysfs.path lies below the device's folder or its device.bus_path is the device's or one of
// its interfaces'. Only when no input says where it is does the same vendor and product id
// count, and then only when exactly one input has them: of two identical dongles neither is
// taken. A monitor of an output is never taken, nor any other input: no microphone, not the
// server's default input.
std::optional<std::string> ChooseSource(const UsbDevice& device,
                                        const std::vector<SourceEntry>& sources);

} // namespace platform::audio
