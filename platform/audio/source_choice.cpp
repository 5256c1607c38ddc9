// Matching the server's inputs to a USB device: by place first, by identity second.
#include "platform/audio/source_choice.h"

#include <algorithm>
#include <cctype>

namespace platform::audio {

namespace {

std::string Property(const SourceEntry& source, const char* key) {
    const auto it = source.properties.find(key);
    return it == source.properties.end() ? std::string() : it->second;
}

// `path` is `base` itself or lies below it, the next character being `separator`.
bool IsAtOrBelow(const std::string& path, const std::string& base, char separator) {
    if (base.empty() || path.rfind(base, 0) != 0)
        return false;
    return path.size() == base.size() || path[base.size()] == separator;
}

bool SameId(std::string a, const std::string& b) {
    return !a.empty() && a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool SaysWhere(const SourceEntry& source) {
    return !Property(source, "sysfs.path").empty() || !Property(source, "device.bus_path").empty();
}

bool IsAt(const SourceEntry& source, const UsbDevice& device) {
    // An interface's bus path adds ":1.2" to its device's; a sound card's sysfs folder is
    // a few folders below the device's.
    return IsAtOrBelow(Property(source, "sysfs.path"), device.sysfsPath, '/') ||
           IsAtOrBelow(Property(source, "device.bus_path"), device.busPath, ':');
}

bool HasIdentity(const SourceEntry& source, const UsbDevice& device) {
    return SameId(Property(source, "device.vendor.id"), device.vendorId) &&
           SameId(Property(source, "device.product.id"), device.productId);
}

} // namespace

std::optional<std::string> ChooseSource(const UsbDevice& device,
                                        const std::vector<SourceEntry>& sources) {
    for (const SourceEntry& source : sources) {
        if (!source.monitor && IsAt(source, device))
            return source.name;
    }
    const SourceEntry* match = nullptr;
    for (const SourceEntry& source : sources) {
        if (source.monitor || SaysWhere(source) || !HasIdentity(source, device))
            continue;
        if (match)
            return std::nullopt;
        match = &source;
    }
    return match ? std::optional<std::string>(match->name) : std::nullopt;
}

} // namespace platform::audio
