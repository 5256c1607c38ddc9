// What a scenario's lines become once read: the set-up of each simulated input and the timed
// events, each a type of its own, so that playing them reads no text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "platform/video/simulated_devices.h"

namespace platform::scenario {

// The USB identity an input announces when it is plugged and unplugged.
struct UsbIdentity {
    uint16_t vendor = 0;
    uint16_t product = 0;
    std::string serial; // the USB interface's instance
    std::string card;   // the sound card of its audio endpoint
    bool operator==(const UsbIdentity&) const = default;
};

// `input N ...`
struct InputSetup {
    int index = 0;
    SimulatedInput input;
    bool plugged = true;
    std::optional<UsbIdentity> usb;
    int line = 0;
};

struct PlugInput { // plug N, unplug N
    int input = 0;
    bool plugged = true;
    bool operator==(const PlugInput&) const = default;
};
struct AnnounceUsb { // usb-arrival, usb-removal VVVV:PPPP [serial]
    uint16_t vendor = 0;
    uint16_t product = 0;
    std::string serial;
    bool arrival = true;
    bool operator==(const AnnounceUsb&) const = default;
};
struct AnnounceAudio { // audio-arrival, audio-removal CARD
    std::string card;
    bool arrival = true;
    bool operator==(const AnnounceAudio&) const = default;
};
struct ChangePower { // resume, suspend
    bool resume = true;
    bool operator==(const ChangePower&) const = default;
};
struct ChangeFault { // fault N KIND [after M]
    int input = 0;
    SimulatedFault fault = SimulatedFault::None;
    int afterFrames = 0;
    bool operator==(const ChangeFault&) const = default;
};
struct DoubleClick { // double-click X Y, client coordinates
    int x = 0;
    int y = 0;
    bool operator==(const DoubleClick&) const = default;
};
struct PressKey { // key NAME, a virtual-key code
    unsigned key = 0;
    bool operator==(const PressKey&) const = default;
};
struct SystemCommand { // maximize, minimize, restore: an SC_ command
    unsigned command = 0;
    bool operator==(const SystemCommand&) const = default;
};
struct ResizeWindow { // resize W H
    int width = 0;
    int height = 0;
    bool operator==(const ResizeWindow&) const = default;
};
struct ClickButton { // command ID
    int id = 0;
    bool operator==(const ClickButton&) const = default;
};
struct CloseWindow { // close
    bool operator==(const CloseWindow&) const = default;
};
struct SaveScreenshot { // screenshot FILE
    std::string file;
    bool operator==(const SaveScreenshot&) const = default;
};
struct SaveListBox { // log ID FILE: the entries now; log-times ID FILE: each as it comes
    int id = 0;
    std::string file;
    bool asTheyCome = false;
    bool operator==(const SaveListBox&) const = default;
};

using Action = std::variant<PlugInput, AnnounceUsb, AnnounceAudio, ChangePower, ChangeFault,
                            DoubleClick, PressKey, SystemCommand, ResizeWindow, ClickButton,
                            CloseWindow, SaveScreenshot, SaveListBox>;

// `at SECONDS VERB ...`
struct Event {
    double at = 0; // seconds from the start
    Action action;
    int line = 0;
};

} // namespace platform::scenario
