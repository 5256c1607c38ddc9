// The simulated inputs: listing, opening, plugging and their counters.
#include <cerrno>

#include "platform/system/utf.h"
#include "platform//video/simulated_devices.h"

#include "platform/video/simulated/simulated_source.h"
#include "platform/video/v4l2/v4l2_listing.h"

namespace platform {

SimulatedPicture SimulatedPicture::Pattern(int width, int height, double fps) {
    SimulatedPicture picture;
    picture.size = cv::Size(width, height);
    picture.fps = fps;
    return picture;
}

SimulatedPicture SimulatedPicture::Image(std::string path, double fps) {
    SimulatedPicture picture;
    picture.kind = Kind::ImageFile;
    picture.path = std::move(path);
    picture.fps = fps;
    return picture;
}

SimulatedInput SimulatedInput::Named(std::u16string friendlyName, SimulatedPicture picture) {
    SimulatedInput input;
    input.friendlyName = std::move(friendlyName);
    input.picture = std::move(picture);
    return input;
}

SimulatedVideoProvider::SimulatedVideoProvider() = default;
SimulatedVideoProvider::~SimulatedVideoProvider() = default;

std::shared_ptr<SimulatedDevice> SimulatedVideoProvider::find(int index) const {
    std::lock_guard lock(m_mutex);
    auto it = m_devices.find(index);
    return it == m_devices.end() ? nullptr : it->second;
}

void SimulatedVideoProvider::setInput(int index, SimulatedInput input) {
    if (index < 0 || index >= kMaxSimulatedInputs)
        return;
    std::shared_ptr<SimulatedDevice> device;
    {
        std::lock_guard lock(m_mutex);
        auto& slot = m_devices[index];
        if (!slot)
            slot = std::make_shared<SimulatedDevice>();
        device = slot;
    }
    std::lock_guard lock(device->mutex);
    device->input = std::move(input);
    ++device->faultChanges;
    device->changed.notify_all();
}

void SimulatedVideoProvider::setFault(int index, SimulatedFault fault, int afterFrames) {
    auto device = find(index);
    if (!device)
        return;
    std::lock_guard lock(device->mutex);
    device->input.fault = fault;
    device->input.faultAfterFrames = afterFrames;
    ++device->faultChanges;
    device->changed.notify_all();
}

void SimulatedVideoProvider::setPlugged(int index, bool plugged) {
    auto device = find(index);
    if (!device)
        return;
    std::lock_guard lock(device->mutex);
    if (device->plugged && !plugged)
        ++device->unplugs;
    device->plugged = plugged;
    device->changed.notify_all();
}

bool SimulatedVideoProvider::plugged(int index) const {
    auto device = find(index);
    if (!device)
        return false;
    std::lock_guard lock(device->mutex);
    return device->plugged;
}

SimulatedInputStats SimulatedVideoProvider::stats(int index) const {
    auto device = find(index);
    if (!device)
        return {};
    std::lock_guard lock(device->mutex);
    return device->stats;
}

bool SimulatedVideoProvider::waitFor(
    int index, const std::function<bool(const SimulatedInputStats&)>& condition,
    std::chrono::milliseconds timeout) const {
    auto device = find(index);
    if (!device)
        return condition(SimulatedInputStats{});
    std::unique_lock lock(device->mutex);
    return device->changed.wait_for(lock, timeout, [&] { return condition(device->stats); });
}

std::vector<VideoInputInfo> SimulatedVideoProvider::listInputs() {
    std::map<int, std::shared_ptr<SimulatedDevice>> devices;
    {
        std::lock_guard lock(m_mutex);
        devices = m_devices;
    }
    std::vector<VideoInputInfo> inputs;
    for (const auto& [index, device] : devices) {
        std::lock_guard lock(device->mutex);
        if (!device->plugged)
            continue;
        VideoInputInfo absent;
        absent.description = u"";
        absent.friendlyName = u"";
        inputs.resize(index + 1, absent);
        VideoInputInfo& info = inputs[index];
        info.bindable = device->input.bindable;
        info.description = device->input.description;
        info.friendlyName = device->input.friendlyName;
        info.devicePath = device->input.devicePath;
    }
    return inputs;
}

std::unique_ptr<VideoSource> SimulatedVideoProvider::open(int index) {
    OpenFailure ignored;
    return openExplained(index, ignored);
}

std::unique_ptr<VideoSource> SimulatedVideoProvider::openExplained(int index,
                                                                   OpenFailure& failure) {
    auto device = find(index);
    if (!device)
        return nullptr;
    SimulatedPicture picture;
    uint64_t unplugs;
    {
        std::lock_guard lock(device->mutex);
        ++device->stats.openAttempts;
        if (!device->plugged || device->input.fault == SimulatedFault::OpenFails)
            return nullptr;
        const SimulatedFault fault = device->input.fault;
        if (fault == SimulatedFault::OpenDenied || fault == SimulatedFault::OpenBusy) {
            failure = {fault == SimulatedFault::OpenDenied ? EACCES : EBUSY,
                       "/dev/video" + std::to_string(index)};
            return nullptr;
        }
        picture = device->input.picture;
        unplugs = device->unplugs;
    }
    // Files are read outside the lock; an unplug meanwhile is caught below.
    auto producer = MakeFrameProducer(picture);
    if (!producer)
        return nullptr;
    std::lock_guard lock(device->mutex);
    if (!device->plugged || device->unplugs != unplugs)
        return nullptr;
    ++device->stats.opens;
    ++device->stats.sourcesOpen;
    device->changed.notify_all();
    return std::make_unique<SimulatedSource>(device, std::move(producer), picture.fps, unplugs);
}

std::shared_ptr<SimulatedVideoProvider> InstallSimulatedVideoProvider() {
    auto provider = std::make_shared<SimulatedVideoProvider>();
    SetVideoSourceProvider(provider);
    return provider;
}

std::u16string SimulatedName(std::string_view utf8) {
    return Utf8ToUtf16(utf8);
}

} // namespace platform
