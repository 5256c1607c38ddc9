// The USB identity of a device, in the form USB device interface names carry it.
#pragma once

#include <string>
#include <string_view>

// "VID_534D&PID_2109" from the first "vid_534d&pid_2109" in `text`, in either letter case (a
// device path has it in lower case, an interface name in upper case); empty when there is none.
std::u16string UsbIdentityIn(std::u16string_view text);
