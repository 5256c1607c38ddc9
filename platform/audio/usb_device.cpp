// Walking sysfs from a video node up to its USB device.
#include "platform/audio/usb_device.h"

#include <cctype>
#include <filesystem>
#include <fstream>

namespace platform::audio {

namespace fs = std::filesystem;

namespace {

// The first line of a sysfs attribute file, without its newline; empty when it is missing.
std::string ReadAttribute(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A PCI function's folder name: "0000:00:14.0" (domain:bus:device.function).
bool IsPciAddress(const std::string& name) {
    if (name.size() != 12)
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const char expected = i == 4 || i == 7 ? ':' : i == 10 ? '.' : 'x';
        if (expected == 'x' ? !std::isxdigit(static_cast<unsigned char>(name[i]))
                            : name[i] != expected)
            return false;
    }
    return true;
}

// udev's path name for a USB device: its PCI controller's, then "usb-0:" and the port chain
// the kernel keeps in `devpath` ("4", "1.4").
std::string BusPath(const fs::path& usbDevice) {
    const std::string devpath = ReadAttribute(usbDevice / "devpath");
    if (devpath.empty())
        return {};
    for (fs::path p = usbDevice.parent_path(); p.has_relative_path(); p = p.parent_path()) {
        if (IsPciAddress(p.filename().string()))
            return "pci-" + p.filename().string() + "-usb-0:" + devpath;
    }
    return {};
}

} // namespace

std::optional<UsbDevice> FindUsbDevice(const std::string& sysRoot, int videoIndex) {
    std::error_code error;
    const fs::path root = fs::canonical(sysRoot, error);
    if (error)
        return std::nullopt;
    const fs::path link =
        root / "class/video4linux" / ("video" + std::to_string(videoIndex)) / "device";
    fs::path folder = fs::canonical(link, error);
    if (error)
        return std::nullopt;
    // Up from the node's interface; never above the root (a link pointing out of it).
    const std::string devices = (root / "devices").string();
    for (; folder.string().rfind(devices, 0) == 0 && folder != root;
         folder = folder.parent_path()) {
        if (!fs::exists(folder / "idVendor", error) || !fs::exists(folder / "idProduct", error))
            continue;
        UsbDevice device;
        device.sysfsPath = folder.string().substr(root.string().size());
        device.busPath = BusPath(folder);
        device.vendorId = Lower(ReadAttribute(folder / "idVendor"));
        device.productId = Lower(ReadAttribute(folder / "idProduct"));
        return device;
    }
    return std::nullopt;
}

} // namespace platform::audio
