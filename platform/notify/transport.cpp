#include "platform/notify/transport.h"

#include <mutex>

namespace platform::notify {

namespace {

struct TransportSlot {
    std::mutex mutex;
    std::shared_ptr<const Transport> current;
};

TransportSlot& Slot() {
    static TransportSlot slot;
    return slot;
}

} // namespace

std::shared_ptr<const Transport> CurrentTransport() {
    TransportSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    if (!slot.current)
        slot.current = std::make_shared<const Transport>(WindowManagerTransport());
    return slot.current;
}

void SetTransportForTesting(std::shared_ptr<const Transport> transport) {
    TransportSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    slot.current = std::move(transport);
}

} // namespace platform::notify
