// Notifications delivered to real windows of the window manager, on the
// headless desktop.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "platform/backend/backend.h"
#include "platform/notify/simulated_notifications.h"
#include "platform/win32/api.h"
#include "platform/win32/com.h"
#include "platform/window/ui_thread.h"

using namespace platform::notify;

namespace {

struct Seen {
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    std::thread::id thread;
    DWORD size = 0;
    DWORD type = 0;
    GUID classGuid{};
    std::u16string name;
};

std::vector<Seen>* g_seen = nullptr;

LRESULT RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message == WM_DEVICECHANGE || message == WM_POWERBROADCAST) && g_seen) {
        Seen s;
        s.window = hwnd;
        s.message = message;
        s.wParam = wParam;
        s.thread = std::this_thread::get_id();
        if (message == WM_DEVICECHANGE && lParam) {
            const auto* r = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(lParam);
            s.size = r->dbcc_size;
            s.type = r->dbcc_devicetype;
            s.classGuid = r->dbcc_classguid;
            s.name = reinterpret_cast<const char16_t*>(r->dbcc_name);
        }
        g_seen->push_back(s);
        return TRUE;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

std::u16string Wide(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

class WindowDelivery : public testing::Test {
protected:
    void SetUp() override {
        SetRealNotificationSourcesEnabled(false);
        platform::SetBackend(platform::CreateHeadlessBackend());
        g_seen = &seen;
    }
    void TearDown() override {
        for (HWND w : windows)
            if (IsWindow(w))
                DestroyWindow(w);
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
    static HDEVNOTIFY registerAll(HWND w) {
        DEV_BROADCAST_DEVICEINTERFACE_W filter{};
        filter.dbcc_size = sizeof filter;
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_classguid = GUID_DEVINTERFACE_USB_DEVICE;
        return RegisterDeviceNotificationW(
            w, &filter, DEVICE_NOTIFY_WINDOW_HANDLE | DEVICE_NOTIFY_ALL_INTERFACE_CLASSES);
    }

    std::vector<Seen> seen;
    std::vector<HWND> windows;
};

TEST_F(WindowDelivery, HotPlugReachesTheWindowProcedureOnTheUiThread) {
    HWND w = topLevel();
    ASSERT_NE(registerAll(w), nullptr);
    std::thread source([] { SimulateCaptureDevicePlugged(0x3188, 0x1234, "0001", "MS2109"); });
    source.join();
    EXPECT_TRUE(seen.empty()) << "delivered only when the UI thread runs";
    platform::PumpUiThread();

    ASSERT_EQ(seen.size(), 2u);
    const std::string usb = UsbInterfaceName(0x3188, 0x1234, "0001");
    const std::string audio = AudioEndpointName("MS2109", AudioFlow::Capture);
    EXPECT_EQ(seen[0].name, Wide(usb));
    EXPECT_EQ(seen[0].classGuid, GUID_DEVINTERFACE_USB_DEVICE);
    EXPECT_EQ(seen[0].size, 28 + 2 * (usb.size() + 1));
    EXPECT_EQ(seen[1].name, Wide(audio));
    EXPECT_EQ(seen[1].classGuid, GUID_DEVINTERFACE_AUDIO_CAPTURE);
    for (const Seen& s : seen) {
        EXPECT_EQ(s.window, w);
        EXPECT_EQ(s.message, UINT(WM_DEVICECHANGE));
        EXPECT_EQ(s.wParam, WPARAM(DBT_DEVICEARRIVAL));
        EXPECT_EQ(s.type, DWORD(DBT_DEVTYP_DEVICEINTERFACE));
        EXPECT_EQ(s.thread, std::this_thread::get_id());
    }
}

TEST_F(WindowDelivery, DestroyedWindowIsSkipped) {
    HWND kept = topLevel();
    HWND doomed = topLevel();
    registerAll(doomed);
    registerAll(kept);
    DestroyWindow(doomed);
    SimulateInterfaceRemoval(UsbInterfaceName(0x3188, 0x1234, "0001"),
                             GUID_DEVINTERFACE_USB_DEVICE);
    platform::PumpUiThread();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].window, kept);
    EXPECT_EQ(seen[0].wParam, WPARAM(DBT_DEVICEREMOVECOMPLETE));
}

TEST_F(WindowDelivery, ResumeIsBroadcastToEveryTopLevelWindow) {
    HWND first = topLevel();
    HWND second = topLevel();
    SimulateResume();
    platform::PumpUiThread();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].window, first);
    EXPECT_EQ(seen[1].window, second);
    for (const Seen& s : seen) {
        EXPECT_EQ(s.message, UINT(WM_POWERBROADCAST));
        EXPECT_EQ(s.wParam, WPARAM(PBT_APMRESUMEAUTOMATIC));
    }
}

TEST_F(WindowDelivery, RawRecordsReachTheWindowAsSent) {
    HWND w = topLevel();
    EXPECT_EQ(SendRawDeviceChange(w, DBT_DEVICEARRIVAL, nullptr, 0), TRUE);
    const auto bytes = InterfaceRecordBytes("\\\\?\\USB#VID_3188", GUID_DEVINTERFACE_USB_DEVICE);
    EXPECT_EQ(SendRawDeviceChange(w, DBT_DEVICEARRIVAL, bytes.data(), bytes.size()), TRUE);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen[0].name.empty());
    EXPECT_EQ(seen[1].name, u"\\\\?\\USB#VID_3188");
}

} // namespace
