// The USB device behind a V4L2 node, found in sysfs: what its sound input is recognised by.
#pragma once

#include <optional>
#include <string>

namespace platform::audio {

struct UsbDevice {
    // The device's sysfs folder below /sys, as udev and the sound server name it:
    // "/devices/pci0000:00/0000:00:14.0/usb1/1-4". Its functions (the video interface, the
    // sound card) are folders below it.
    std::string sysfsPath;
    // udev's path name of the device ("pci-0000:00:14.0-usb-0:4"); its interfaces add
    // ":<configuration>.<interface>". Empty when the controller is not on PCI.
    std::string busPath;
    // idVendor and idProduct: four lower-case hex digits ("3188", "1000").
    std::string vendorId;
    std::string productId;
};

// The USB device of /dev/video<index>, read below `sysRoot` ("/sys", or a copy of its shape
// for tests): the node's device folder, then up to the first folder with idVendor and
// idProduct. Nothing when the node has no device folder or the device is not on USB.
std::optional<UsbDevice> FindUsbDevice(const std::string& sysRoot, int videoIndex);

} // namespace platform::audio
