// The dongle's sound: the public face of the sound thread.
#include "platform/audio/dongle_sound.h"

#include "platform/audio/pulse_session.h"

namespace platform::audio {

DongleSound::DongleSound(UsbDevice device)
    : m_session(std::make_unique<PulseSession>(std::move(device))) {}

DongleSound::~DongleSound() = default;

std::unique_ptr<DongleSound> DongleSound::ForVideoNode(int index) {
    auto device = FindUsbDevice("/sys", index);
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
