#include <gtest/gtest.h>

#include "platform/notify/interface_names.h"
#include "platform/notify/udev_translation.h"
#include "platform/win32/com.h"
#include "platform/win32/constants.h"

using namespace platform::notify;

namespace {

using Map = std::map<std::string, std::string>;
const std::string kUsbGuid = "#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
const std::string kUsbName = "\\\\?\\USB#VID_3188&PID_1234#A1B2" + kUsbGuid;

UdevDeviceFacts Device(const std::string& action, const std::string& sysname, Map properties = {},
                       Map attributes = {}) {
    return {action, sysname, "/devices/usb1/" + sysname, std::move(properties),
            std::move(attributes)};
}

UdevDeviceFacts UsbAdd() {
    return Device("add", "1-2", {{"PRODUCT", "3188/1234/100"}, {"ID_SERIAL_SHORT", "A1B2"}});
}

TEST(UsbDeviceName, FromUdevPropertiesAndAttributes) {
    const std::string byPort = UsbInstanceId("", "1-2");
    const std::string byPortName = "\\\\?\\USB#VID_3188&PID_1234#" + byPort + kUsbGuid;
    const struct {
        Map properties, attributes;
        std::optional<std::string> name;
    } cases[] = {
        {{{"PRODUCT", "3188/1234/100"}, {"ID_SERIAL_SHORT", "A1B2"}}, {}, kUsbName},
        {{{"ID_VENDOR_ID", "3188"}, {"ID_MODEL_ID", "1234"}}, {{"serial", "A1B2\n"}}, kUsbName},
        {{}, {{"idVendor", "3188\n"}, {"idProduct", "1234\n"}, {"serial", "A1B2"}}, kUsbName},
        {{{"PRODUCT", "5ac/12a8/1503"}}, {}, "\\\\?\\USB#VID_05AC&PID_12A8#" + byPort + kUsbGuid},
        // Serials Windows would reject, or none, give the port's id.
        {{{"PRODUCT", "3188/1234/1"}, {"ID_SERIAL_SHORT", "a#b"}}, {}, byPortName},
        {{{"PRODUCT", "3188/1234/1"}}, {{"serial", "with space"}}, byPortName},
        {{}, {}, std::nullopt},
        {{{"PRODUCT", "3188/"}}, {}, std::nullopt},
        {{{"PRODUCT", "31888/1234/1"}}, {}, std::nullopt},
        {{{"PRODUCT", "zz/1234/1"}}, {}, std::nullopt},
        {{{"PRODUCT", "-1/1/1"}}, {}, std::nullopt},
        {{{"ID_VENDOR_ID", "3188"}}, {{"idProduct", "1234"}}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UsbDeviceInterfaceName(Device("add", "1-2", c.properties, c.attributes)), c.name)
            << &c - cases;
}

TEST(UdevTranslator, UsbRemovalWithdrawsTheNameGivenAtArrival) {
    UdevTranslator t;
    for (const char* action : {"change", "bind", "unbind", "move", ""})
        EXPECT_FALSE(t.usbDevice(Device(action, "1-2", UsbAdd().properties))) << action;
    const auto arrival = t.usbDevice(UsbAdd());
    ASSERT_TRUE(arrival);
    EXPECT_EQ(arrival->event, DWORD(DBT_DEVICEARRIVAL));
    EXPECT_EQ(arrival->name, kUsbName);
    EXPECT_EQ(arrival->classGuid, GUID_DEVINTERFACE_USB_DEVICE);
    // The removal carries nothing but its path; once withdrawn the name is forgotten.
    const auto removal = t.usbDevice(Device("remove", "1-2"));
    ASSERT_TRUE(removal);
    EXPECT_EQ(removal->event, DWORD(DBT_DEVICEREMOVECOMPLETE));
    EXPECT_EQ(removal->name, kUsbName);
    EXPECT_FALSE(t.usbDevice(Device("remove", "1-2")));
    // A device present before listening began is named from its removal's properties.
    const auto unseen = t.usbDevice(Device("remove", "1-3", {{"PRODUCT", "3188/1234/100"}}));
    ASSERT_TRUE(unseen);
    EXPECT_EQ(unseen->name, UsbInterfaceName(0x3188, 0x1234, UsbInstanceId("", "1-3")));
}

TEST(SoundEvents, ControlDeviceAnnouncesControlOrCardWithdraws) {
    const struct {
        const char* action;
        const char* sysname;
        SoundEvent expected;
        const char* card;
    } cases[] = {
        {"add", "controlC3", SoundEvent::CardArrived, "3"},
        {"remove", "card12", SoundEvent::CardLeft, "12"},
        {"remove", "controlC1", SoundEvent::CardLeft, "1"},
        {"add", "card1", SoundEvent::None, ""},
        {"add", "controlC", SoundEvent::None, ""},
        {"add", "controlCx", SoundEvent::None, ""},
        {"change", "controlC1", SoundEvent::None, ""},
        {"remove", "pcmC1D0p", SoundEvent::None, ""},
    };
    for (const auto& c : cases) {
        std::string card;
        EXPECT_EQ(ClassifySoundEvent(c.action, c.sysname, &card), c.expected) << c.sysname;
        EXPECT_EQ(card, c.card);
    }
    SoundCardFacts facts;
    ReadPcmDirections({".", "id", "controlC1", "pcmC1D0c", "pcm", "pcmCp", "midiC1D0"}, facts);
    EXPECT_TRUE(facts.hasCapture);
    EXPECT_FALSE(facts.hasPlayback);
}

TEST(UdevTranslator, SoundCardEndpointsComeAndGoTogether) {
    UdevTranslator t;
    SoundCardFacts card;
    card.cardId = "PCH";
    card.hasCapture = card.hasPlayback = true;
    const auto arrivals = t.soundCardArrived("0", card);
    ASSERT_EQ(arrivals.size(), 2u);
    EXPECT_EQ(arrivals[0].name, AudioEndpointName("PCH", AudioFlow::Render));
    EXPECT_EQ(arrivals[1].name, AudioEndpointName("PCH", AudioFlow::Capture));
    EXPECT_EQ(arrivals[1].classGuid, GUID_DEVINTERFACE_AUDIO_CAPTURE);
    const auto removals = t.soundCardLeft("0");
    ASSERT_EQ(removals.size(), 2u);
    EXPECT_EQ(removals[1].event, DWORD(DBT_DEVICEREMOVECOMPLETE));
    EXPECT_EQ(removals[1].name, arrivals[1].name);
    // The control device and the card both leave; only the first withdraws.
    EXPECT_TRUE(t.soundCardLeft("0").empty());

    SoundCardFacts anonymous;
    anonymous.hasCapture = true;
    const auto unnamed = t.soundCardArrived("4", anonymous);
    ASSERT_EQ(unnamed.size(), 1u);
    EXPECT_EQ(unnamed[0].name, AudioEndpointName("card4", AudioFlow::Capture));
}

// A capture card's endpoint waits for the video node of its device, or for a deadline.
TEST(UdevEventHandler, CaptureEndpointWaitsForTheVideoNode) {
    using namespace std::chrono_literals;
    UdevEventHandler handler;
    const auto start = UdevEventHandler::Clock::now();
    const auto event = [&](const char* action, const char* sysname) {
        SoundCardFacts card;
        card.cardId = "MS2109";
        card.hasCapture = card.onVideoDevice = true;
        return handler.onEvent(
            "sound", Device(action, sysname), [&] { return card; }, start);
    };
    const auto tick = [&](auto after, bool opens) {
        return handler.onTick(start + after, [&](const std::string&) { return opens; });
    };
    EXPECT_TRUE(event("add", "controlC1").empty());
    EXPECT_TRUE(tick(100ms, false).empty());
    const auto ready = tick(200ms, true);
    ASSERT_EQ(ready.size(), 1u);
    EXPECT_EQ(ready[0].name, AudioEndpointName("MS2109", AudioFlow::Capture));
    EXPECT_TRUE(tick(300ms, true).empty()) << "announced once";
    EXPECT_EQ(event("remove", "card1").size(), 1u);

    event("add", "controlC1");
    EXPECT_TRUE(tick(UdevEventHandler::kVideoWait - 1ms, false).empty());
    EXPECT_EQ(tick(UdevEventHandler::kVideoWait, false).size(), 1u);
    event("remove", "card1");

    // A node the user may not open is tried a handful of times in the wait, not at every tick.
    event("add", "controlC1");
    int tries = 0;
    for (auto after = 0ms; after < UdevEventHandler::kVideoWait; after += 10ms)
        EXPECT_TRUE(handler
                        .onTick(start + after,
                                [&](const std::string&) {
                                    ++tries;
                                    return false;
                                })
                        .empty());
    EXPECT_GE(tries, 3);
    EXPECT_LE(tries, 10);
    EXPECT_EQ(tick(UdevEventHandler::kVideoWait, false).size(), 1u);
    event("remove", "card1");

    // Removed while waiting: nothing was announced, so nothing is withdrawn.
    event("add", "controlC1");
    EXPECT_TRUE(event("remove", "controlC1").empty());
    EXPECT_FALSE(handler.waiting());
    EXPECT_TRUE(tick(UdevEventHandler::kVideoWait, true).empty());
    EXPECT_TRUE(event("remove", "card1").empty());
}

} // namespace
