// Following the device: USB interface and audio endpoint arrivals and removals, the event log,
// and malformed broadcast records. Resume and the real udev order are proven end to end by
// tests/real_sources.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "tests/support/dialog_harness.h"
#include "platform/notify/simulated_notifications.h"
#include "platform/video/device_path.h"
#include "viewer/UsbIdentity.h"

using namespace testing_support;
namespace notify = platform::notify;

namespace {

const std::string kUsb = notify::UsbInterfaceName(0x3188, 0x1234, "SIM1");
const std::string kAudio = notify::AudioEndpointName("Capture1", notify::AudioFlow::Capture);

using Log = std::vector<std::string>;

void WithNoSignalPicture(CVelvoraDlg& dialog) {
    dialog.m_noSignalPicturePath = VISTREL_SOURCE_DIR "/res/dis.jpg";
}

// A dialog capturing from a simulated HDMI capture device at index 0.
struct Capturing {
    Capturing() {
        sim->setInput(0, Named("HDMI Capture", 640, 360, 120));
        run = std::make_unique<DialogRun>(WithNoSignalPicture);
        EXPECT_TRUE(framesFlow());
    }
    bool framesFlow() {
        const uint64_t before = sim->stats(0).framesDelivered;
        return sim->waitFor(
            0, [before](auto& s) { return s.framesDelivered > before + 2; },
            std::chrono::seconds(20));
    }
    void arrive(const std::string& name, const GUID& guid) {
        notify::SimulateInterfaceArrival(name, guid);
        run->settle();
    }
    void remove(const std::string& name, const GUID& guid) {
        notify::SimulateInterfaceRemoval(name, guid);
        run->settle();
    }
    void unplug() {
        sim->setPlugged(0, false);
        remove(kAudio, GUID_DEVINTERFACE_AUDIO_CAPTURE);
        remove(kUsb, GUID_DEVINTERFACE_USB_DEVICE);
    }
    bool showsNoSignal() {
        const cv::Mat pixels = run->videoPixels();
        return CountPixels(pixels, cv::Scalar(30, 30, 230)) > 100 &&
               IsBlack(pixels, {0, 0, 10, 10});
    }
    std::shared_ptr<platform::SimulatedVideoProvider> sim = FreshPlatform();
    std::unique_ptr<DialogRun> run;
};

// The removal of the USB device shows no signal; only an audio endpoint arriving after the USB
// device opens it again.
TEST(DeviceEvents, UnplugShowsNoSignalAndReplugBringsThePictureBack) {
    Capturing c;
    CVelvoraDlg& dialog = c.run->dialog();
    c.arrive(kUsb, GUID_DEVINTERFACE_USB_DEVICE);
    EXPECT_TRUE(dialog.m_devicePresent);
    EXPECT_EQ(c.run->eventLog(), Log{});

    c.unplug();
    EXPECT_FALSE(dialog.m_devicePresent);
    EXPECT_FALSE(dialog.m_capture.isOpened());
    EXPECT_TRUE(c.showsNoSignal());
    EXPECT_EQ(c.run->eventLog(), Log{"remove3188"}) << "the audio endpoint's removal is ignored";

    c.sim->setPlugged(0, true);
    c.arrive(kAudio, GUID_DEVINTERFACE_AUDIO_CAPTURE);
    c.arrive(kUsb, GUID_DEVINTERFACE_USB_DEVICE);
    EXPECT_EQ(c.run->eventLog(), Log{"remove3188"});
    EXPECT_FALSE(dialog.m_capture.isOpened());
    c.arrive(kAudio, GUID_DEVINTERFACE_AUDIO_CAPTURE);
    EXPECT_EQ(c.run->eventLog(), (Log{"remove3188", "open", "opening"}));
    EXPECT_TRUE(c.framesFlow());
    EXPECT_TRUE(WaitUntil([&] { return !c.showsNoSignal(); }));
    EXPECT_EQ(c.sim->stats(0).maxConcurrentReads, 1);
}

TEST(DeviceEvents, AudioArrivalWhileCapturingOnlyLogsOpen) {
    Capturing c;
    c.arrive(kUsb, GUID_DEVINTERFACE_USB_DEVICE);
    const int opens = c.sim->stats(0).opens;
    c.arrive(notify::AudioEndpointName("Headset", notify::AudioFlow::Render),
             GUID_DEVINTERFACE_AUDIO_RENDER);
    EXPECT_EQ(c.run->eventLog(), Log{"open"});
    EXPECT_EQ(c.sim->stats(0).opens, opens);
    EXPECT_EQ(c.run->dialog().RunningPumps(), 1);
}

// A dongle of another vendor is known by the USB identity of the video input that was chosen.
TEST(DeviceEvents, TheChosenDevicesUsbIdentityCountsAsTheCaptureHardware) {
    auto sim = FreshPlatform();
    platform::SimulatedInput dongle = Named("USB3.0 HDMI Capture", 320, 180, 60);
    dongle.devicePath =
        u"\\\\?\\usb#vid_534d&pid_2109&mi_00#6&1a2b&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}";
    sim->setInput(0, Named("Integrated Camera"));
    sim->setInput(1, dongle);
    DialogRun run(WithNoSignalPicture);
    const std::string lowerCase =
        "\\\\?\\USB#vid_534d&pid_2109#X#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
    const std::string otherProduct = notify::UsbInterfaceName(0x534d, 0x2110, "X");
    for (const std::string& name : {lowerCase, otherProduct}) {
        notify::SimulateInterfaceRemoval(name, GUID_DEVINTERFACE_USB_DEVICE);
        run.settle();
    }
    EXPECT_EQ(run.eventLog(), Log{});
    EXPECT_TRUE(run.dialog().m_capture.isOpened());

    sim->setPlugged(1, false);
    notify::SimulateCaptureDeviceUnplugged(0x534d, 0x2109, "1-2", "MS2109");
    run.settle();
    EXPECT_EQ(run.eventLog(), Log{"remove3188"});
    EXPECT_FALSE(run.dialog().m_capture.isOpened());
    sim->setPlugged(1, true);
    notify::SimulateCaptureDevicePlugged(0x534d, 0x2109, "1-2", "MS2109");
    run.settle();
    EXPECT_EQ(run.eventLog(), (Log{"remove3188", "open", "opening"}));
    EXPECT_EQ(sim->stats(1).opens, 2);
}

// A name's USB instance: after its identity's '#', up to the next; none for one interface of a
// composite device, whose instance is not the device's.
TEST(DeviceEvents, UsbInstancesAreReadFromNamesAndPaths) {
    const std::pair<std::u16string, std::u16string> kNames[] = {
        {u"\\\\?\\USB#VID_3188&PID_1234#HDMI0001#{a5dcbf10}", u"HDMI0001"},
        {u"\\\\?\\usb#vid_3188&pid_1234#hdmi0001#{65e8773d}\\global", u"HDMI0001"},
        {u"\\\\?\\usb#vid_534d&pid_2109&mi_00#6&1a2b&0&0000#{65e8773d}", u""},
        {u"\\\\?\\USB#VID_3188&PID_1234#HDMI0001", u""},
        {u"\\\\?\\USB#VID_3188&PID_1234#", u""},
        {u"VID_3188&PID_1234", u""},
        {u"\\\\?\\SWD#MMDEVAPI#{0.0.1.00000000}.{x}#{y}", u""},
    };
    for (const auto& [name, instance] : kNames)
        EXPECT_TRUE(UsbInstanceIn(name) == instance) << &name - &kNames[0].first;
    EXPECT_TRUE(SameUsbDevice(kNames[0].first, kNames[1].first));
    EXPECT_FALSE(SameUsbDevice(kNames[2].first, kNames[2].first)) << "no instance, no match";
    EXPECT_FALSE(SameUsbDevice(u"USB#VID_3188&PID_1235#HDMI0001#", kNames[0].first));
}

// Two dongles of one model, told apart by their serials or, without, by their ports: the removal
// or return of the one not shown changes nothing; the shown one's removal shows no signal, then
// the other at once.
TEST(DeviceEvents, OfTwoDonglesOfOneModelOnlyTheShownOnesRemovalCounts) {
    const struct {
        const char* toldApartBy;
        std::string instances[2];
    } kPairs[] = {
        {"serial", {"HDMI0001", "HDMI0002"}},
        {"port", {notify::UsbInstanceId("", "1-1"), notify::UsbInstanceId("", "1-2")}},
    };
    for (const auto& pair : kPairs) {
        SCOPED_TRACE(pair.toldApartBy);
        auto sim = FreshPlatform();
        for (int i : {0, 1}) {
            platform::SimulatedInput dongle = Named("USB3.0 HDMI Capture", 320, 180, 60);
            dongle.devicePath = platform::UsbVideoDevicePath(0x3188, 0x1234, pair.instances[i]);
            sim->setInput(i, dongle);
        }
        DialogRun run(WithNoSignalPicture);
        auto plug = [&](int i, bool plugged) {
            sim->setPlugged(i, plugged);
            const std::string card = "Card" + std::to_string(i);
            if (plugged)
                notify::SimulateCaptureDevicePlugged(0x3188, 0x1234, pair.instances[i], card);
            else
                notify::SimulateCaptureDeviceUnplugged(0x3188, 0x1234, pair.instances[i], card);
            run.settle();
        };
        auto streams = [&](int i) {
            const uint64_t before = sim->stats(i).framesDelivered;
            return sim->waitFor(
                i, [before](auto& s) { return s.framesDelivered > before + 2; },
                std::chrono::seconds(5));
        };
        ASSERT_TRUE(streams(0));

        plug(1, false);
        EXPECT_EQ(run.eventLog(), Log{});
        EXPECT_TRUE(streams(0));
        plug(1, true);
        EXPECT_EQ(run.eventLog(), Log{"open"});
        EXPECT_EQ(sim->stats(1).opens, 0);

        const auto unplugged = std::chrono::steady_clock::now();
        plug(0, false);
        EXPECT_EQ(run.eventLog(), (Log{"open", "remove3188", "open", "opening"}));
        EXPECT_TRUE(streams(1));
        // Within 1 s on an idle machine.
        EXPECT_LT(std::chrono::steady_clock::now() - unplugged, std::chrono::seconds(8));

        plug(0, true);
        EXPECT_EQ(run.eventLog(), (Log{"open", "remove3188", "open", "opening", "open"}));
        EXPECT_EQ(sim->stats(0).opens, 1);
        EXPECT_TRUE(streams(1));
        EXPECT_EQ(run.dialog().RunningPumps(), 1);
    }
}

// Every device change is answered TRUE whatever it carries, and a record is read only inside
// the size it gives: a copy that SendRawDeviceChange makes ends exactly at the record's last
// byte, where ASan watches.
TEST(DeviceEvents, MalformedRecordsAreAnsweredTrueAndReadOnlyInsideTheirSize) {
    Capturing c;
    HWND window = c.run->window();
    const auto good = notify::InterfaceRecordBytes(kUsb, GUID_DEVINTERFACE_USB_DEVICE);
    std::vector<uint8_t> unterminated = good, wrongType = good;
    unterminated[unterminated.size() - 2] = 'X';
    unterminated[unterminated.size() - 1] = 0;
    wrongType[4] = DBT_DEVTYP_VOLUME;
    std::vector<uint8_t> shortHeader(good.begin(), good.begin() + 8);
    shortHeader[0] = 8;
    shortHeader[1] = 0;
    std::mt19937 random(1234);
    c.run->onUi([&] {
        for (WPARAM event : {DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE, DBT_DEVNODES_CHANGED,
                             DBT_DEVICEQUERYREMOVE}) {
            EXPECT_EQ(notify::SendRawDeviceChange(window, event, LPARAM(0)), TRUE);
            EXPECT_EQ(notify::SendRawDeviceChange(window, event, nullptr, 0), TRUE);
            for (const auto* record : {&unterminated, &wrongType, &shortHeader})
                EXPECT_EQ(
                    notify::SendRawDeviceChange(window, event, record->data(), record->size()),
                    TRUE);
        }
    });
    EXPECT_FALSE(c.run->dialog().m_devicePresent) << "no malformed record counts as the device";
    EXPECT_TRUE(c.run->dialog().m_capture.isOpened());
    c.run->onUi([&] {
        EXPECT_EQ(notify::SendRawDeviceChange(window, DBT_DEVICEARRIVAL, good.data(), good.size()),
                  TRUE);
    });
    EXPECT_TRUE(c.run->dialog().m_devicePresent);
    c.run->onUi([&] {
        for (int i = 0; i < 3000; ++i) {
            std::vector<uint8_t> record = good;
            record.resize(4 + random() % (good.size() + 4));
            for (auto& byte : record)
                if (random() % 8 == 0)
                    byte = static_cast<uint8_t>(random());
            // The size field covers at most the bytes there are, as the system guarantees.
            const uint32_t size = static_cast<uint32_t>(random() % (record.size() + 1));
            std::memcpy(record.data(), &size, 4);
            const WPARAM event = random() % 2 ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE;
            EXPECT_EQ(notify::SendRawDeviceChange(window, event, record.data(), record.size()),
                      TRUE);
        }
    });
}

} // namespace
