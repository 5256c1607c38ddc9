// How the V4L2 device nodes become the list of video inputs, apart from the system calls so
// it can be checked without hardware.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/video/video_source.h"

namespace platform::v4l2 {

// Highest node number listed; the kernel hands out fewer video minors than this.
constexpr int kMaxVideoNodes = 256;

// The N of every "videoN" among the names of /dev entries, ascending. Other names, numbers
// with leading zeros and numbers of kMaxVideoNodes or more are not capture nodes the capture can
// open by index, and are left out.
std::vector<int> VideoNodeNumbers(const std::vector<std::string>& devEntries);

// The card name of /dev/video<n>, or nothing when that node cannot capture video.
using CardNameQuery = std::function<std::optional<std::string>(int n)>;

// The USB device a video node belongs to.
struct UsbIdentity {
    uint16_t vendor = 0;
    uint16_t product = 0;
    std::string port;   // the device's sysfs name, "1-2.3": where it is plugged in
    std::string serial; // its "serial" attribute; empty when it has none
};

// The USB device of /dev/video<n>, from sysfs under `sysRoot` ("/sys"): the nearest ancestor
// of the node's device with idVendor and idProduct. Nothing for a node that is not on USB.
std::optional<UsbIdentity> UsbIdentityOfVideoNode(const std::string& sysRoot, int n);
std::optional<UsbIdentity> SysfsUsbIdentity(int n);

using UsbIdentityQuery = std::function<std::optional<UsbIdentity>(int n)>;

// Entry i describes /dev/video<i>, for i from 0 to the highest node number, so positions match
// the capture's indices. A missing node, or one that cannot capture, gets an empty name.
// A capture node on USB gets the device path Windows would give it, with the device's serial,
// or its port when it has none, as the instance.
std::vector<VideoInputInfo> AssembleInputs(const std::vector<std::string>& devEntries,
                                           const CardNameQuery& cardName,
                                           const UsbIdentityQuery& usbIdentity = SysfsUsbIdentity);

} // namespace platform::v4l2
