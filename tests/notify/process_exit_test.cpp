#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>

#include "platform/notify/real_sources.h"
#include "platform/notify/transport.h"
#include "platform/win32/api.h"
#include "platform/win32/com.h"

using namespace platform::notify;

namespace {

// Registers a window, so that the host's sources start, then exits with them running: exit
// must stop them and return. The alarm turns a hang into a failure.
[[noreturn]] void RegisterAndExit() {
    alarm(30);
    auto transport = std::make_shared<Transport>();
    transport->postToUiThread = [](std::function<void()>) {};
    transport->isWindow = [](HWND) { return true; };
    SetTransportForTesting(transport);
    SetRealNotificationSourcesEnabled(true);
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    if (!RegisterDeviceNotificationW(reinterpret_cast<HWND>(0x10), &filter,
                                     DEVICE_NOTIFY_ALL_INTERFACE_CLASSES) ||
        !RealNotificationSourcesRunning())
        std::_Exit(3);
    std::exit(0);
}

TEST(ProcessExitDeathTest, StopsRunningSourcesWithoutHanging) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RegisterAndExit(), testing::ExitedWithCode(0), "");
}

} // namespace
