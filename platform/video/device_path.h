// The device path Windows gives a USB video capture interface, so the enumerator can offer it
// as the "DevicePath" property.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// \\?\usb#vid_534d&pid_2109&mi_00#<instance>#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\global:
// lower-case hex, as Windows writes these paths; the GUID is the video capture category.
std::u16string UsbVideoDevicePath(uint16_t vendorId, uint16_t productId, std::string_view instance);

} // namespace platform
