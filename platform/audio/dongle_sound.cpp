// The dongle's sound: the public face of the sound thread.
#include "platform/audio/dongle_sound.h"

#include <mutex>

#include "platform/audio/pulse_session.h"

namespace platform::audio {

namespace {
std::mutex g_sysfsMutex;
std::string g_sysfsRoot = "/sys";
} // namespace

void DongleSound::ReadSysfsAt(std::string root) {
    std::lock_guard lock(g_sysfsMutex);
    g_sysfsRoot = std::move(root);
}

DongleSound::DongleSound(UsbDevice device)
    : m_session(std::make_unique<PulseSession>(std::move(device))) {}

DongleSound::~DongleSound() = default;

std::unique_ptr<DongleSound> DongleSound::ForVideoNode(int index) {
    std::string root;
    {
        std::lock_guard lock(g_sysfsMutex);
        root = g_sysfsRoot;
    }
    auto device = FindUsbDevice(root, index);
    if (!device)
        return nullptr;
    return std::make_unique<DongleSound>(std::move(*device));
}

void DongleSound::setPictureDelay(std::chrono::microseconds delay) {
    m_session->setPictureDelay(delay);
}

std::string DongleSound::playingSource() const {
    return m_session->playingSource();
}

std::chrono::microseconds DongleSound::soundLatency() const {
    return m_session->soundLatency();
}

} // namespace platform::audio
