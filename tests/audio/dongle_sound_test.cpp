// The dongle's sound against a real PulseAudio server: a tone fed into the dongle's input
// arrives at the speakers, the microphone's never does; the sound follows the default output,
// comes back after a restart of the server, ends with its owner and when the input goes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/audio/dongle_sound.h"
#include "tests/support/alsa_cards.h"
#include "tests/support/dialog_harness.h"
#include "tests/support/pulse_server.h"

namespace {

using platform::audio::DongleSound;
using platform::audio::UsbDevice;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

const UsbDevice kPlayedDongle{"/devices/pci0000:00/0000:00:14.0/usb1/1-4",
                              "pci-0000:00:14.0-usb-0:4", "3188", "1000"};
constexpr double kDongleHz = 1000;
constexpr double kMicrophoneHz = 750;

class DongleSoundTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.start());
        // The microphone is the server's default input: the default is never taken for it.
        m_server.pactl("set-default-source mic");
        m_dongleFeed =
            std::make_unique<testing_support::PipeFeeder>(m_server.pipe("dongle"), kDongleHz);
        m_micFeed =
            std::make_unique<testing_support::PipeFeeder>(m_server.pipe("mic"), kMicrophoneHz);
    }

    // Waits (up to 8 s, four times the 2 s allowed) until the monitor carries the dongle's
    // tone, then checks a half second of it for both tones.
    void ExpectDongleTone(const std::string& monitor) {
        testing_support::MonitorRecorder recorder(monitor);
        ASSERT_TRUE(recorder.ok());
        std::vector<int16_t> samples;
        bool heard = false;
        for (int i = 0; i < 80 && !heard; ++i)
            heard = recorder.read(samples, testing_support::kSoundRate / 10) &&
                    testing_support::ToneShare(samples, kDongleHz) > 0.5;
        ASSERT_TRUE(heard) << "no dongle tone at " << monitor;
        ASSERT_TRUE(recorder.read(samples, testing_support::kSoundRate / 2));
        // In 20 ms blocks (whole periods of both tones): a frame dropped or repeated against
        // drift, or a late piece on a busy machine, shifts the tone's phase, which only the
        // block it falls in sees. Under a sanitizer on a loaded machine pieces come late
        // often, so most blocks, not nearly all, must carry the tone whole.
        int toneBlocks = 0;
        const size_t block = testing_support::kSoundRate / 50 * 2;
        for (size_t at = 0; at + block <= samples.size(); at += block) {
            const std::vector<int16_t> part(samples.begin() + at, samples.begin() + at + block);
            toneBlocks += testing_support::ToneShare(part, kDongleHz) > 0.8;
            EXPECT_LT(testing_support::ToneShare(part, kMicrophoneHz), 0.1); // mixed in: 0.5
        }
        EXPECT_GE(toneBlocks, 13) << "of 25 blocks";
    }

    // Streams of any client but the test's own recorders.
    std::string VistrelStreams() {
        return m_server.pactl("list sink-inputs") + m_server.pactl("list source-outputs");
    }

    testing_support::PulseServer m_server{{
        {"mic", "device.bus_path=pci-0000:00:1f.3 device.vendor.id=8086 device.product.id=a348"},
        {"dongle", "device.vendor.id=3188 device.product.id=1000 "
                   "device.bus_path=pci-0000:00:14.0-usb-0:4:1.1 "
                   "sysfs.path=/devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.1/sound/card1"},
    }};
    std::unique_ptr<testing_support::PipeFeeder> m_dongleFeed, m_micFeed;
};

TEST_F(DongleSoundTest, PlaysTheDongleOnTheDefaultOutputAndFollowsItUntilStopped) {
    auto sound = std::make_unique<DongleSound>(kPlayedDongle);
    ExpectDongleTone("speakers.monitor");
    EXPECT_EQ(sound->playingSource(), "dongle");
    const std::string streams = VistrelStreams();
    EXPECT_NE(streams.find("application.name = \"Vistrel\""), std::string::npos) << streams;
    EXPECT_NE(streams.find("media.role = \"video\""), std::string::npos);
    EXPECT_NE(streams.find("application.icon_name = \"vistrel\""), std::string::npos);

    // A picture slower than the sound holds the sound back behind it, and lets it go again
    // (within 8 s: the input's pieces come late on a busy machine).
    sound->setPictureDelay(150ms);
    EXPECT_TRUE(testing_support::WaitUntil([&] { return sound->soundLatency() >= 150ms; }, 8s))
        << sound->soundLatency().count();
    sound->setPictureDelay(0ms);
    EXPECT_TRUE(testing_support::WaitUntil([&] { return sound->soundLatency() < 100ms; }, 8s))
        << sound->soundLatency().count();

    // Headphones plugged in: a new default output, and the sound moves there.
    m_server.pactl("load-module module-null-sink sink_name=headphones rate=48000");
    m_server.pactl("set-default-sink headphones");
    ExpectDongleTone("headphones.monitor");

    sound.reset();
    EXPECT_EQ(VistrelStreams().find("Vistrel"), std::string::npos) << VistrelStreams();
}

TEST_F(DongleSoundTest, ComesBackAfterAServerRestartAndEndsQuietlyWhenTheInputGoes) {
    DongleSound sound(kPlayedDongle);
    ExpectDongleTone("speakers.monitor");
    m_server.stop();
    ASSERT_TRUE(m_server.start());
    ExpectDongleTone("speakers.monitor");

    // Unplugged: the input goes first. The stream is not moved to the microphone; nothing of
    // Vistrel's is left on the server.
    testing::internal::CaptureStderr();
    const std::string modules = m_server.pactl("list short modules");
    const size_t line = modules.rfind('\n', modules.find("source_name=dongle")) + 1;
    m_server.pactl("unload-module " + modules.substr(line, modules.find('\t', line) - line));
    for (int i = 0; i < 80 && !sound.playingSource().empty(); ++i)
        std::this_thread::sleep_for(100ms);
    EXPECT_EQ(sound.playingSource(), "");
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(VistrelStreams().find("Vistrel"), std::string::npos) << VistrelStreams();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// No sound server: the dongle's ALSA card (found in a sysfs tree of the test's) plays on ALSA's
// "default" (tests/support/alsa_cards.h: card 0 is the computer's microphone, card 1 the
// dongle's).
class DongleSoundWithoutServer : public testing::Test {
protected:
    // Waits (up to 8 s) for `test` to hold, looking every 50 ms.
    template <typename Test> static bool Within8s(Test test) {
        for (int i = 0; i < 160 && !test(); ++i)
            std::this_thread::sleep_for(50ms);
        return test();
    }

    testing_support::AlsaCards m_alsa{2};
    const fs::path m_card = m_alsa.sysRoot() + kPlayedDongle.sysfsPath + "/1-4:1.1/sound/card1";
    testing_support::PipeFeeder m_micFeed{m_alsa.pipe(0), kMicrophoneHz};
    testing_support::PipeFeeder m_dongleFeed{m_alsa.pipe(1), kDongleHz};
};

TEST_F(DongleSoundWithoutServer, PlaysTheDonglesCardWhileItIsThereAndSaysNothing) {
    testing::internal::CaptureStderr();
    DongleSound sound(kPlayedDongle, m_alsa.sysRoot());
    // No card under the device yet (a dongle without sound): silence, and no other card taken.
    std::this_thread::sleep_for(700ms);
    EXPECT_EQ(sound.playingSource(), "");
    EXPECT_EQ(m_alsa.playedBytes(), 0u);

    // The card comes (it is looked for every 500 ms): its tone, and nothing of the microphone's.
    fs::create_directories(m_card);
    ASSERT_TRUE(Within8s([&] { return m_alsa.playedBytes() >= testing_support::kSoundRate * 4; }));
    EXPECT_EQ(sound.playingSource(), "plughw:1");
    std::vector<int16_t> samples(testing_support::kSoundRate / 2 * 2);
    std::ifstream(m_alsa.playedFile(), std::ios::binary)
        .read(reinterpret_cast<char*>(samples.data()), std::streamsize(samples.size() * 2));
    // In 20 ms blocks, as on the server's way: a frame repeated against drift shifts the
    // tone's phase, which only its own block sees.
    int toneBlocks = 0;
    const size_t block = testing_support::kSoundRate / 50 * 2;
    for (size_t at = 0; at + block <= samples.size(); at += block) {
        const std::vector<int16_t> part(samples.begin() + at, samples.begin() + at + block);
        toneBlocks += testing_support::ToneShare(part, kDongleHz) > 0.8;
        EXPECT_LT(testing_support::ToneShare(part, kMicrophoneHz), 0.1);
    }
    EXPECT_GE(toneBlocks, 13) << "of 25 blocks";

    // A slower picture holds the sound back to follow it.
    sound.setPictureDelay(100ms);
    EXPECT_TRUE(Within8s([&] { return sound.soundLatency() >= 100ms; })) << sound.soundLatency();

    // Unplugged: the card goes, and its sound ends.
    fs::remove_all(m_card.parent_path());
    ASSERT_TRUE(Within8s([&] { return sound.playingSource().empty(); }));
    const size_t played = m_alsa.playedBytes();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(m_alsa.playedBytes(), played);
    EXPECT_EQ(sound.soundLatency(), 0us);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

} // namespace
