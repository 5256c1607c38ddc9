#include "platform/video/device_path.h"

#include <cstdio>

#include "platform/system/utf.h"

namespace platform {

std::u16string UsbVideoDevicePath(uint16_t vendorId, uint16_t productId,
                                  std::string_view instance) {
    char head[48];
    std::snprintf(head, sizeof head, "\\\\?\\usb#vid_%04x&pid_%04x#", vendorId, productId);
    return Utf8ToUtf16(std::string(head) + std::string(instance) +
                       "#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global");
}

} // namespace platform
