// The device-interface names Windows gives USB devices and audio endpoints, made from plain
// facts so real sources, simulations and tests all produce the same strings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win32/types.h"

namespace platform::notify {

enum class AudioFlow { Render, Capture };

// "{a5dcbf10-6530-11d2-901f-00c04fb951ed}": lower-case, braced, as interface names carry it.
std::string GuidText(const GUID& guid);

// A GUID that depends only on `text`, the same in every run (an ALSA card id, say).
GUID GuidFromText(std::string_view text);

// The instance part of a USB interface name: the serial number when Windows would accept it
// (printable ASCII without ',' or '#'), otherwise an id made from the port the device sits
// on ("1-2.3"), stable for that port.
std::string UsbInstanceId(std::string_view serial, std::string_view portPath);

// \\?\USB#VID_3188&PID_1234#<instance>#{a5dcbf10-6530-11d2-901f-00c04fb951ed}
std::string UsbInterfaceName(uint16_t vendorId, uint16_t productId, std::string_view instance);

// \\?\SWD#MMDEVAPI#{0.0.1.00000000}.{<guid of the card id>}#{<class of the flow>}
std::string AudioEndpointName(std::string_view cardId, AudioFlow flow);

// The interface class GUID of an audio endpoint of the flow.
const GUID& AudioEndpointClass(AudioFlow flow);

} // namespace platform::notify
