// The dongle's sound: the public face of the sound thread, and the choice of the way it takes.
#include "platform/audio/dongle_sound.h"

#include <mutex>

#include "platform/audio/alsa_session.h"
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

// The sound server is tried first: on a desktop it owns the cards (the dongle's is busy to
// anyone else), follows the default output and gives the desktop's volume control its stream.
// Only when the first connection fails (no server: the socket is missing or refuses at once;
// libpulse is told never to start one) does the ALSA card play, from then on: a server that
// starts later is not switched to, since this process holds the card it would take.
DongleSound::DongleSound(UsbDevice device, std::string sysRoot)
    : m_device(device), m_sysRoot(std::move(sysRoot)),
      m_session(std::make_unique<PulseSession>(std::move(device), [this] { playThroughAlsa(); })) {}

DongleSound::~DongleSound() {
    // The server's thread first: once it has ended, it cannot start the ALSA session any more.
    m_session.reset();
    std::lock_guard lock(m_alsaMutex);
    m_alsa.reset();
}

std::unique_ptr<DongleSound> DongleSound::ForVideoNode(int index) {
    std::string root;
    {
        std::lock_guard lock(g_sysfsMutex);
        root = g_sysfsRoot;
    }
    auto device = FindUsbDevice(root, index);
    if (!device)
        return nullptr;
    return std::make_unique<DongleSound>(std::move(*device), root);
}

// Called on the server's thread, once.
void DongleSound::playThroughAlsa() {
    auto alsa = std::make_unique<AlsaSession>(m_device, m_sysRoot);
    std::lock_guard lock(m_alsaMutex);
    alsa->setPictureDelay(m_pictureDelay);
    m_alsa = std::move(alsa);
}

void DongleSound::setPictureDelay(std::chrono::microseconds delay) {
    m_session->setPictureDelay(delay);
    std::lock_guard lock(m_alsaMutex);
    m_pictureDelay = delay;
    if (m_alsa)
        m_alsa->setPictureDelay(delay);
}

std::string DongleSound::playingSource() const {
    std::lock_guard lock(m_alsaMutex);
    return m_alsa ? m_alsa->playingSource() : m_session->playingSource();
}

std::chrono::microseconds DongleSound::soundLatency() const {
    std::lock_guard lock(m_alsaMutex);
    return m_alsa ? m_alsa->soundLatency() : m_session->soundLatency();
}

} // namespace platform::audio
