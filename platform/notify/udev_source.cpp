#include "platform/notify/udev_source.h"

#include <dirent.h>
#include <fcntl.h>
#include <libudev.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>

#include "platform/notify/udev_translation.h"

namespace platform::notify {

namespace {

// The wait until the handler's next try of a video node or deadline, in whole milliseconds;
// -1 (no limit) while nothing waits.
int MsUntil(UdevEventHandler::Clock::time_point due) {
    if (due == UdevEventHandler::Clock::time_point::max())
        return -1;
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(due - UdevEventHandler::Clock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 0, 60000));
}

struct UdevDeleter {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
};
template <typename T> using UdevPtr = std::unique_ptr<T, UdevDeleter>;

std::string Text(const char* value) {
    return value ? value : "";
}

UdevDeviceFacts ReadFacts(udev_device* device) {
    UdevDeviceFacts facts;
    facts.action = Text(udev_device_get_action(device));
    facts.sysname = Text(udev_device_get_sysname(device));
    facts.devpath = Text(udev_device_get_devpath(device));
    udev_list_entry* entry;
    udev_list_entry_foreach(entry, udev_device_get_properties_list_entry(device)) {
        facts.properties[Text(udev_list_entry_get_name(entry))] =
            Text(udev_list_entry_get_value(entry));
    }
    if (facts.action != "remove") {
        for (const char* name : {"idVendor", "idProduct", "serial"})
            if (const char* value = udev_device_get_sysattr_value(device, name))
                facts.attributes[name] = value;
    }
    return facts;
}

std::vector<std::string> ChildNames(const char* syspath) {
    std::vector<std::string> names;
    if (!syspath)
        return names;
    if (DIR* dir = opendir(syspath)) {
        while (dirent* entry = readdir(dir))
            names.emplace_back(entry->d_name);
        closedir(dir);
    }
    return names;
}

// Syspaths of the devices below `parent` in `subsystem`, with a device node.
std::vector<std::string> DeviceNodesBelow(udev* u, udev_device* parent, const char* subsystem) {
    std::vector<std::string> nodes;
    UdevPtr<udev_enumerate> e(udev_enumerate_new(u));
    if (!e || udev_enumerate_add_match_parent(e.get(), parent) < 0 ||
        udev_enumerate_add_match_subsystem(e.get(), subsystem) < 0 ||
        udev_enumerate_scan_devices(e.get()) < 0)
        return nodes;
    udev_list_entry* entry;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(e.get())) {
        UdevPtr<udev_device> d(udev_device_new_from_syspath(u, udev_list_entry_get_name(entry)));
        if (d && udev_device_get_devnode(d.get()))
            nodes.push_back(udev_device_get_devnode(d.get()));
    }
    return nodes;
}

bool HasVideoFunction(udev* u, udev_device* usbDevice) {
    if (!DeviceNodesBelow(u, usbDevice, "video4linux").empty())
        return true;
    // The video node may be created after the sound card; the interface class (0e, video)
    // tells already.
    UdevPtr<udev_enumerate> e(udev_enumerate_new(u));
    if (!e || udev_enumerate_add_match_parent(e.get(), usbDevice) < 0 ||
        udev_enumerate_add_match_subsystem(e.get(), "usb") < 0 ||
        udev_enumerate_add_match_sysattr(e.get(), "bInterfaceClass", "0e") < 0 ||
        udev_enumerate_scan_devices(e.get()) < 0)
        return false;
    return udev_enumerate_get_list_entry(e.get()) != nullptr;
}

SoundCardFacts ReadCardFacts(udev* u, udev_device* control) {
    SoundCardFacts card;
    if (udev_device* parent = udev_device_get_parent(control)) {
        card.cardId = Text(udev_device_get_sysattr_value(parent, "id"));
        ReadPcmDirections(ChildNames(udev_device_get_syspath(parent)), card);
    }
    if (udev_device* usb =
            udev_device_get_parent_with_subsystem_devtype(control, "usb", "usb_device")) {
        card.usbDevicePath = Text(udev_device_get_syspath(usb));
        card.onVideoDevice = HasVideoFunction(u, usb);
    }
    return card;
}

bool VideoNodeOpens(udev* u, const std::string& usbDevicePath) {
    UdevPtr<udev_device> usb(udev_device_new_from_syspath(u, usbDevicePath.c_str()));
    if (!usb)
        return false;
    for (const std::string& node : DeviceNodesBelow(u, usb.get(), "video4linux")) {
        const int fd = open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            close(fd);
            return true;
        }
    }
    return false;
}

} // namespace

UdevSource::UdevSource(Sink sink)
    : sink_(std::move(sink)), thread_([this](const StopSignal& stop) { run(stop); }) {}

void UdevSource::run(const StopSignal& stop) {
    UdevPtr<udev> u(udev_new());
    if (!u)
        return;
    UdevPtr<udev_monitor> monitor(udev_monitor_new_from_netlink(u.get(), "udev"));
    if (!monitor ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), "usb", "usb_device") < 0 ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), "sound", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor.get()) < 0)
        return;

    UdevEventHandler handler;
    const auto videoOpens = [&u](const std::string& path) { return VideoNodeOpens(u.get(), path); };
    const auto deliver = [this](const std::vector<InterfaceEvent>& events) {
        for (const InterfaceEvent& e : events)
            sink_(e);
    };

    pollfd fds[2] = {{udev_monitor_get_fd(monitor.get()), POLLIN, 0}, {stop.fd(), POLLIN, 0}};
    while (!stop.stopped()) {
        fds[0].revents = fds[1].revents = 0;
        const int ready = poll(fds, 2, MsUntil(handler.nextTick()));
        if (ready < 0 && errno != EINTR)
            return;
        if (fds[1].revents || (fds[0].revents & (POLLERR | POLLNVAL)))
            return;
        if (fds[0].revents & POLLIN) {
            UdevPtr<udev_device> device(udev_monitor_receive_device(monitor.get()));
            if (device) {
                udev_device* d = device.get();
                deliver(handler.onEvent(
                    Text(udev_device_get_subsystem(d)), ReadFacts(d),
                    [&] { return ReadCardFacts(u.get(), d); }, UdevEventHandler::Clock::now()));
            }
        }
        if (handler.waiting())
            deliver(handler.onTick(UdevEventHandler::Clock::now(), videoOpens));
    }
}

} // namespace platform::notify
