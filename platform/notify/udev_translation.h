// What a udev event of a USB device or a sound card means as Windows device-interface
// notifications. Works on plain facts read from udev, so it runs without udev.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/notify/delivery.h"

namespace platform::notify {

struct UdevDeviceFacts {
    std::string action; // "add", "remove", "change", "bind", ...
    std::string sysname;
    std::string devpath;
    std::map<std::string, std::string> properties; // of the event (PRODUCT, ID_SERIAL_SHORT)
    std::map<std::string, std::string> attributes; // sysfs attributes (idVendor, serial)
};

struct SoundCardFacts {
    std::string cardId; // the card's "id" attribute ("MS2109", "PCH", ...)
    bool hasCapture = false;
    bool hasPlayback = false;
    // The card belongs to a USB device that also has a video function: its endpoint is
    // announced only once the video node can be opened.
    bool onVideoDevice = false;
    std::string usbDevicePath;
};

// The interface name of a USB device from its properties or attributes; none when its
// vendor and product cannot be told.
std::optional<std::string> UsbDeviceInterfaceName(const UdevDeviceFacts& device);

// Directions of a card's PCM devices, from the names of the card's children ("pcmC1D0c").
void ReadPcmDirections(const std::vector<std::string>& childNames, SoundCardFacts& card);

enum class SoundEvent { None, CardArrived, CardLeft };
// A card is announced when its control device arrives (ALSA registers it last, after the
// PCM devices) and withdrawn when its control or card device leaves. `cardNumber` gets
// the card's number as text.
SoundEvent ClassifySoundEvent(std::string_view action, std::string_view sysname,
                              std::string* cardNumber);

// Remembers what was announced so a removal, whose udev event may lack the attributes,
// withdraws the same names.
class UdevTranslator {
public:
    std::optional<InterfaceEvent> usbDevice(const UdevDeviceFacts& device);
    std::vector<InterfaceEvent> soundCardArrived(const std::string& cardNumber,
                                                 const SoundCardFacts& card);
    std::vector<InterfaceEvent> soundCardLeft(const std::string& cardNumber);

private:
    std::map<std::string, std::string> usbNames_; // by devpath
    std::map<std::string, std::vector<InterfaceEvent>> cardEndpoints_;
};

// Audio endpoint arrivals held back until the video node of their device opens, or until a
// deadline, whichever comes first. The node is tried after kFirstTry, then at intervals
// growing by half each time: a node the user may not open (EACCES) is tried a handful of
// times, not spun on.
class PendingAnnouncements {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr auto kFirstTry = std::chrono::milliseconds(100);
    void add(const std::string& cardNumber, const std::string& usbDevicePath,
             std::vector<InterfaceEvent> events, Clock::time_point now, Clock::time_point deadline);
    // True when the card had announcements waiting (they are dropped).
    bool cancel(const std::string& cardNumber);
    bool empty() const { return pending_.empty(); }
    // When takeReady has something to do next: a try or a deadline; Clock::time_point::max()
    // when nothing waits.
    Clock::time_point nextDue() const;
    // Takes the announcements that are due, in the order they were added; tries the video
    // node only of those whose next try is due.
    std::vector<InterfaceEvent>
    takeReady(Clock::time_point now,
              const std::function<bool(const std::string& usbDevicePath)>& videoOpens);

private:
    struct Entry {
        std::string cardNumber;
        std::string usbDevicePath;
        std::vector<InterfaceEvent> events;
        Clock::time_point deadline;
        Clock::time_point nextTry;
        Clock::duration interval;
    };
    std::vector<Entry> pending_;
};

// Everything the udev thread decides, one event or one wait tick at a time.
class UdevEventHandler {
public:
    using Clock = PendingAnnouncements::Clock;
    static constexpr auto kVideoWait = std::chrono::seconds(5);

    // `readCard` is asked for the card's facts only when the event is a card's arrival.
    std::vector<InterfaceEvent> onEvent(std::string_view subsystem, const UdevDeviceFacts& device,
                                        const std::function<SoundCardFacts()>& readCard,
                                        Clock::time_point now);
    std::vector<InterfaceEvent>
    onTick(Clock::time_point now,
           const std::function<bool(const std::string& usbDevicePath)>& videoOpens);
    bool waiting() const { return !pending_.empty(); }
    Clock::time_point nextTick() const { return pending_.nextDue(); }

private:
    UdevTranslator translator_;
    PendingAnnouncements pending_;
};

} // namespace platform::notify
