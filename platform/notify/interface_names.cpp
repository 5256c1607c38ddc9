#include "platform/notify/interface_names.h"

#include <cstdio>

#include "platform/win32/com.h"

namespace platform::notify {

namespace {

uint64_t Fnv1a64(std::string_view text, uint64_t hash) {
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

} // namespace

std::string GuidText(const GUID& g) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}",
                  static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                  g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

GUID GuidFromText(std::string_view text) {
    const uint64_t high = Fnv1a64(text, 0xcbf29ce484222325ULL);
    const uint64_t low = Fnv1a64(text, high ^ 0x9e3779b97f4a7c15ULL);
    GUID g{};
    g.Data1 = static_cast<uint32_t>(high >> 32);
    g.Data2 = static_cast<uint16_t>(high >> 16);
    // A name-based GUID: version 5 in Data3, the RFC 4122 variant in Data4[0].
    g.Data3 = static_cast<uint16_t>((high & 0x0fff) | 0x5000);
    for (int i = 0; i < 8; ++i)
        g.Data4[i] = static_cast<uint8_t>(low >> (56 - 8 * i));
    g.Data4[0] = static_cast<uint8_t>((g.Data4[0] & 0x3f) | 0x80);
    return g;
}

std::string UsbInterfaceName(uint16_t vendorId, uint16_t productId, std::string_view instance) {
    char head[40];
    std::snprintf(head, sizeof head, "\\\\?\\USB#VID_%04X&PID_%04X#", vendorId, productId);
    return std::string(head) + std::string(instance) + "#" + GuidText(GUID_DEVINTERFACE_USB_DEVICE);
}

std::string AudioEndpointName(std::string_view cardId, AudioFlow flow) {
    const char* endpoint = flow == AudioFlow::Capture ? "{0.0.1.00000000}" : "{0.0.0.00000000}";
    return std::string("\\\\?\\SWD#MMDEVAPI#") + endpoint + "." + GuidText(GuidFromText(cardId)) +
           "#" + GuidText(AudioEndpointClass(flow));
}

const GUID& AudioEndpointClass(AudioFlow flow) {
    return flow == AudioFlow::Capture ? GUID_DEVINTERFACE_AUDIO_CAPTURE
                                      : GUID_DEVINTERFACE_AUDIO_RENDER;
}

} // namespace platform::notify
