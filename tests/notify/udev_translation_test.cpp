#include <gtest/gtest.h>

#include "platform/notify/interface_names.h"
#include "platform/notify/udev_translation.h"
#include "platform/win32/com.h"
#include "platform/win32/constants.h"

using namespace platform::notify;

namespace {

const std::string kUsbName =
    "\\\\?\\USB#VID_3188&PID_1234#A1B2#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

UdevDeviceFacts UsbAdd() {
    UdevDeviceFacts d;
    d.action = "add";
    d.sysname = "1-2";
    d.devpath = "/devices/pci0000:00/0000:00:14.0/usb1/1-2";
    d.properties = {{"PRODUCT", "3188/1234/100"}, {"ID_SERIAL_SHORT", "A1B2"}};
    return d;
}

UdevDeviceFacts Bare(const std::string& action, const std::string& sysname,
                     const std::string& devpath) {
    UdevDeviceFacts d;
    d.action = action;
    d.sysname = sysname;
    d.devpath = devpath;
    return d;
}

TEST(UsbDeviceName, ComesFromProductPropertyOrAttributes) {
    EXPECT_EQ(UsbDeviceInterfaceName(UsbAdd()), kUsbName);

    UdevDeviceFacts fromUdevDb = Bare("add", "1-2", "/p");
    fromUdevDb.properties = {{"ID_VENDOR_ID", "3188"}, {"ID_MODEL_ID", "1234"}};
    fromUdevDb.attributes = {{"serial", "A1B2\n"}};
    EXPECT_EQ(UsbDeviceInterfaceName(fromUdevDb), kUsbName);

    UdevDeviceFacts fromSysfs = Bare("add", "1-2", "/p");
    fromSysfs.attributes = {{"idVendor", "3188\n"}, {"idProduct", "1234\n"}, {"serial", "A1B2"}};
    EXPECT_EQ(UsbDeviceInterfaceName(fromSysfs), kUsbName);

    UdevDeviceFacts shortHex = Bare("add", "1-2", "/p");
    shortHex.properties = {{"PRODUCT", "5ac/12a8/1503"}};
    EXPECT_EQ(UsbDeviceInterfaceName(shortHex)->substr(0, 26), "\\\\?\\USB#VID_05AC&PID_12A8#");
}

TEST(UsbDeviceName, NoneWhenIdsAreMissingOrMalformed) {
    EXPECT_FALSE(UsbDeviceInterfaceName(Bare("add", "1-2", "/p")));
    for (const char* product :
         {"", "3188", "3188/", "/1234/1", "31888/1234/1", "zz/1234/1", "3188/12 34/1", "-1/1/1"}) {
        UdevDeviceFacts d = Bare("add", "1-2", "/p");
        d.properties = {{"PRODUCT", product}};
        EXPECT_FALSE(UsbDeviceInterfaceName(d)) << product;
    }
}

TEST(UdevTranslator, UsbRemovalWithdrawsTheNameGivenAtArrival) {
    UdevTranslator t;
    const auto arrival = t.usbDevice(UsbAdd());
    ASSERT_TRUE(arrival);
    EXPECT_EQ(arrival->event, DWORD(DBT_DEVICEARRIVAL));
    EXPECT_EQ(arrival->name, kUsbName);
    EXPECT_EQ(arrival->classGuid, GUID_DEVINTERFACE_USB_DEVICE);

    // The removal carries nothing but its path.
    const auto removal = t.usbDevice(Bare("remove", "1-2", UsbAdd().devpath));
    ASSERT_TRUE(removal);
    EXPECT_EQ(removal->event, DWORD(DBT_DEVICEREMOVECOMPLETE));
    EXPECT_EQ(removal->name, kUsbName);

    // Once withdrawn the name is forgotten.
    EXPECT_FALSE(t.usbDevice(Bare("remove", "1-2", UsbAdd().devpath)));
}

TEST(UdevTranslator, UsbDevicePresentBeforeListeningIsNamedFromTheRemovalEvent) {
    UdevTranslator t;
    UdevDeviceFacts removal = UsbAdd();
    removal.action = "remove";
    removal.properties.erase("ID_SERIAL_SHORT");
    const auto event = t.usbDevice(removal);
    ASSERT_TRUE(event);
    EXPECT_EQ(event->name, UsbInterfaceName(0x3188, 0x1234, UsbInstanceId("", "1-2")));
}

TEST(UdevTranslator, OtherUsbActionsAreNotInterfaceEvents) {
    UdevTranslator t;
    for (const char* action : {"change", "bind", "unbind", "move", "online", ""}) {
        UdevDeviceFacts d = UsbAdd();
        d.action = action;
        EXPECT_FALSE(t.usbDevice(d)) << action;
    }
}

TEST(SoundEvents, ControlDeviceAnnouncesAndControlOrCardWithdraws) {
    std::string card;
    EXPECT_EQ(ClassifySoundEvent("add", "controlC3", &card), SoundEvent::CardArrived);
    EXPECT_EQ(card, "3");
    EXPECT_EQ(ClassifySoundEvent("remove", "card12", &card), SoundEvent::CardLeft);
    EXPECT_EQ(card, "12");
    EXPECT_EQ(ClassifySoundEvent("remove", "controlC1", &card), SoundEvent::CardLeft);
    for (const auto& [action, sysname] :
         std::vector<std::pair<const char*, const char*>>{{"add", "card1"},
                                                          {"add", "pcmC1D0c"},
                                                          {"add", "controlC"},
                                                          {"add", "controlCx"},
                                                          {"change", "controlC1"},
                                                          {"remove", "pcmC1D0p"},
                                                          {"remove", "card"},
                                                          {"add", "timer"}})
        EXPECT_EQ(ClassifySoundEvent(action, sysname, nullptr), SoundEvent::None)
            << action << " " << sysname;
}

TEST(SoundEvents, PcmChildrenTellTheDirections) {
    SoundCardFacts card;
    ReadPcmDirections({".", "..", "id", "controlC1", "pcmC1D0c", "subsystem"}, card);
    EXPECT_TRUE(card.hasCapture);
    EXPECT_FALSE(card.hasPlayback);
    ReadPcmDirections({"pcmC1D3p"}, card);
    EXPECT_TRUE(card.hasPlayback);

    SoundCardFacts none;
    ReadPcmDirections({"pcm", "pcmC", "hwC1D0", "pcmCp", "midiC1D0"}, none);
    EXPECT_FALSE(none.hasCapture || none.hasPlayback);
}

TEST(UdevTranslator, SoundCardEndpointsComeAndGoTogether) {
    UdevTranslator t;
    SoundCardFacts card;
    card.cardId = "PCH";
    card.hasCapture = card.hasPlayback = true;
    const auto arrivals = t.soundCardArrived("0", card);
    ASSERT_EQ(arrivals.size(), 2u);
    EXPECT_EQ(arrivals[0].name, AudioEndpointName("PCH", AudioFlow::Render));
    EXPECT_EQ(arrivals[0].classGuid, GUID_DEVINTERFACE_AUDIO_RENDER);
    EXPECT_EQ(arrivals[1].name, AudioEndpointName("PCH", AudioFlow::Capture));
    EXPECT_EQ(arrivals[1].classGuid, GUID_DEVINTERFACE_AUDIO_CAPTURE);
    for (const auto& e : arrivals)
        EXPECT_EQ(e.event, DWORD(DBT_DEVICEARRIVAL));

    const auto removals = t.soundCardLeft("0");
    ASSERT_EQ(removals.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(removals[i].event, DWORD(DBT_DEVICEREMOVECOMPLETE));
        EXPECT_EQ(removals[i].name, arrivals[i].name);
    }
    // The control device and the card both leave; only the first withdraws.
    EXPECT_TRUE(t.soundCardLeft("0").empty());
    EXPECT_TRUE(t.soundCardLeft("7").empty());
}

TEST(UdevTranslator, CardWithoutIdOrPcmDevices) {
    UdevTranslator t;
    SoundCardFacts midiOnly;
    midiOnly.cardId = "Keys";
    EXPECT_TRUE(t.soundCardArrived("2", midiOnly).empty());
    EXPECT_TRUE(t.soundCardLeft("2").empty());

    SoundCardFacts anonymous;
    anonymous.hasCapture = true;
    const auto arrivals = t.soundCardArrived("4", anonymous);
    ASSERT_EQ(arrivals.size(), 1u);
    EXPECT_EQ(arrivals[0].name, AudioEndpointName("card4", AudioFlow::Capture));
}

// The udev thread's decisions, with a clock and video nodes of the test's choosing.
class CaptureCardWait : public testing::Test {
protected:
    using Clock = UdevEventHandler::Clock;

    static SoundCardFacts CaptureCard() {
        SoundCardFacts card;
        card.cardId = "MS2109";
        card.hasCapture = true;
        card.onVideoDevice = true;
        card.usbDevicePath = "/sys/devices/usb1/1-2";
        return card;
    }
    std::vector<InterfaceEvent> event(const std::string& action, const std::string& sysname,
                                      const SoundCardFacts& card = CaptureCard()) {
        ++eventsSeen;
        return handler.onEvent(
            "sound", Bare(action, sysname, "/x/" + sysname),
            [&] {
                ++cardReads;
                return card;
            },
            start);
    }
    std::vector<InterfaceEvent> tick(Clock::duration after, bool opens) {
        return handler.onTick(start + after, [&](const std::string& path) {
            EXPECT_EQ(path, CaptureCard().usbDevicePath);
            return opens;
        });
    }

    UdevEventHandler handler;
    Clock::time_point start = Clock::now();
    int cardReads = 0;
    int eventsSeen = 0;
};

TEST_F(CaptureCardWait, EndpointWaitsUntilTheVideoNodeOpens) {
    EXPECT_TRUE(event("add", "controlC1").empty());
    EXPECT_TRUE(handler.waiting());
    EXPECT_TRUE(tick(std::chrono::milliseconds(100), false).empty());
    const auto ready = tick(std::chrono::milliseconds(200), true);
    ASSERT_EQ(ready.size(), 1u);
    EXPECT_EQ(ready[0].name, AudioEndpointName("MS2109", AudioFlow::Capture));
    EXPECT_FALSE(handler.waiting());
    EXPECT_TRUE(tick(std::chrono::milliseconds(300), true).empty()) << "announced once";
}

TEST_F(CaptureCardWait, EndpointIsAnnouncedAnywayAtTheDeadline) {
    event("add", "controlC1");
    EXPECT_TRUE(tick(UdevEventHandler::kVideoWait - std::chrono::milliseconds(1), false).empty());
    EXPECT_EQ(tick(UdevEventHandler::kVideoWait, false).size(), 1u);
}

TEST_F(CaptureCardWait, RemovalWhileWaitingWithdrawsNothing) {
    event("add", "controlC1");
    EXPECT_TRUE(event("remove", "controlC1").empty());
    EXPECT_FALSE(handler.waiting());
    EXPECT_TRUE(tick(UdevEventHandler::kVideoWait, true).empty());
    EXPECT_TRUE(event("remove", "card1").empty());
}

TEST_F(CaptureCardWait, RemovalAfterAnnouncementWithdraws) {
    event("add", "controlC1");
    tick(std::chrono::milliseconds(100), true);
    const auto removals = event("remove", "card1");
    ASSERT_EQ(removals.size(), 1u);
    EXPECT_EQ(removals[0].event, DWORD(DBT_DEVICEREMOVECOMPLETE));
}

TEST_F(CaptureCardWait, OtherCardsDoNotWait) {
    SoundCardFacts builtIn;
    builtIn.cardId = "PCH";
    builtIn.hasPlayback = true;
    EXPECT_EQ(event("add", "controlC0", builtIn).size(), 1u);
    EXPECT_FALSE(handler.waiting());
    // Card facts are read for card arrivals only.
    event("add", "pcmC0D0p", builtIn);
    event("remove", "card0", builtIn);
    EXPECT_EQ(cardReads, 1);
}

TEST_F(CaptureCardWait, TwoCardsWaitIndependently) {
    event("add", "controlC1");
    SoundCardFacts second = CaptureCard();
    second.cardId = "MS2109_1";
    event("add", "controlC2", second);
    event("remove", "controlC1");
    const auto ready = tick(std::chrono::milliseconds(100), true);
    ASSERT_EQ(ready.size(), 1u);
    EXPECT_EQ(ready[0].name, AudioEndpointName("MS2109_1", AudioFlow::Capture));
}

TEST(UdevEventHandler, RoutesBySubsystem) {
    UdevEventHandler handler;
    const auto never = []() -> SoundCardFacts {
        ADD_FAILURE() << "not a card arrival";
        return {};
    };
    const auto now = UdevEventHandler::Clock::now();
    EXPECT_EQ(handler.onEvent("usb", UsbAdd(), never, now).size(), 1u);
    EXPECT_TRUE(handler.onEvent("video4linux", UsbAdd(), never, now).empty());
    EXPECT_TRUE(handler.onEvent("", UsbAdd(), never, now).empty());
}

} // namespace
