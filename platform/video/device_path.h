// The device path Windows gives a USB video capture device, so the enumerator can offer it as
// the "DevicePath" property.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// \\?\usb#vid_3188&pid_1234#<instance>#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\global:
// lower-case hex, as Windows writes these paths; the GUID is the video capture category. The
// instance is the USB device's own (UsbInstanceId: its serial, else its port), the one its
// USB interface names carry, so a removal can be matched with the input it takes away.
std::u16string UsbVideoDevicePath(uint16_t vendorId, uint16_t productId, std::string_view instance);

} // namespace platform
