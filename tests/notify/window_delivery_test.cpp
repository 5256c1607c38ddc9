// Notifications delivered to real windows of the window manager, on the headless desktop.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "platform/backend/backend.h"
#include "platform/notify/real_sources.h"
#include "platform/notify/registrations.h"
#include "platform/notify/simulated_notifications.h"
#include "platform/win32/api.h"
#include "platform/win32/com.h"
#include "platform/window/ui_thread.h"

using namespace platform::notify;

namespace {

const DWORD kAllClasses = DEVICE_NOTIFY_WINDOW_HANDLE | DEVICE_NOTIFY_ALL_INTERFACE_CLASSES;
const std::string kUsb = UsbInterfaceName(0x3188, 0x1234, "0001");
const std::string kCapture = AudioEndpointName("MS2109", AudioFlow::Capture);

struct Seen {
    HWND window;
    UINT message;
    WPARAM wParam;
    std::thread::id thread;
    std::u16string name;
    GUID classGuid;
};

std::vector<Seen>* g_seen = nullptr;

LRESULT RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message != WM_DEVICECHANGE && message != WM_POWERBROADCAST) || !g_seen)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    Seen s{hwnd, message, wParam, std::this_thread::get_id(), {}, {}};
    if (message == WM_DEVICECHANGE && lParam) {
        const auto* r = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(lParam);
        EXPECT_EQ(r->dbcc_devicetype, DWORD(DBT_DEVTYP_DEVICEINTERFACE));
        s.name = reinterpret_cast<const char16_t*>(r->dbcc_name);
        s.classGuid = r->dbcc_classguid;
        EXPECT_EQ(r->dbcc_size, 28 + 2 * (s.name.size() + 1));
    }
    g_seen->push_back(s);
    return TRUE;
}

class WindowDelivery : public testing::Test {
protected:
    void SetUp() override {
        SetRealNotificationSourcesEnabled(false);
        platform::SetBackend(platform::CreateHeadlessBackend());
        g_seen = &seen;
    }
    void TearDown() override {
        for (HWND w : windows) {
            ProcessRegistrations().removeWindow(w);
            if (IsWindow(w))
                DestroyWindow(w);
        }
        platform::PumpUiThread();
        g_seen = nullptr;
    }
    HWND topLevel() {
        HWND w = CreateWindowExW(0, u"NotifyTestWindow", u"notify", WS_OVERLAPPED, 0, 0, 200, 100,
                                 nullptr, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc));
        windows.push_back(w);
        return w;
    }
    static HDEVNOTIFY registerFor(HWND w, DWORD flags = kAllClasses) {
        DEV_BROADCAST_DEVICEINTERFACE_W filter{};
        filter.dbcc_size = sizeof filter;
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_classguid = GUID_DEVINTERFACE_USB_DEVICE;
        return RegisterDeviceNotificationW(w, &filter, flags);
    }

    std::vector<Seen> seen;
    std::vector<HWND> windows;
};

TEST_F(WindowDelivery, RegistrationAcceptsOnlyInterfaceFiltersOfWindows) {
    HWND w = topLevel();
    DEV_BROADCAST_DEVICEINTERFACE_W good{};
    good.dbcc_size = sizeof good;
    good.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    auto handleType = good, headerOnly = good, sizeZero = good;
    handleType.dbcc_devicetype = DBT_DEVTYP_HANDLE;
    headerOnly.dbcc_size = sizeof(DEV_BROADCAST_HDR);
    sizeZero.dbcc_size = 0;
    const struct {
        HWND recipient;
        DEV_BROADCAST_DEVICEINTERFACE_W* filter;
        DWORD flags;
        bool accepted;
    } cases[] = {
        {w, &good, kAllClasses, true},
        {w, &good, DEVICE_NOTIFY_WINDOW_HANDLE, true},
        {w, nullptr, kAllClasses, false},
        {nullptr, &good, kAllClasses, false},
        {reinterpret_cast<HWND>(0xdead0), &good, kAllClasses, false}, // not a window
        {w, &good, DEVICE_NOTIFY_SERVICE_HANDLE, false},
        {w, &good, 0x100, false}, // unknown flag
        {w, &handleType, kAllClasses, false},
        {w, &headerOnly, kAllClasses, false},
        {w, &sizeZero, kAllClasses, false},
    };
    for (const auto& c : cases) {
        HDEVNOTIFY h = RegisterDeviceNotificationW(c.recipient, c.filter, c.flags);
        EXPECT_EQ(h != nullptr, c.accepted) << &c - cases;
        if (h) {
            EXPECT_EQ(UnregisterDeviceNotification(h), TRUE);
            EXPECT_EQ(UnregisterDeviceNotification(h), FALSE);
        }
    }
    EXPECT_EQ(UnregisterDeviceNotification(nullptr), FALSE);
    // Refused and unregistered filters deliver nothing.
    SimulateInterfaceArrival(kUsb, GUID_DEVINTERFACE_USB_DEVICE);
    platform::PumpUiThread();
    EXPECT_TRUE(seen.empty());
}

// The USB interface arrives first and leaves last; power events reach every top-level window,
// registered or not; all of it on the user-interface thread, none from the source's.
TEST_F(WindowDelivery, HotPlugAndPowerReachTheWindowsInOrderOnTheUiThread) {
    HWND registered = topLevel(), unregistered = topLevel();
    registerFor(registered);
    std::thread source([] {
        SimulateCaptureDevicePlugged(0x3188, 0x1234, "0001", "MS2109");
        SimulateCaptureDeviceUnplugged(0x3188, 0x1234, "0001", "MS2109");
        SimulateResume();
    });
    source.join();
    EXPECT_TRUE(seen.empty()) << "nothing is sent from the source's thread";
    platform::PumpUiThread();

    const UINT change = WM_DEVICECHANGE, power = WM_POWERBROADCAST;
    const GUID none{};
    const struct {
        HWND window;
        UINT message;
        WPARAM wParam;
        const std::string name;
        const GUID& classGuid;
    } expected[] = {
        {registered, change, DBT_DEVICEARRIVAL, kUsb, GUID_DEVINTERFACE_USB_DEVICE},
        {registered, change, DBT_DEVICEARRIVAL, kCapture, GUID_DEVINTERFACE_AUDIO_CAPTURE},
        {registered, change, DBT_DEVICEREMOVECOMPLETE, kCapture, GUID_DEVINTERFACE_AUDIO_CAPTURE},
        {registered, change, DBT_DEVICEREMOVECOMPLETE, kUsb, GUID_DEVINTERFACE_USB_DEVICE},
        {registered, power, PBT_APMRESUMEAUTOMATIC, "", none},
        {unregistered, power, PBT_APMRESUMEAUTOMATIC, "", none},
    };
    ASSERT_EQ(seen.size(), std::size(expected));
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].window, expected[i].window) << i;
        EXPECT_EQ(seen[i].thread, std::this_thread::get_id());
        EXPECT_EQ(seen[i].message, expected[i].message) << i;
        EXPECT_EQ(seen[i].wParam, expected[i].wParam) << i;
        EXPECT_EQ(seen[i].name, std::u16string(expected[i].name.begin(), expected[i].name.end()))
            << i;
        EXPECT_EQ(seen[i].classGuid, expected[i].classGuid) << i;
    }
}

TEST_F(WindowDelivery, SkipsAndForgetsDestroyedWindows) {
    HWND kept = topLevel();
    HWND doomed = topLevel();
    registerFor(doomed);
    registerFor(kept);
    SimulateInterfaceRemoval(kUsb, GUID_DEVINTERFACE_USB_DEVICE);
    DestroyWindow(doomed); // between posting and delivery
    platform::PumpUiThread();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].window, kept);
    EXPECT_EQ(seen[0].wParam, WPARAM(DBT_DEVICEREMOVECOMPLETE));
    const auto recipients = ProcessRegistrations().recipients(GUID_DEVINTERFACE_USB_DEVICE);
    EXPECT_EQ(std::count(recipients.begin(), recipients.end(), doomed), 0);
}

TEST_F(WindowDelivery, DisabledSourcesDoNotStartWithRegistration) {
    ASSERT_NE(registerFor(topLevel()), nullptr);
    EXPECT_FALSE(RealNotificationSourcesRunning());
    // Enabled while a window is registered they start; disabling stops them again.
    SetRealNotificationSourcesEnabled(true);
    EXPECT_TRUE(RealNotificationSourcesRunning());
    SetRealNotificationSourcesEnabled(false);
    EXPECT_FALSE(RealNotificationSourcesRunning());
}

} // namespace
