// The vistrel binary with the dongle's sound: the test dongle for its picture, a umockdev tree
// for udev and sysfs (the dongle's USB device with its video node and its sound card) and a
// private PulseAudio server whose pipe sources stand for the dongle's sound input, at the
// card's sysfs place, and a microphone. What the speakers' monitor records tells which input
// plays; the X screen tells the live picture from the no-signal screen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "tests/support/dialog_harness.h"
#include "tests/support/pulse_server.h"
#include "tests/support/viewer_process.h"

#include <umockdev.h> // last: GLib defines TRUE and FALSE only where they are not yet

namespace {

using namespace std::chrono_literals;
using namespace testing_support;

constexpr double kDongleHz = 1000, kMicrophoneHz = 440;
const char* const kDongleSource =
    "module-pipe-source source_name=dongle format=s16le rate=48000 channels=2";
const char* const kDongleProperties = "device.bus=usb device.vendor.id=3188 device.product.id=1234 "
                                      "sysfs.path=/devices/1-1/1-1:1.2/sound/card1";

// The dongle's USB device in a umockdev testbed: its video interface and node, its audio
// interface and sound card, added parents first (each with its uevent) and removed children
// first, as the kernel does. The dongle's node follows a plug file (its plugged-while entry).
class TestbedDongle {
public:
    TestbedDongle() : m_testbed(umockdev_testbed_new()) {
        gchar* root = umockdev_testbed_get_root_dir(m_testbed);
        m_root = root;
        g_free(root);
    }
    ~TestbedDongle() { g_object_unref(m_testbed); }
    std::string root() const { return m_root; }
    std::string plugFile() const { return m_root + "/dongle-plugged"; }

    void plug() {
        std::ofstream(plugFile()).put('\n');
        add("usb", "1-1", {"idVendor", "3188", "idProduct", "1234", "serial", "HDMI0001"},
            {"DEVTYPE", "usb_device", "PRODUCT", "3188/1234/100", "ID_SERIAL_SHORT", "HDMI0001"});
        add("usb", "1-1/1-1:1.0", {"bInterfaceClass", "0e"}, {"DEVTYPE", "usb_interface"});
        const std::string node =
            add("video4linux", "1-1/1-1:1.0/video0", {"name", "Capture", "dev", "81:0"},
                {"DEVNAME", "/dev/video0"});
        // The kernel's link from the node to its interface, which the testbed does not make.
        std::filesystem::create_directory_symlink("..", m_root + node + "/device");
        add("usb", "1-1/1-1:1.2", {"bInterfaceClass", "01"}, {"DEVTYPE", "usb_interface"});
        add("sound", "1-1/1-1:1.2/sound/card1", {"id", "MS2109"}, {});
        add("sound", "1-1/1-1:1.2/sound/card1/pcmC1D0c", {"dev", "116:48"},
            {"DEVNAME", "/dev/snd/pcmC1D0c"});
        add("sound", "1-1/1-1:1.2/sound/card1/controlC1", {"dev", "116:32"},
            {"DEVNAME", "/dev/snd/controlC1"});
    }

    void unplug() {
        std::filesystem::remove(plugFile());
        for (auto path = m_paths.rbegin(); path != m_paths.rend(); ++path)
            umockdev_testbed_uevent(m_testbed, path->c_str(), "remove");
        for (auto path = m_paths.rbegin(); path != m_paths.rend(); ++path)
            umockdev_testbed_remove_device(m_testbed, path->c_str());
        m_paths.clear();
    }

private:
    // `path` lies below /sys/devices, its parents added before it.
    std::string add(const char* subsystem, const char* path, std::vector<const char*> attributes,
                    std::vector<const char*> properties) {
        attributes.push_back(nullptr);
        properties.push_back(nullptr);
        gchar* added = umockdev_testbed_add_devicev(m_testbed, subsystem, path, nullptr,
                                                    const_cast<gchar**>(attributes.data()),
                                                    const_cast<gchar**>(properties.data()));
        m_paths.emplace_back(added);
        g_free(added);
        return m_paths.back();
    }

    UMockdevTestbed* m_testbed;
    std::string m_root;
    std::vector<std::string> m_paths;
};

// Records the speakers in 100 ms pieces until one satisfies `wanted`; false after `bound`.
bool SpeakersWithin(const std::function<bool(const std::vector<int16_t>&)>& wanted,
                    std::chrono::seconds bound) {
    MonitorRecorder speakers("speakers.monitor");
    const auto deadline = std::chrono::steady_clock::now() + bound;
    std::vector<int16_t> piece;
    while (speakers.ok() && std::chrono::steady_clock::now() < deadline) {
        if (speakers.read(piece, kSoundRate / 10) && wanted(piece))
            return true;
    }
    return false;
}

bool DongleTone(const std::vector<int16_t>& piece) {
    return ToneShare(piece, kDongleHz) > 0.5 && ToneShare(piece, kMicrophoneHz) < 0.01;
}

bool Silence(const std::vector<int16_t>& piece) {
    return std::all_of(piece.begin(), piece.end(), [](int16_t s) { return std::abs(s) < 30; });
}

// The dongle's pattern, green on the left and magenta on the right.
bool Live(const cv::Mat& screen) {
    return CountPixels(screen, cv::Scalar(40, 160, 40), 30) > 10000 &&
           CountPixels(screen, cv::Scalar(160, 40, 160), 30) > 10000;
}

bool NoSignal(const cv::Mat& screen) {
    return CountPixels(screen, cv::Scalar(40, 160, 40), 30) == 0 &&
           CountPixels(screen, cv::Scalar(160, 40, 160), 30) == 0 &&
           CountPixels(screen, cv::Scalar(0, 0, 255), 80) > 50; // the picture's red
}

TEST(ViewerWithDongle, PlaysTheDonglesSoundWhileItsPictureIsLive) {
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display";
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a preloaded library does not mix with a sanitizer's runtime";
#endif
    // The testbed's uevents name their devices through libudev, which sees the testbed only
    // under umockdev's preload library: this test runs again in a program started so.
    const char* preload = std::getenv("LD_PRELOAD");
    if (!preload || !std::strstr(preload, "umockdev-preload")) {
        const std::string self = std::filesystem::read_symlink("/proc/self/exe");
        const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        EXPECT_EQ(
            std::system(
                ("umockdev-wrapper " + self + " --gtest_brief=1 --gtest_filter=*." + name).c_str()),
            0);
        return;
    }
    PulseServer server({{"dongle", kDongleProperties},
                        {"microphone", "device.bus=pci device.bus_path=pci-0000:00:1f.3 "
                                       "sysfs.path=/devices/pci0000:00/0000:00:1f.3/sound/card0"}});
    ASSERT_TRUE(server.start());
    // As on a desktop, the microphone is the default input.
    server.pactl("set-default-source microphone");
    PipeFeeder dongleFeed(server.pipe("dongle"), kDongleHz);
    PipeFeeder microphoneFeed(server.pipe("microphone"), kMicrophoneHz);
    TestbedDongle dongle;
    dongle.plug();
    const std::string errors = TempPath("viewer-sound-errors.txt");
    ViewerProcess viewer(VISTREL_BINARY_DIR "/app/vistrel",
                         {"LD_PRELOAD=" VISTREL_DONGLE_LIBRARY " libumockdev-preload.so.0",
                          "UMOCKDEV_DIR=" + dongle.root(), "VISTREL_BACKEND=sdl",
                          "VISTREL_DONGLE=MJPG 1280x720 30; plugged-while " + dongle.plugFile()},
                         errors);
    ASSERT_TRUE(viewer.started());
    const std::string window = viewer.window(20s);
    ASSERT_FALSE(window.empty());
    EXPECT_TRUE(Live(ScreenshotWhen(Live))) << "no live picture";
    EXPECT_TRUE(SpeakersWithin(DongleTone, 8s)) << "the dongle's tone does not play";

    for (const bool inputFirst : {true, false}) {
        SCOPED_TRACE(inputFirst ? "the sound input goes first" : "the video node goes first");
        std::string module =
            server.pactl("list short modules | awk '/source_name=dongle /{print $1}'");
        module.erase(module.find_last_not_of('\n') + 1);
        if (inputFirst) // the stream playing it must end, not move to the microphone
            server.pactl("unload-module " + module);
        dongle.unplug();
        EXPECT_TRUE(NoSignal(ScreenshotWhen(NoSignal))) << "no no-signal screen";
        // The capture's release ends the sound, also while the dongle's input is still there.
        EXPECT_TRUE(SpeakersWithin(Silence, 8s)) << "not silent once unplugged";
        if (!inputFirst)
            server.pactl("unload-module " + module);
        EXPECT_FALSE(SpeakersWithin([](auto& piece) { return !Silence(piece); }, 1s))
            << "another input plays";

        // Replugged: the device and its card, then the server's source for the card.
        dongle.plug();
        server.pactl(std::string("load-module ") + kDongleSource + " file=" +
                     server.pipe("dongle") + " \"source_properties='" + kDongleProperties + "'\"");
        EXPECT_TRUE(Live(ScreenshotWhen(Live))) << "no live picture after the replug";
        EXPECT_TRUE(SpeakersWithin(DongleTone, 8s)) << "no sound after the replug";
    }

    server.stop();
    ASSERT_TRUE(server.start());
    EXPECT_TRUE(SpeakersWithin(DongleTone, 8s)) << "no sound after the server's restart";

    EXPECT_NE(server.pactl("list sink-inputs").find("application.name = \"Vistrel\""),
              std::string::npos);
    ViewerProcess::requestClose(window);
    EXPECT_EQ(viewer.wait(8s), 0);
    EXPECT_EQ(server.pactl("list short sink-inputs"), "");
    std::ifstream said(errors);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(said), {}), "");
}

} // namespace
