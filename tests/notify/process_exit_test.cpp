#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>

#include "platform/backend/backend.h"
#include "platform/notify/real_sources.h"
#include "platform/win32/api.h"
#include "platform/win32/com.h"

using namespace platform::notify;

namespace {

// Registers a window, so that the host's sources start, then exits with them running: exit
// must stop them and return. The alarm turns a hang into a failure.
[[noreturn]] void RegisterAndExit() {
    alarm(30);
    platform::SetBackend(platform::CreateHeadlessBackend());
    HWND window = CreateWindowExW(0, u"ExitTestWindow", u"exit", WS_OVERLAPPED, 0, 0, 200, 100,
                                  nullptr, nullptr, nullptr, nullptr);
    SetRealNotificationSourcesEnabled(true);
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    if (!RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_ALL_INTERFACE_CLASSES) ||
        !RealNotificationSourcesRunning())
        std::_Exit(3);
    std::exit(0);
}

TEST(ProcessExitDeathTest, StopsRunningSourcesWithoutHanging) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RegisterAndExit(), testing::ExitedWithCode(0), "");
}

} // namespace
