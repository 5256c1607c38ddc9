// The USB identity and instance of a device, in the form USB device interface names carry them.
#pragma once

#include <string>
#include <string_view>

// "VID_534D&PID_2109" from the first "vid_534d&pid_2109" in `text`, in either letter case (a
// device path has it in lower case, an interface name in upper case); empty when there is none.
std::u16string UsbIdentityIn(std::u16string_view text);

// The instance of the USB device named in `text`, between the '#' after its identity and the
// next '#': "HDMI0001" from "\\?\USB#VID_3188&PID_1234#HDMI0001#{...}" and from
// "\\?\usb#vid_3188&pid_1234#hdmi0001#{...}\global", in upper case, as Windows compares
// instance ids without regard to case. Empty when there is none, and for the path of one
// interface of a composite device ("...&pid_2109&mi_00#6&1a2b&0&0000#..."), whose instance
// Windows makes for the interface and which is not its USB device's.
std::u16string UsbInstanceIn(std::u16string_view text);

// Both name one USB device: the same identity and the same instance, neither empty.
bool SameUsbDevice(std::u16string_view a, std::u16string_view b);
