// Which input is the dongle's: the sysfs walk from a video node, and the choice among the
// server's inputs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/audio/sound_card.h"
#include "platform/audio/source_choice.h"
#include "platform/audio/usb_device.h"

namespace {

using platform::audio::ChooseSource;
using platform::audio::FindSoundCard;
using platform::audio::FindUsbDevice;
using platform::audio::SourceEntry;
using platform::audio::UsbDevice;
namespace fs = std::filesystem;

const UsbDevice kDongle{"/devices/pci0000:00/0000:00:14.0/usb1/1-4", "pci-0000:00:14.0-usb-0:4",
                        "3188", "1000"};

SourceEntry Source(const std::string& name, std::map<std::string, std::string> properties,
                   bool monitor = false) {
    return {name, monitor, std::move(properties)};
}

const SourceEntry kMicrophone =
    Source("mic", {{"device.bus_path", "pci-0000:00:1f.3"},
                   {"sysfs.path", "/devices/pci0000:00/0000:00:1f.3/sound/card0"}});
const SourceEntry kWebcamOnHubPort = Source(
    "webcam", {{"device.bus_path", "pci-0000:00:14.0-usb-0:4.1:1.2"},
               {"sysfs.path", "/devices/pci0000:00/0000:00:14.0/usb1/1-4.1/1-4.1:1.2/sound/card2"},
               {"device.vendor.id", "3188"},
               {"device.product.id", "1000"}});

TEST(SourceChoice, TakesOnlyTheDonglesOwnInput) {
    struct Case {
        const char* what;
        std::vector<SourceEntry> sources;
        std::optional<std::string> chosen;
    };
    const Case cases[] = {
        {"by its card's sysfs folder",
         {kMicrophone,
          Source("card", {{"sysfs.path", kDongle.sysfsPath + "/1-4:1.1/sound/card1"}})},
         "card"},
        {"by its interface's bus path",
         {kMicrophone, Source("card", {{"device.bus_path", "pci-0000:00:14.0-usb-0:4:1.1"}})},
         "card"},
        {"by vendor and product when no input says where it is",
         {kMicrophone,
          Source("pipe", {{"device.vendor.id", "3188"}, {"device.product.id", "1000"}})},
         "pipe"},
        {"a monitor never, even at the dongle's place",
         {Source("m", {{"device.bus_path", "pci-0000:00:14.0-usb-0:4:1.1"}}, true)},
         std::nullopt},
        {"not the same ids at another place (a second dongle, a port further down)",
         {kWebcamOnHubPort},
         std::nullopt},
        {"two inputs with its ids and no place: neither",
         {Source("a", {{"device.vendor.id", "3188"}, {"device.product.id", "1000"}}),
          Source("b", {{"device.vendor.id", "3188"}, {"device.product.id", "1000"}})},
         std::nullopt},
        {"the place wins over ids",
         {Source("ids", {{"device.vendor.id", "3188"}, {"device.product.id", "1000"}}),
          Source("place", {{"device.bus_path", "pci-0000:00:14.0-usb-0:4"}})},
         "place"},
        {"only a microphone: nothing", {kMicrophone}, std::nullopt},
        {"vendor alone is not enough", {Source("v", {{"device.vendor.id", "3188"}})}, std::nullopt},
        {"no inputs", {}, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseSource(kDongle, c.sources), c.chosen) << c.what;
    // A device without a place or ids (nothing read) matches no input that lacks them.
    EXPECT_EQ(ChooseSource(UsbDevice{}, {Source("bare", {}), kMicrophone}), std::nullopt);
}

void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text << "\n";
}

TEST(SourceChoice, FindsTheUsbDeviceOfAVideoNodeAndItsSoundCardInSysfs) {
    const fs::path sys = fs::temp_directory_path() / ("vistrel-sys-" + std::to_string(getpid()));
    const fs::path usb = sys / "devices/pci0000:00/0000:00:14.0/usb1/1-4";
    Write(usb / "idVendor", "3188");
    Write(usb / "idProduct", "1000");
    Write(usb / "devpath", "4");
    fs::create_directories(usb / "1-4:1.0/video4linux/video3");
    const fs::path platformNode = sys / "devices/platform/vivid.0/video4linux/video5";
    fs::create_directories(platformNode);
    fs::create_directories(sys / "class/video4linux");
    fs::create_directory_symlink(usb / "1-4:1.0", usb / "1-4:1.0/video4linux/video3/device");
    fs::create_directory_symlink(usb / "1-4:1.0/video4linux/video3",
                                 sys / "class/video4linux/video3");
    fs::create_directory_symlink(platformNode.parent_path().parent_path(), platformNode / "device");
    fs::create_directory_symlink(platformNode, sys / "class/video4linux/video5");

    const auto found = FindUsbDevice(sys.string(), 3);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->sysfsPath, kDongle.sysfsPath);
    EXPECT_EQ(found->busPath, kDongle.busPath);
    EXPECT_EQ(found->vendorId, "3188");
    EXPECT_EQ(found->productId, "1000");
    EXPECT_FALSE(FindUsbDevice(sys.string(), 5)) << "not on USB";
    EXPECT_FALSE(FindUsbDevice(sys.string(), 7)) << "no such node";
    EXPECT_FALSE(FindUsbDevice((sys / "missing").string(), 3));

    // Its sound card is the one in its own interface's folder, never another device's.
    fs::create_directories(sys / "devices/pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.2/sound/card0");
    EXPECT_EQ(FindSoundCard(sys.string(), *found), std::nullopt) << "no sound function yet";
    fs::create_directories(usb / "1-4:1.1/sound/card12/controlC12");
    fs::create_directories(usb / "1-4:1.1/sound/cardX");
    EXPECT_EQ(FindSoundCard(sys.string(), *found), 12);
    EXPECT_EQ(FindSoundCard(sys.string(), UsbDevice{}), std::nullopt);
    fs::remove_all(sys);
}

} // namespace
