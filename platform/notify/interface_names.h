// The device-interface names Windows gives USB devices and audio endpoints, made from plain
// facts so real sources, simulations and tests all produce the same strings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/system/usb_instance.h"
#include "platform/win32/types.h"

namespace platform::notify {

enum class AudioFlow { Render, Capture };

// "{a5dcbf10-6530-11d2-901f-00c04fb951ed}": lower-case, braced, as interface names carry it.
std::string GuidText(const GUID& guid);

// A GUID that depends only on `text`, the same in every run (an ALSA card id, say).
GUID GuidFromText(std::string_view text);

// The instance part of a USB interface name, from the serial or else the port.
using platform::UsbInstanceId;

// \\?\USB#VID_3188&PID_1234#<instance>#{a5dcbf10-6530-11d2-901f-00c04fb951ed}
std::string UsbInterfaceName(uint16_t vendorId, uint16_t productId, std::string_view instance);

// \\?\SWD#MMDEVAPI#{0.0.1.00000000}.{<guid of the card id>}#{<class of the flow>}
std::string AudioEndpointName(std::string_view cardId, AudioFlow flow);

// The interface class GUID of an audio endpoint of the flow.
const GUID& AudioEndpointClass(AudioFlow flow);

} // namespace platform::notify
