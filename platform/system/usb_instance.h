// The instance id Windows gives a USB device: the part of its interface names and device paths
// after "VID_xxxx&PID_xxxx#" that tells two devices of one model apart.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The serial number when Windows would accept it (printable ASCII without ',' or '#');
// otherwise an id made from the port the device sits on ("1-2.3", its sysfs name), in Windows'
// own form for such devices, "5&<hash of the port path>&0&<last port number>": stable for that
// port, and different for another port. The device's interface names (platform/notify) and
// the device paths of its video inputs (platform/video) both take it from here, so a viewer
// can match the two.
std::string UsbInstanceId(std::string_view serial, std::string_view portPath);

} // namespace platform
