// The device layer behind capture and enumeration: real V4L2 inputs or simulated ones.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <opencv2/core.hpp>

#include "platform/video/capture_properties.h"

namespace platform {

// One opened video input.
class VideoSource {
public:
    virtual ~VideoSource() = default;
    // Delivers the next frame (8-bit BGR for cameras). May block; returns false on failure.
    virtual bool read(cv::Mat& frame) = 0;
    // Any thread, also while read() runs on another: asks a read in progress to give up soon,
    // without waiting for it. Reads after it fail. Sources that cannot be woken do nothing.
    virtual void interrupt() {}
    // A capture property (kCapProp*) of the open device, such as the mode it granted;
    // 0 when the source does not know it.
    virtual double get(int /*propId*/) const { return 0; }
    // Any thread, also while read() runs: sets a property the source takes (kCapPropDraw*);
    // false when it takes none such.
    virtual bool set(int /*propId*/, double /*value*/) { return false; }
};

// A video input as the system's enumerator lists it, at its capture index.
struct VideoInputInfo {
    bool bindable = true; // its property store can be opened
    std::optional<std::u16string> description;
    std::optional<std::u16string> friendlyName;
    // The "DevicePath" property: the device's path as Windows gives it, carrying the USB
    // vendor and product ("\\?\usb#vid_534d&pid_2109#..."); nullopt when the device is not
    // on USB or its identity is unknown.
    std::optional<std::u16string> devicePath;
};

// Why an open failed.
struct OpenFailure {
    int error = 0;    // the errno the device answered (EACCES, EBUSY, ENOENT, ENODEV, EIO, ...)
    std::string node; // the node that was tried, "/dev/video0"; empty when unknown
};

class VideoSourceProvider {
public:
    virtual ~VideoSourceProvider() = default;
    // Entry i is the device that open(i) opens.
    virtual std::vector<VideoInputInfo> listInputs() = 0;
    // Null when the device cannot be opened.
    virtual std::unique_ptr<VideoSource> open(int index) = 0;
    // As open(index), and when it fails, why. Providers that know no reason leave
    // `failure` as it is.
    virtual std::unique_ptr<VideoSource> openExplained(int index, OpenFailure& /*failure*/) {
        return open(index);
    }
};

// The provider in use: the V4L2 one unless a scenario or a test installs another.
std::shared_ptr<VideoSourceProvider> CurrentVideoSourceProvider();
void SetVideoSourceProvider(std::shared_ptr<VideoSourceProvider> provider);
std::shared_ptr<VideoSourceProvider> CreateV4l2VideoSourceProvider();

} // namespace platform
