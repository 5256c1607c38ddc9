#include "platform/notify/simulated_notifications.h"

#include <cstring>
#include <memory>

#include "platform/notify/broadcast_record.h"
#include "platform/notify/delivery.h"
#include "platform/win32/api.h"
#include "platform/win32/com.h"
#include "platform/win32/constants.h"

namespace platform::notify {

void SimulateInterfaceArrival(std::string_view name, const GUID& classGuid) {
    DeliverInterfaceEvent({DBT_DEVICEARRIVAL, std::string(name), classGuid});
}

void SimulateInterfaceRemoval(std::string_view name, const GUID& classGuid) {
    DeliverInterfaceEvent({DBT_DEVICEREMOVECOMPLETE, std::string(name), classGuid});
}

void SimulateCaptureDevicePlugged(uint16_t vendorId, uint16_t productId, std::string_view serial,
                                  std::string_view cardId) {
    SimulateInterfaceArrival(UsbInterfaceName(vendorId, productId, serial),
                             GUID_DEVINTERFACE_USB_DEVICE);
    SimulateInterfaceArrival(AudioEndpointName(cardId, AudioFlow::Capture),
                             AudioEndpointClass(AudioFlow::Capture));
}

void SimulateCaptureDeviceUnplugged(uint16_t vendorId, uint16_t productId, std::string_view serial,
                                    std::string_view cardId) {
    SimulateInterfaceRemoval(AudioEndpointName(cardId, AudioFlow::Capture),
                             AudioEndpointClass(AudioFlow::Capture));
    SimulateInterfaceRemoval(UsbInterfaceName(vendorId, productId, serial),
                             GUID_DEVINTERFACE_USB_DEVICE);
}

void SimulateResume() {
    DeliverPowerEvent(PBT_APMRESUMEAUTOMATIC);
}

void SimulateSuspend() {
    DeliverPowerEvent(PBT_APMSUSPEND);
}

std::vector<uint8_t> InterfaceRecordBytes(std::string_view name, const GUID& classGuid) {
    return InterfaceRecord(name, classGuid).bytes();
}

LRESULT SendRawDeviceChange(HWND window, WPARAM event, const void* bytes, size_t size) {
    if (!bytes)
        return SendRawDeviceChange(window, event, LPARAM(0));
    // Exactly `size` bytes, so a handler reading past them trips the address sanitizer.
    std::unique_ptr<unsigned char[]> copy(new unsigned char[size]);
    if (size)
        std::memcpy(copy.get(), bytes, size);
    return SendRawDeviceChange(window, event, reinterpret_cast<LPARAM>(copy.get()));
}

LRESULT SendRawDeviceChange(HWND window, WPARAM event, LPARAM lParam) {
    return SendMessageW(window, WM_DEVICECHANGE, event, lParam);
}

} // namespace platform::notify
