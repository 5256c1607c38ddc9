// The names of the system's video input devices.
#pragma once

#include <string>
#include <vector>

// Appends to `list` the name of every video input device that has one, in the system's
// enumeration order, narrowed to 8 bits (the low byte of each UTF-16 unit, at most 255
// characters, ending at the first zero byte). Returns the number of devices whose property
// store could be opened, or 0 when the enumeration cannot start.
int EnumerateVideoInputs(std::vector<std::string>& list);

// As above; `devicePaths`, when given, receives one entry per entry appended to `list`: the
// device's "DevicePath" property, narrowed the same way, or an empty string when it has none.
int EnumerateVideoInputs(std::vector<std::string>& list, std::vector<std::string>* devicePaths);
