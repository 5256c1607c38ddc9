#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

#include "platform/notify/logind_source.h"
#include "platform/notify/udev_source.h"
#include "platform/win32/constants.h"

using namespace platform::notify;

namespace {

TEST(RealSources, StartAndStopPromptlyWhateverTheHostHas) {
    // Here udev and the system bus may or may not exist; either way start and stop return.
    std::atomic<int> events = 0;
    for (int i = 0; i < 3; ++i) {
        UdevSource udev([&](const InterfaceEvent&) { ++events; });
        LogindSource logind([&](DWORD) { ++events; });
    }
    const char* old = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    const std::string saved = old ? old : "";
    setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/vistrel-test-bus", 1);
    {
        LogindSource withoutBus([&](DWORD) { ++events; });
    }
    old ? setenv("DBUS_SYSTEM_BUS_ADDRESS", saved.c_str(), 1) : unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

} // namespace
