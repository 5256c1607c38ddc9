#include "platform/notify/udev_translation.h"

#include <algorithm>
#include <charconv>
#include <tuple>

#include "platform/notify/interface_names.h"
#include "platform/win32/com.h"
#include "platform/win32/constants.h"

namespace platform::notify {

namespace {

std::string Lookup(const std::map<std::string, std::string>& values, const std::string& key) {
    const auto found = values.find(key);
    return found == values.end() ? std::string() : found->second;
}

std::optional<uint16_t> ParseHex16(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.remove_suffix(1);
    if (text.empty() || text.size() > 4)
        return std::nullopt;
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return static_cast<uint16_t>(value);
}

// The kernel's PRODUCT value, "3188/1234/100" (vendor/product/release in bare hex), is in
// every usb_device event, removals included.
bool ParseProduct(std::string_view product, uint16_t& vendor, uint16_t& model) {
    const size_t first = product.find('/');
    if (first == std::string_view::npos)
        return false;
    const size_t second = product.find('/', first + 1);
    const auto v = ParseHex16(product.substr(0, first));
    const auto p = ParseHex16(product.substr(
        first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1));
    if (!v || !p)
        return false;
    vendor = *v;
    model = *p;
    return true;
}

bool ParseIds(const UdevDeviceFacts& d, uint16_t& vendor, uint16_t& model) {
    if (ParseProduct(Lookup(d.properties, "PRODUCT"), vendor, model))
        return true;
    for (const auto& [vendorKey, modelKey, source] :
         {std::tuple{"ID_VENDOR_ID", "ID_MODEL_ID", &d.properties},
          std::tuple{"idVendor", "idProduct", &d.attributes}}) {
        const auto v = ParseHex16(Lookup(*source, vendorKey));
        const auto p = ParseHex16(Lookup(*source, modelKey));
        if (v && p) {
            vendor = *v;
            model = *p;
            return true;
        }
    }
    return false;
}

// "controlC12" with prefix "controlC" gives "12".
bool CardNumberAfter(std::string_view sysname, std::string_view prefix, std::string* number) {
    if (sysname.size() <= prefix.size() || sysname.substr(0, prefix.size()) != prefix)
        return false;
    const std::string_view digits = sysname.substr(prefix.size());
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    if (number)
        *number = std::string(digits);
    return true;
}

} // namespace

std::optional<std::string> UsbDeviceInterfaceName(const UdevDeviceFacts& device) {
    uint16_t vendor = 0, model = 0;
    if (!ParseIds(device, vendor, model))
        return std::nullopt;
    std::string serial = Lookup(device.properties, "ID_SERIAL_SHORT");
    if (serial.empty()) {
        serial = Lookup(device.attributes, "serial");
        while (!serial.empty() && serial.back() == '\n')
            serial.pop_back();
    }
    return UsbInterfaceName(vendor, model, UsbInstanceId(serial, device.sysname));
}

void ReadPcmDirections(const std::vector<std::string>& childNames, SoundCardFacts& card) {
    for (const std::string& name : childNames) {
        if (name.size() < 6 || name.compare(0, 4, "pcmC") != 0 ||
            name.find('D') == std::string::npos)
            continue;
        if (name.back() == 'c')
            card.hasCapture = true;
        else if (name.back() == 'p')
            card.hasPlayback = true;
    }
}

SoundEvent ClassifySoundEvent(std::string_view action, std::string_view sysname,
                              std::string* cardNumber) {
    if (action == "add" && CardNumberAfter(sysname, "controlC", cardNumber))
        return SoundEvent::CardArrived;
    if (action == "remove" && (CardNumberAfter(sysname, "controlC", cardNumber) ||
                               CardNumberAfter(sysname, "card", cardNumber)))
        return SoundEvent::CardLeft;
    return SoundEvent::None;
}

std::optional<InterfaceEvent> UdevTranslator::usbDevice(const UdevDeviceFacts& device) {
    if (device.action == "add") {
        std::optional<std::string> name = UsbDeviceInterfaceName(device);
        if (!name)
            return std::nullopt;
        usbNames_[device.devpath] = *name;
        return InterfaceEvent{DBT_DEVICEARRIVAL, *name, GUID_DEVINTERFACE_USB_DEVICE};
    }
    if (device.action == "remove") {
        std::optional<std::string> name;
        if (const auto known = usbNames_.find(device.devpath); known != usbNames_.end()) {
            name = known->second;
            usbNames_.erase(known);
        } else {
            // Present before we started listening: rebuild the name from what the event has.
            name = UsbDeviceInterfaceName(device);
        }
        if (!name)
            return std::nullopt;
        return InterfaceEvent{DBT_DEVICEREMOVECOMPLETE, *name, GUID_DEVINTERFACE_USB_DEVICE};
    }
    return std::nullopt;
}

std::vector<InterfaceEvent> UdevTranslator::soundCardArrived(const std::string& cardNumber,
                                                             const SoundCardFacts& card) {
    std::vector<InterfaceEvent> arrivals;
    const std::string id = card.cardId.empty() ? "card" + cardNumber : card.cardId;
    if (card.hasPlayback)
        arrivals.push_back({DBT_DEVICEARRIVAL, AudioEndpointName(id, AudioFlow::Render),
                            AudioEndpointClass(AudioFlow::Render)});
    if (card.hasCapture)
        arrivals.push_back({DBT_DEVICEARRIVAL, AudioEndpointName(id, AudioFlow::Capture),
                            AudioEndpointClass(AudioFlow::Capture)});
    if (!arrivals.empty())
        cardEndpoints_[cardNumber] = arrivals;
    return arrivals;
}

std::vector<InterfaceEvent> UdevTranslator::soundCardLeft(const std::string& cardNumber) {
    const auto known = cardEndpoints_.find(cardNumber);
    if (known == cardEndpoints_.end())
        return {};
    std::vector<InterfaceEvent> removals = std::move(known->second);
    cardEndpoints_.erase(known);
    for (InterfaceEvent& e : removals)
        e.event = DBT_DEVICEREMOVECOMPLETE;
    return removals;
}

void PendingAnnouncements::add(const std::string& cardNumber, const std::string& usbDevicePath,
                               std::vector<InterfaceEvent> events, Clock::time_point now,
                               Clock::time_point deadline) {
    cancel(cardNumber);
    pending_.push_back(
        {cardNumber, usbDevicePath, std::move(events), deadline, now + kFirstTry, kFirstTry});
}

PendingAnnouncements::Clock::time_point PendingAnnouncements::nextDue() const {
    Clock::time_point due = Clock::time_point::max();
    for (const Entry& e : pending_)
        due = std::min({due, e.nextTry, e.deadline});
    return due;
}

bool PendingAnnouncements::cancel(const std::string& cardNumber) {
    return std::erase_if(pending_, [&](const Entry& e) { return e.cardNumber == cardNumber; }) > 0;
}

std::vector<InterfaceEvent>
PendingAnnouncements::takeReady(Clock::time_point now,
                                const std::function<bool(const std::string&)>& videoOpens) {
    std::vector<InterfaceEvent> ready;
    for (auto it = pending_.begin(); it != pending_.end();) {
        bool opens = false;
        if (now >= it->nextTry && now < it->deadline) {
            opens = videoOpens(it->usbDevicePath);
            it->nextTry = now + it->interval;
            it->interval = it->interval * 3 / 2;
        }
        if (opens || now >= it->deadline) {
            ready.insert(ready.end(), it->events.begin(), it->events.end());
            it = pending_.erase(it);
        } else {
            ++it;
        }
    }
    return ready;
}

std::vector<InterfaceEvent>
UdevEventHandler::onEvent(std::string_view subsystem, const UdevDeviceFacts& device,
                          const std::function<SoundCardFacts()>& readCard, Clock::time_point now) {
    if (subsystem == "usb") {
        if (auto event = translator_.usbDevice(device))
            return {*event};
        return {};
    }
    if (subsystem != "sound")
        return {};
    std::string card;
    switch (ClassifySoundEvent(device.action, device.sysname, &card)) {
    case SoundEvent::CardArrived: {
        const SoundCardFacts facts = readCard();
        std::vector<InterfaceEvent> arrivals = translator_.soundCardArrived(card, facts);
        if (!facts.onVideoDevice || arrivals.empty())
            return arrivals;
        pending_.add(card, facts.usbDevicePath, std::move(arrivals), now, now + kVideoWait);
        return {};
    }
    case SoundEvent::CardLeft: {
        std::vector<InterfaceEvent> removals = translator_.soundCardLeft(card);
        // Still waiting for its video node: never announced, so nothing to withdraw.
        if (pending_.cancel(card))
            return {};
        return removals;
    }
    case SoundEvent::None:
        break;
    }
    return {};
}

std::vector<InterfaceEvent>
UdevEventHandler::onTick(Clock::time_point now,
                         const std::function<bool(const std::string&)>& videoOpens) {
    return pending_.takeReady(now, videoOpens);
}

} // namespace platform::notify
