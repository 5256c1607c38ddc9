// Simulated video inputs for tests and scenarios: named devices at chosen capture indices with
// test patterns or file contents, failure modes, plug and unplug at run time, and counters.
//
//   auto sim = platform::InstallSimulatedVideoProvider();
//   sim->setInput(0, platform::SimulatedInput::Named(u"USB Camera"));
//   sim->setInput(1, platform::SimulatedInput::Named(
//                        u"HDMI Capture", platform::SimulatedPicture::Pattern(1280, 720, 30)));
//   sim->setPlugged(1, false);   // unplug: opens fail, reads of open sources fail at once
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include <opencv2/core.hpp>

#include "platform/video/video_source.h"

namespace platform {

// What an input's frames show. Frames are 8-bit BGR.
struct SimulatedPicture {
    enum class Kind {
        Pattern,   // moving colour bars with a white box, at `size`
        ImageFile, // the picture file at `path` (JPEG, PNG, BMP, PNM), every frame
    };
    Kind kind = Kind::Pattern;
    cv::Size size{640, 360};
    // Frames per second that reads are paced to (they sleep until the next frame is due);
    // 0 delivers a frame as soon as it is asked for.
    double fps = 0;
    std::string path;

    static SimulatedPicture Pattern(int width, int height, double fps = 0);
    static SimulatedPicture Image(std::string path, double fps = 0);
};

enum class SimulatedFault {
    None,
    OpenFails,   // open() yields no source, and no reason
    OpenDenied,  // open() yields no source: EACCES, as for a user outside the video group
    OpenBusy,    // open() yields no source: EBUSY, as when another program streams from it
    ReadFails,   // read returns false
    EmptyFrames, // read returns true with an empty frame
    Throws,      // read throws cv::Exception
    Undecodable, // as Throws, but at the picture's pace: a source whose frames never decode
    // read blocks until the source is interrupted (as a release does), the input is
    // unplugged or its fault is changed; then it fails (or, after a fault change to a
    // non-blocking one, goes on as that fault says)
    Blocks,
    // as Blocks, but interrupt() does not end it: only an unplug or a fault change does
    BlocksUninterruptibly,
};

struct SimulatedInput {
    // The property bag's "FriendlyName" and "Description"; nullopt: no such property.
    std::optional<std::u16string> friendlyName;
    std::optional<std::u16string> description;
    // The "DevicePath" property (UsbVideoDevicePath for an input on USB); nullopt: none.
    std::optional<std::u16string> devicePath;
    // false: the enumerator cannot open this input's property bag.
    bool bindable = true;
    SimulatedPicture picture;
    // The fault of reads starts after each open has delivered `faultAfterFrames` frames.
    SimulatedFault fault = SimulatedFault::None;
    int faultAfterFrames = 0;

    // An input with this FriendlyName and no Description.
    static SimulatedInput Named(std::u16string friendlyName, SimulatedPicture picture = {});
};

// Counters of one input, over all its opens.
struct SimulatedInputStats {
    int readsInProgress = 0;
    int maxConcurrentReads = 0;   // the most reads ever in progress at once
    uint64_t framesDelivered = 0; // non-empty frames returned by successful reads
    uint64_t reads = 0;           // reads started
    int openAttempts = 0;
    int opens = 0;       // successful opens
    int sourcesOpen = 0; // sources opened and not yet destroyed
    int interrupts = 0;
    int destroyedDuringRead = 0; // sources destroyed with a read in progress: always 0 if sound
};

struct SimulatedDevice;

constexpr int kMaxSimulatedInputs = 256;

// Indices are capture indices, from 0 to kMaxSimulatedInputs - 1. listInputs() runs from 0 to the
// highest index of a plugged input; an index without an input, or whose input is unplugged, is
// listed with an empty name (as a missing /dev/video node is), so the positions of the others never
// shift. Every member is safe from any thread.
class SimulatedVideoProvider : public VideoSourceProvider {
public:
    SimulatedVideoProvider();
    ~SimulatedVideoProvider() override;

    // Adds the input at `index`, or replaces the description of the one there (its counters
    // and plug state stay). Sources already open keep their picture but take the new fault
    // from their next read on.
    void setInput(int index, SimulatedInput input);
    // Changes only the fault (see setInput); wakes reads that block.
    void setFault(int index, SimulatedFault fault, int afterFrames = 0);
    // An unplugged input is not listed, cannot be opened, and every read of a source opened
    // before fails at once, blocked ones included; a source opened before an unplug stays
    // dead after the replug, as a device node would.
    void setPlugged(int index, bool plugged);
    bool plugged(int index) const;

    // Zero counters for an index without an input.
    SimulatedInputStats stats(int index) const;
    // Waits until `condition` holds for the counters of `index`, at most `timeout`; returns
    // whether it held.
    bool waitFor(int index, const std::function<bool(const SimulatedInputStats&)>& condition,
                 std::chrono::milliseconds timeout) const;

    std::vector<VideoInputInfo> listInputs() override;
    std::unique_ptr<VideoSource> open(int index) override;
    // The open-denied and open-busy faults answer EACCES and EBUSY for "/dev/videoN", N the
    // index.
    std::unique_ptr<VideoSource> openExplained(int index, OpenFailure& failure) override;

private:
    std::shared_ptr<SimulatedDevice> find(int index) const;

    mutable std::mutex m_mutex;
    std::map<int, std::shared_ptr<SimulatedDevice>> m_devices;
};

// Makes a fresh simulated provider the current one (SetVideoSourceProvider) and returns it.
std::shared_ptr<SimulatedVideoProvider> InstallSimulatedVideoProvider();

// UTF-8 text as a name for SimulatedInput (ill-formed bytes become U+FFFD).
std::u16string SimulatedName(std::string_view utf8);

} // namespace platform
