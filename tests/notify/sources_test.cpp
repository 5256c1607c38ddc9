#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>

#include "fake_ui.h"
#include "platform/notify/logind_source.h"
#include "platform/notify/simulated_notifications.h"
#include "platform/notify/udev_source.h"
#include "platform/win32/com.h"

using namespace platform::notify;
using notify_test::FakeUi;

extern char** environ;

namespace {

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

// What a source reported, waited for with a bound.
class Received {
public:
    void add(DWORD value) {
        std::lock_guard lock(mutex_);
        values_.push_back(value);
        changed_.notify_all();
    }
    bool waitFor(DWORD value, std::chrono::seconds bound = std::chrono::seconds(10)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, bound, [&] {
            return std::find(values_.begin(), values_.end(), value) != values_.end();
        });
    }
    size_t count() {
        std::lock_guard lock(mutex_);
        return values_.size();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<DWORD> values_;
};

TEST(RealSources, StopPromptlyWhateverTheHostHas) {
    // Here udev and the system bus may or may not exist; either way start and stop return.
    for (int i = 0; i < 3; ++i) {
        Received interfaces, power;
        {
            UdevSource udev([&](const InterfaceEvent& e) { interfaces.add(e.event); });
            LogindSource logind([&](DWORD e) { power.add(e); });
        }
    }
}

TEST(RealSources, RunOnWithoutASystemBus) {
    ScopedEnv bus("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/vistrel-test-bus");
    Received power;
    LogindSource logind([&](DWORD e) { power.add(e); });
    std::this_thread::yield();
    EXPECT_EQ(power.count(), 0u);
}

TEST(RealSources, PrepareForSleepMapsToPowerEvents) {
    EXPECT_EQ(PowerEventForPrepareForSleep(true), DWORD(PBT_APMSUSPEND));
    EXPECT_EQ(PowerEventForPrepareForSleep(false), DWORD(PBT_APMRESUMEAUTOMATIC));
}

TEST(RealSources, DisabledSourcesDoNotStartWithRegistration) {
    FakeUi ui; // disables them
    HWND window = ui.createWindow();
    ASSERT_NE(
        ui.registerFor(window, GUID_DEVINTERFACE_USB_DEVICE, DEVICE_NOTIFY_ALL_INTERFACE_CLASSES),
        nullptr);
    EXPECT_FALSE(RealNotificationSourcesRunning());
    ui.run();
    EXPECT_TRUE(ui.sent().empty());

    // Enabled while a window is registered they start, and disabling stops them again.
    SetRealNotificationSourcesEnabled(true);
    EXPECT_TRUE(RealNotificationSourcesRunning());
    SetRealNotificationSourcesEnabled(false);
    EXPECT_FALSE(RealNotificationSourcesRunning());
}

// A private bus standing in for the system bus, with a stand-in for systemd-logind on it.
class PrivateBus : public testing::Test {
protected:
    void SetUp() override {
        if (access("/usr/bin/dbus-daemon", X_OK) != 0)
            GTEST_SKIP() << "dbus-daemon is not installed";
        dir_ = std::filesystem::temp_directory_path() / ("vistrel-bus-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
        const std::string socket = (dir_ / "bus").string();
        address_ = "unix:path=" + socket;
        const std::string addressArg = "--address=" + address_;
        const char* argv[] = {"dbus-daemon", "--session",        "--nofork",
                              "--nopidfile", addressArg.c_str(), nullptr};
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
        const int spawned = posix_spawn(&daemon_, "/usr/bin/dbus-daemon", &quiet, nullptr,
                                        const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&quiet);
        ASSERT_EQ(spawned, 0);
        for (int i = 0; i < 200 && !std::filesystem::exists(socket); ++i)
            usleep(25000);
        ASSERT_TRUE(std::filesystem::exists(socket)) << "the bus did not come up";

        ASSERT_GE(sd_bus_new(&logind_), 0);
        ASSERT_GE(sd_bus_set_address(logind_, address_.c_str()), 0);
        ASSERT_GE(sd_bus_set_bus_client(logind_, 1), 0);
        ASSERT_GE(sd_bus_start(logind_), 0);
        ASSERT_GE(sd_bus_request_name(logind_, "org.freedesktop.login1", 0), 0);
    }
    void TearDown() override {
        if (logind_)
            sd_bus_flush_close_unref(logind_);
        if (daemon_ > 0) {
            kill(daemon_, SIGTERM);
            waitpid(daemon_, nullptr, 0);
        }
        if (!dir_.empty())
            std::filesystem::remove_all(dir_);
    }
    void prepareForSleep(bool sleeping) {
        ASSERT_GE(sd_bus_emit_signal(logind_, "/org/freedesktop/login1",
                                     "org.freedesktop.login1.Manager", "PrepareForSleep", "b",
                                     int(sleeping)),
                  0);
        sd_bus_flush(logind_);
    }

    std::filesystem::path dir_;
    std::string address_;
    pid_t daemon_ = 0;
    sd_bus* logind_ = nullptr;
};

TEST_F(PrivateBus, LogindSignalsBecomeResumeAndSuspend) {
    ScopedEnv bus("DBUS_SYSTEM_BUS_ADDRESS", address_);
    Received power;
    LogindSource source([&](DWORD e) { power.add(e); });

    // The source subscribes on its own thread; signal until it has heard one.
    bool resumed = false;
    for (int i = 0; i < 100 && !resumed; ++i) {
        prepareForSleep(false);
        usleep(50000);
        resumed = power.waitFor(PBT_APMRESUMEAUTOMATIC, std::chrono::seconds(0));
    }
    ASSERT_TRUE(resumed);
    prepareForSleep(true);
    EXPECT_TRUE(power.waitFor(PBT_APMSUSPEND));
}

TEST_F(PrivateBus, SignalsFromAnyoneButLogindAreIgnored) {
    ScopedEnv bus("DBUS_SYSTEM_BUS_ADDRESS", address_);
    Received power;
    LogindSource source([&](DWORD e) { power.add(e); });
    sd_bus* other = nullptr;
    ASSERT_GE(sd_bus_new(&other), 0);
    sd_bus_set_address(other, address_.c_str());
    sd_bus_set_bus_client(other, 1);
    ASSERT_GE(sd_bus_start(other), 0);
    // Another sender, then logind: once logind's signal is heard, the impostor's (sent
    // first, on the same bus) would have been too.
    bool heard = false;
    for (int i = 0; i < 100 && !heard; ++i) {
        sd_bus_emit_signal(other, "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                           "PrepareForSleep", "b", 1);
        sd_bus_flush(other);
        prepareForSleep(false);
        usleep(50000);
        heard = power.waitFor(PBT_APMRESUMEAUTOMATIC, std::chrono::seconds(0));
    }
    sd_bus_flush_close_unref(other);
    ASSERT_TRUE(heard);
    EXPECT_FALSE(power.waitFor(PBT_APMSUSPEND, std::chrono::seconds(0)));
}

TEST_F(PrivateBus, StopsWhenTheBusGoesAway) {
    ScopedEnv bus("DBUS_SYSTEM_BUS_ADDRESS", address_);
    Received power;
    auto source = std::make_unique<LogindSource>([&](DWORD e) { power.add(e); });
    kill(daemon_, SIGTERM);
    waitpid(daemon_, nullptr, 0);
    daemon_ = 0;
    source.reset(); // must not hang
}

} // namespace
