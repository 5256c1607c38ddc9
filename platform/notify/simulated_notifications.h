// Device-interface and power notifications made up by tests and simulations. They take the
// same path as the host's real ones: queued to the user-interface thread, delivered there
// to the registered windows (interfaces) or to every top-level window (power) when that
// thread next runs its tasks (PumpUiThread in tests).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/notify/interface_names.h"
#include "platform/win32/types.h"

namespace platform::notify {

// Names are UTF-8; the delivered record carries them as UTF-16. Any thread.
void SimulateInterfaceArrival(std::string_view name, const GUID& classGuid);
void SimulateInterfaceRemoval(std::string_view name, const GUID& classGuid);

// Plugging a USB capture device in as Windows reports it: its USB interface
// (UsbInterfaceName, GUID_DEVINTERFACE_USB_DEVICE), then its audio capture endpoint
// (AudioEndpointName(cardId, Capture)). Unplugging withdraws both, endpoint first.
void SimulateCaptureDevicePlugged(uint16_t vendorId, uint16_t productId, std::string_view serial,
                                  std::string_view cardId);
void SimulateCaptureDeviceUnplugged(uint16_t vendorId, uint16_t productId, std::string_view serial,
                                    std::string_view cardId);

// WM_POWERBROADCAST with PBT_APMRESUMEAUTOMATIC / PBT_APMSUSPEND. Any thread.
void SimulateResume();
void SimulateSuspend();

// The bytes of the record a notification for `name` points to (dbcc_size of them), for
// tests that damage it on purpose.
std::vector<uint8_t> InterfaceRecordBytes(std::string_view name, const GUID& classGuid);

// Sends WM_DEVICECHANGE with `event` to `window` at once, on the calling thread, with lParam
// pointing to a copy of exactly `size` bytes (a null `bytes` sends a null lParam). Short
// records, unterminated names, wrong device types: anything goes. Returns the result.
LRESULT SendRawDeviceChange(HWND window, WPARAM event, const void* bytes, size_t size);
// As above with an arbitrary lParam.
LRESULT SendRawDeviceChange(HWND window, WPARAM event, LPARAM lParam);

} // namespace platform::notify
