// Assembling the video input list from /dev entries and card names.
#include "platform/video/v4l2/v4l2_listing.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>

#include "platform/system/usb_instance.h"
#include "platform/system/utf.h"
#include "platform/video/device_path.h"

namespace platform::v4l2 {

namespace {

std::optional<int> NodeNumber(std::string_view name) {
    constexpr std::string_view prefix = "video";
    if (!name.starts_with(prefix))
        return std::nullopt;
    std::string_view digits = name.substr(prefix.size());
    if (digits.empty() || digits.size() > 3 || (digits.size() > 1 && digits[0] == '0'))
        return std::nullopt;
    int n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (n >= kMaxVideoNodes)
        return std::nullopt;
    return n;
}

// A sysfs attribute holding four hex digits ("534d\n").
std::optional<uint16_t> HexAttribute(const std::string& path) {
    std::ifstream file(path);
    std::string text;
    if (!(file >> text) || text.size() != 4)
        return std::nullopt;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 16);
    if (*end != '\0')
        return std::nullopt;
    return static_cast<uint16_t>(value);
}

// A sysfs text attribute's first line ("HDMI0001\n"), bounded; empty when there is none.
std::string TextAttribute(const std::string& path) {
    // USB string descriptors hold at most 126 characters.
    constexpr size_t kLongest = 255;
    std::ifstream file(path);
    std::string text;
    std::getline(file, text);
    return text.size() > kLongest ? std::string() : text;
}

std::string Resolved(const std::string& path) {
    char buffer[PATH_MAX];
    return realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
}

} // namespace

std::optional<UsbIdentity> UsbIdentityOfVideoNode(const std::string& sysRoot, int n) {
    const std::string root = Resolved(sysRoot);
    // The node's "device" link leads to the USB interface; the USB device is its parent.
    std::string dir =
        Resolved(sysRoot + "/class/video4linux/video" + std::to_string(n) + "/device");
    if (root.empty() || dir.empty())
        return std::nullopt;
    // A USB device sits a few levels below its bus; this bounds the walk up.
    constexpr int kMaxLevels = 4;
    for (int level = 0; level < kMaxLevels && dir.size() > root.size() + 1; ++level) {
        const auto vendor = HexAttribute(dir + "/idVendor");
        const auto product = HexAttribute(dir + "/idProduct");
        if (vendor && product)
            return UsbIdentity{*vendor, *product, dir.substr(dir.rfind('/') + 1),
                               TextAttribute(dir + "/serial")};
        dir.erase(dir.rfind('/'));
    }
    return std::nullopt;
}

std::optional<UsbIdentity> SysfsUsbIdentity(int n) {
    return UsbIdentityOfVideoNode("/sys", n);
}

std::vector<int> VideoNodeNumbers(const std::vector<std::string>& devEntries) {
    std::vector<int> numbers;
    for (const std::string& name : devEntries)
        if (auto n = NodeNumber(name))
            numbers.push_back(*n);
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

std::vector<VideoInputInfo> AssembleInputs(const std::vector<std::string>& devEntries,
                                           const CardNameQuery& cardName,
                                           const UsbIdentityQuery& usbIdentity) {
    const std::vector<int> numbers = VideoNodeNumbers(devEntries);
    if (numbers.empty())
        return {};
    std::vector<VideoInputInfo> inputs(numbers.back() + 1);
    for (VideoInputInfo& input : inputs) {
        input.description = u"";
        input.friendlyName = u"";
    }
    for (int n : numbers) {
        if (auto card = cardName(n)) {
            inputs[n].friendlyName = Utf8ToUtf16(*card);
            inputs[n].description = inputs[n].friendlyName;
            if (auto usb = usbIdentity ? usbIdentity(n) : std::nullopt)
                inputs[n].devicePath = UsbVideoDevicePath(usb->vendor, usb->product,
                                                          UsbInstanceId(usb->serial, usb->port));
        }
    }
    return inputs;
}

} // namespace platform::v4l2
