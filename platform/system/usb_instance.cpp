#include "platform/system/usb_instance.h"

#include <cstdint>
#include <cstdio>

namespace platform {

namespace {

bool AcceptableSerial(std::string_view serial) {
    if (serial.empty())
        return false;
    for (unsigned char c : serial)
        if (c <= 0x20 || c >= 0x7f || c == ',' || c == '#')
            return false;
    return true;
}

uint32_t Fnv1a32(std::string_view text) {
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    return static_cast<uint32_t>(hash);
}

} // namespace

std::string UsbInstanceId(std::string_view serial, std::string_view portPath) {
    if (AcceptableSerial(serial))
        return std::string(serial);
    // The number of the port on its hub: what follows the last '-' or '.'.
    std::string_view port = portPath;
    if (const size_t last = port.find_last_of(".-"); last != std::string_view::npos)
        port.remove_prefix(last + 1);
    constexpr size_t kLongestPort = 16;
    const std::string number(port.empty() ? std::string_view("0") : port.substr(0, kLongestPort));
    char text[64];
    std::snprintf(text, sizeof text, "5&%x&0&%s", static_cast<unsigned>(Fnv1a32(portPath)),
                  number.c_str());
    return text;
}

} // namespace platform
