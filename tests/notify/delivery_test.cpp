#include <gtest/gtest.h>

#include <thread>

#include "fake_ui.h"
#include "platform/notify/simulated_notifications.h"
#include "platform/win32/com.h"

using namespace platform::notify;
using notify_test::FakeUi;
using notify_test::RecordName;

namespace {

const DWORD kAllClasses = DEVICE_NOTIFY_WINDOW_HANDLE | DEVICE_NOTIFY_ALL_INTERFACE_CLASSES;

const std::string kUsb = UsbInterfaceName(0x3188, 0x1234, "0001");
const std::string kCapture = AudioEndpointName("MS2109", AudioFlow::Capture);

class Registration : public testing::Test {
protected:
    FakeUi ui;
    HWND window = ui.createWindow();
};

TEST_F(Registration, AcceptsTheInterfaceFilterOfAWindow) {
    EXPECT_NE(ui.registerFor(window, GUID_DEVINTERFACE_USB_DEVICE, kAllClasses), nullptr);
    EXPECT_NE(ui.registerFor(window, GUID_DEVINTERFACE_USB_DEVICE, DEVICE_NOTIFY_WINDOW_HANDLE),
              nullptr);
}

TEST_F(Registration, RefusesBadFiltersAndRecipients) {
    DEV_BROADCAST_DEVICEINTERFACE_W good{};
    good.dbcc_size = sizeof good;
    good.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;

    EXPECT_EQ(RegisterDeviceNotificationW(window, nullptr, kAllClasses), nullptr);
    EXPECT_EQ(RegisterDeviceNotificationW(nullptr, &good, kAllClasses), nullptr);
    EXPECT_EQ(RegisterDeviceNotificationW(reinterpret_cast<HWND>(0xdead0), &good, kAllClasses),
              nullptr)
        << "not a window";
    EXPECT_EQ(RegisterDeviceNotificationW(window, &good, DEVICE_NOTIFY_SERVICE_HANDLE), nullptr);
    EXPECT_EQ(RegisterDeviceNotificationW(window, &good, 0x100), nullptr) << "unknown flag";

    DEV_BROADCAST_DEVICEINTERFACE_W bad = good;
    bad.dbcc_devicetype = DBT_DEVTYP_HANDLE;
    EXPECT_EQ(RegisterDeviceNotificationW(window, &bad, kAllClasses), nullptr);
    bad = good;
    bad.dbcc_size = sizeof(DEV_BROADCAST_HDR);
    EXPECT_EQ(RegisterDeviceNotificationW(window, &bad, kAllClasses), nullptr);
    bad.dbcc_size = 0;
    EXPECT_EQ(RegisterDeviceNotificationW(window, &bad, kAllClasses), nullptr);

    // Nothing was registered by the refusals.
    SimulateInterfaceArrival(kUsb, GUID_DEVINTERFACE_USB_DEVICE);
    ui.run();
    EXPECT_TRUE(ui.sent().empty());
}

TEST_F(Registration, UnregisterEndsDeliveryOnce) {
    HDEVNOTIFY handle = ui.registerFor(window, GUID_DEVINTERFACE_USB_DEVICE, kAllClasses);
    EXPECT_EQ(UnregisterDeviceNotification(handle), TRUE);
    EXPECT_EQ(UnregisterDeviceNotification(handle), FALSE);
    EXPECT_EQ(UnregisterDeviceNotification(nullptr), FALSE);
    SimulateInterfaceArrival(kUsb, GUID_DEVINTERFACE_USB_DEVICE);
    ui.run();
    EXPECT_TRUE(ui.sent().empty());
}

TEST_F(Registration, AllClassesTakesEveryInterfaceOneClassOnlyItsOwn) {
    HWND usbOnly = ui.createWindow();
    ui.registerFor(window, GUID_DEVINTERFACE_USB_DEVICE, kAllClasses);
    ui.registerFor(usbOnly, GUID_DEVINTERFACE_USB_DEVICE, DEVICE_NOTIFY_WINDOW_HANDLE);

    SimulateInterfaceArrival(kUsb, GUID_DEVINTERFACE_USB_DEVICE);
    SimulateInterfaceArrival(kCapture, GUID_DEVINTERFACE_AUDIO_CAPTURE);
    ui.run();

    const auto all = ui.sentTo(window);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(RecordName(all[0].record), std::u16string(kUsb.begin(), kUsb.end()));
    EXPECT_EQ(RecordName(all[1].record), std::u16string(kCapture.begin(), kCapture.end()));
    const auto one = ui.sentTo(usbOnly);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(RecordName(one[0].record), std::u16string(kUsb.begin(), kUsb.end()));
}

class Delivery : public Registration {
protected:
    void SetUp() override { ui.registerFor(window, GUID_DEVINTERFACE_USB_DEVICE, kAllClasses); }
};

TEST_F(Delivery, WaitsForTheUserInterfaceThreadAndRunsThere) {
    std::thread source([] {
        SimulateInterfaceArrival(kUsb, GUID_DEVINTERFACE_USB_DEVICE);
        SimulateInterfaceRemoval(kUsb, GUID_DEVINTERFACE_USB_DEVICE);
    });
    source.join();
    EXPECT_TRUE(ui.sent().empty()) << "nothing is sent from the source's thread";
    ui.run();

    const auto sent = ui.sent();
    ASSERT_EQ(sent.size(), 2u);
    for (const auto& m : sent) {
        EXPECT_EQ(m.thread, std::this_thread::get_id());
        EXPECT_EQ(m.window, window);
        EXPECT_EQ(m.message, UINT(WM_DEVICECHANGE));
    }
    EXPECT_EQ(sent[0].wParam, WPARAM(DBT_DEVICEARRIVAL));
    EXPECT_EQ(sent[1].wParam, WPARAM(DBT_DEVICEREMOVECOMPLETE));
}

TEST_F(Delivery, RecordCarriesClassAndName) {
    SimulateInterfaceArrival(kCapture, GUID_DEVINTERFACE_AUDIO_CAPTURE);
    ui.run();
    const auto sent = ui.sent();
    ASSERT_EQ(sent.size(), 1u);
    const auto& r = sent[0].record;
    ASSERT_EQ(r.size(), 28 + 2 * (kCapture.size() + 1));
    DEV_BROADCAST_DEVICEINTERFACE_W head;
    std::memcpy(&head, r.data(), 28);
    EXPECT_EQ(head.dbcc_size, r.size());
    EXPECT_EQ(head.dbcc_devicetype, DWORD(DBT_DEVTYP_DEVICEINTERFACE));
    EXPECT_EQ(head.dbcc_classguid, GUID_DEVINTERFACE_AUDIO_CAPTURE);
    EXPECT_EQ(RecordName(r), std::u16string(kCapture.begin(), kCapture.end()));
}

TEST_F(Delivery, KeepsTheOrderOfEventsAcrossWindows) {
    HWND second = ui.createWindow();
    ui.registerFor(second, GUID_DEVINTERFACE_USB_DEVICE, kAllClasses);
    for (int i = 0; i < 5; ++i)
        SimulateInterfaceArrival(UsbInterfaceName(0x3188, 0x1234, std::to_string(i)),
                                 GUID_DEVINTERFACE_USB_DEVICE);
    ui.run();
    const auto sent = ui.sent();
    ASSERT_EQ(sent.size(), 10u);
    for (int i = 0; i < 5; ++i) {
        // Each event reaches every window before the next event is sent.
        EXPECT_EQ(sent[2 * i].window, window);
        EXPECT_EQ(sent[2 * i + 1].window, second);
        const std::string name = UsbInterfaceName(0x3188, 0x1234, std::to_string(i));
        EXPECT_EQ(RecordName(sent[2 * i].record), std::u16string(name.begin(), name.end()));
        EXPECT_NE(sent[2 * i].lParam, 0);
    }
}

TEST_F(Delivery, SkipsAndForgetsDestroyedWindows) {
    HWND doomed = ui.createWindow();
    ui.registerFor(doomed, GUID_DEVINTERFACE_USB_DEVICE, kAllClasses);
    SimulateInterfaceArrival(kUsb, GUID_DEVINTERFACE_USB_DEVICE);
    ui.destroyWindow(doomed); // between posting and delivery
    ui.run();
    EXPECT_TRUE(ui.sentTo(doomed).empty());
    EXPECT_EQ(ui.sentTo(window).size(), 1u);
    const auto recipients = ProcessRegistrations().recipients(GUID_DEVINTERFACE_USB_DEVICE);
    EXPECT_EQ(std::count(recipients.begin(), recipients.end(), doomed), 0);
}

TEST_F(Delivery, PowerEventsReachEveryTopLevelWindowWithoutRegistration) {
    HWND unregistered = ui.createWindow();
    SimulateResume();
    SimulateSuspend();
    EXPECT_TRUE(ui.sent().empty());
    ui.run();
    for (HWND w : {window, unregistered}) {
        const auto sent = ui.sentTo(w);
        ASSERT_EQ(sent.size(), 2u);
        EXPECT_EQ(sent[0].message, UINT(WM_POWERBROADCAST));
        EXPECT_EQ(sent[0].wParam, WPARAM(PBT_APMRESUMEAUTOMATIC));
        EXPECT_EQ(sent[0].lParam, 0);
        EXPECT_EQ(sent[1].wParam, WPARAM(PBT_APMSUSPEND));
        EXPECT_EQ(sent[0].thread, std::this_thread::get_id());
    }
}

TEST_F(Delivery, CaptureDevicePlugArrivesUsbFirstAndLeavesUsbLast) {
    SimulateCaptureDevicePlugged(0x3188, 0x1234, "0001", "MS2109");
    SimulateCaptureDeviceUnplugged(0x3188, 0x1234, "0001", "MS2109");
    ui.run();
    const auto sent = ui.sent();
    ASSERT_EQ(sent.size(), 4u);
    const std::u16string usb(kUsb.begin(), kUsb.end());
    const std::u16string audio(kCapture.begin(), kCapture.end());
    EXPECT_EQ(RecordName(sent[0].record), usb);
    EXPECT_EQ(RecordName(sent[1].record), audio);
    EXPECT_EQ(RecordName(sent[2].record), audio);
    EXPECT_EQ(RecordName(sent[3].record), usb);
    EXPECT_EQ(sent[1].wParam, WPARAM(DBT_DEVICEARRIVAL));
    EXPECT_EQ(sent[2].wParam, WPARAM(DBT_DEVICEREMOVECOMPLETE));
}

TEST_F(Delivery, RawRecordsGoOutAsGivenAtOnce) {
    ui.copyRecords = false;
    const auto bytes = InterfaceRecordBytes("\\\\?\\X", GUID_DEVINTERFACE_USB_DEVICE);
    std::vector<std::vector<uint8_t>> seen;
    size_t expectedSize = bytes.size() - 2;
    ui.onSend = [&](HWND, UINT, WPARAM, LPARAM lp) {
        if (lp && lp != 0x1234) {
            const auto* p = reinterpret_cast<const uint8_t*>(lp);
            seen.emplace_back(p, p + expectedSize);
        }
    };
    ASSERT_EQ(bytes.size(), 28u + 2 * 6);
    // An unterminated name: the terminator dropped.
    EXPECT_EQ(SendRawDeviceChange(window, DBT_DEVICEARRIVAL, bytes.data(), bytes.size() - 2), TRUE);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(std::equal(seen[0].begin(), seen[0].end(), bytes.begin()));
    expectedSize = 0;
    SendRawDeviceChange(window, DBT_DEVICEARRIVAL, nullptr, 100);
    SendRawDeviceChange(window, DBT_DEVNODES_CHANGED, LPARAM(0x1234));
    SendRawDeviceChange(window, DBT_DEVICEREMOVECOMPLETE, bytes.data(), 0);
    EXPECT_EQ(ui.queued(), 0u);

    const auto sent = ui.sent();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_NE(sent[0].lParam, 0);
    EXPECT_NE(sent[0].lParam, reinterpret_cast<LPARAM>(bytes.data())) << "a copy";
    EXPECT_EQ(sent[1].lParam, 0);
    EXPECT_EQ(sent[2].wParam, WPARAM(DBT_DEVNODES_CHANGED));
    EXPECT_EQ(sent[2].lParam, 0x1234);
    EXPECT_EQ(sent[3].wParam, WPARAM(DBT_DEVICEREMOVECOMPLETE));
}

} // namespace
