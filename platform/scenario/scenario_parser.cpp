// Reads a scenario file once, line by line, into typed input set-ups and events. Each keyword,
// input option and event verb has one row in a table below; numbers are read only through
// scenario_words.h, so every line reads them alike.
#include <cctype>
#include <sstream>

#include "platform/scenario/scenario.h"
#include "platform/scenario/scenario_words.h"
#include "platform/system/usb_instance.h"
#include "platform/video/device_path.h"
#include "platform/win32/constants.h"

namespace platform::scenario {
namespace {

// Bounds of the numbers a line may hold.
constexpr int kLargestCount = 1000000;          // frames, window sizes
constexpr int kLargestControlId = 0xFFFF;       // control ids are 16-bit words in messages
constexpr int kLargestCoordinate = 32767;       // client coordinates travel as 16-bit halves
constexpr int kSmallestScreen = 64;             // smaller headless screens are refused
constexpr int kLargestScreen = 8192;            // a maximized window's surface: 256 MB at the most
constexpr int kLargestPictureSide = 9999;       // what a simulated input draws
constexpr double kLongestScenario = 24 * 3600.; // event times, seconds

constexpr const char* kInputIndex = "an input index from 0 to 255";
static_assert(kMaxSimulatedInputs == 256, "kInputIndex names the highest index");

int InputIndex(LineWords& words) {
    return words.whole(kInputIndex, 0, kMaxSimulatedInputs - 1);
}

std::string Resolve(const std::string& folder, const std::string& path) {
    if (path.empty() || path[0] == '/' || folder.empty())
        return path;
    return folder + "/" + path;
}

// VVVV:PPPP, the USB vendor and product ids in hexadecimal.
struct UsbPair {
    uint16_t vendor = 0;
    uint16_t product = 0;
};
constexpr const char* kUsbPair = "a USB identity VVVV:PPPP in hexadecimal";

std::optional<UsbPair> ReadUsbPair(std::string_view word) {
    const size_t colon = word.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const auto vendor = HexWord(word.substr(0, colon));
    const auto product = HexWord(word.substr(colon + 1));
    if (!vendor || !product)
        return std::nullopt;
    return UsbPair{static_cast<uint16_t>(*vendor), static_cast<uint16_t>(*product)};
}

// A USB port path as sysfs names a device: "1-2", "1-2.3"; bus, ports, digits and separators.
std::optional<std::string> ReadUsbPort(std::string_view word) {
    constexpr size_t kLongest = 32; // a bus and seven hub tiers with room to spare
    if (word.empty() || word.size() > kLongest ||
        word.find_first_not_of("0123456789-.") != std::string_view::npos)
        return std::nullopt;
    return std::string(word);
}

// What follows VVVV:PPPP: `port P` for a device without a serial, told apart by where it is
// plugged in; a serial when `serialFollows`; otherwise `absent`. Gives the instance id the
// device's USB names carry.
std::string ReadUsbInstance(LineWords& words, bool serialFollows, std::string absent) {
    if (words.take("port"))
        return UsbInstanceId("", words.read("a USB port such as 1-2 or 1-2.3", ReadUsbPort));
    return serialFollows ? UsbInstanceId(words.word("a serial"), "") : absent;
}

// WIDTHxHEIGHT, each side from 1 to kLargestPictureSide.
std::optional<cv::Size> ReadPictureSize(std::string_view word) {
    const size_t x = word.find('x');
    if (x == std::string_view::npos)
        return std::nullopt;
    const auto width = WholeNumber(word.substr(0, x), 1, kLargestPictureSide);
    const auto height = WholeNumber(word.substr(x + 1), 1, kLargestPictureSide);
    if (!width || !height)
        return std::nullopt;
    return cv::Size(*width, *height);
}

constexpr const char* kFaultKinds =
    "a fault: none, open-fails, open-denied, open-busy, read-fails, empty-frames, throws, "
    "undecodable, blocks or blocks-uninterruptibly";

std::optional<SimulatedFault> ReadFaultKind(std::string_view word) {
    static const std::pair<std::string_view, SimulatedFault> kFaults[] = {
        {"none", SimulatedFault::None},
        {"open-fails", SimulatedFault::OpenFails},
        {"open-denied", SimulatedFault::OpenDenied},
        {"open-busy", SimulatedFault::OpenBusy},
        {"read-fails", SimulatedFault::ReadFails},
        {"empty-frames", SimulatedFault::EmptyFrames},
        {"throws", SimulatedFault::Throws},
        {"undecodable", SimulatedFault::Undecodable},
        {"blocks", SimulatedFault::Blocks},
        {"blocks-uninterruptibly", SimulatedFault::BlocksUninterruptibly},
    };
    for (const auto& [name, fault] : kFaults)
        if (word == name)
            return fault;
    return std::nullopt;
}

// [after N]: the frames delivered before a fault starts.
int FramesBeforeFault(LineWords& words) {
    return words.take("after") ? words.whole("a frame count after \"after\"", 0, kLargestCount) : 0;
}

// escape, return (or enter), space, a letter or digit, or a virtual-key code from 1 to 255.
std::optional<unsigned> ReadKey(std::string_view word) {
    if (word == "escape")
        return VK_ESCAPE;
    if (word == "return" || word == "enter")
        return VK_RETURN;
    if (word == "space")
        return VK_SPACE;
    if (word.size() == 1 && std::isalnum(static_cast<unsigned char>(word[0])))
        return static_cast<unsigned>(std::toupper(static_cast<unsigned char>(word[0])));
    if (const auto code = WholeNumber(word, 1, 255))
        return static_cast<unsigned>(*code);
    return std::nullopt;
}

// The file an event writes: not empty, not a folder.
std::string OutputFile(LineWords& words) {
    return words.read("a file name", [](std::string_view w) {
        return w.empty() || w.back() == '/' ? std::nullopt : std::optional<std::string>(w);
    });
}

// Frames per second after a picture: a word of digits and points, 0 for as fast as read.
void OptionalFps(LineWords& words, double& fps) {
    const std::string& next = words.peek();
    if (!next.empty() && next.find_first_not_of("0123456789.") == std::string::npos)
        fps = words.decimal("frames per second", 0, 1e9);
}

// The name of an input option: a word after `usb VVVV:PPPP` that is one is not a serial.
bool IsInputOption(std::string_view word);

// The options of `input N NAME ...`, one row each.
struct InputOption {
    std::string_view name;
    void (*read)(LineWords& words, InputSetup& setup, const Scenario& scenario);
};

constexpr InputOption kInputOptions[] = {
    {"pattern",
     [](LineWords& w, InputSetup& s, const Scenario&) {
         const cv::Size size =
             w.read("a size WIDTHxHEIGHT, from 1 to 9999 a side", ReadPictureSize);
         s.input.picture = SimulatedPicture::Pattern(size.width, size.height);
         OptionalFps(w, s.input.picture.fps);
     }},
    {"image",
     [](LineWords& w, InputSetup& s, const Scenario& scenario) {
         s.input.picture = SimulatedPicture::Image(Resolve(scenario.folder, w.word("a file")));
         OptionalFps(w, s.input.picture.fps);
     }},
    {"description",
     [](LineWords& w, InputSetup& s, const Scenario&) {
         s.input.description = SimulatedName(w.word("a description"));
     }},
    {"no-friendly-name",
     [](LineWords&, InputSetup& s, const Scenario&) { s.input.friendlyName.reset(); }},
    {"unbindable", [](LineWords&, InputSetup& s, const Scenario&) { s.input.bindable = false; }},
    {"unplugged", [](LineWords&, InputSetup& s, const Scenario&) { s.plugged = false; }},
    {"usb",
     [](LineWords& w, InputSetup& s, const Scenario&) {
         const UsbPair pair = w.read(kUsbPair, ReadUsbPair);
         // Without a serial or port, the instance follows the index; the sound card always
         // does; so that two inputs of one model stay two devices.
         const std::string& next = w.peek();
         const bool serialFollows = !next.empty() && !IsInputOption(next);
         s.usb = UsbIdentity{pair.vendor, pair.product,
                             ReadUsbInstance(w, serialFollows, "SIM" + std::to_string(s.index)),
                             "Capture" + std::to_string(s.index)};
         s.input.devicePath = UsbVideoDevicePath(pair.vendor, pair.product, s.usb->serial);
     }},
    {"fault",
     [](LineWords& w, InputSetup& s, const Scenario&) {
         s.input.fault = w.read(kFaultKinds, ReadFaultKind);
         s.input.faultAfterFrames = FramesBeforeFault(w);
     }},
};

bool IsInputOption(std::string_view word) {
    for (const InputOption& o : kInputOptions)
        if (word == o.name)
            return true;
    return false;
}

void ReadInput(LineWords& w, Scenario& scenario, int line) {
    InputSetup setup;
    setup.line = line;
    setup.index = InputIndex(w);
    // A quoted name or `unnamed`, then options.
    const std::string name = w.word("a name in quotes, or unnamed");
    if (name != "unnamed")
        setup.input.friendlyName = SimulatedName(name);
    while (!w.atEnd()) {
        const InputOption* option = nullptr;
        for (const InputOption& o : kInputOptions)
            if (!option && w.take(o.name))
                option = &o;
        if (!option)
            w.fail("an input option: pattern, image, description, no-friendly-name, "
                   "unbindable, unplugged, usb or fault");
        option->read(w, setup, scenario);
    }
    scenario.inputs.push_back(std::move(setup));
}

// The events of `at SECONDS VERB ...`, one row each; every row reads the whole rest of its line.
struct EventVerb {
    std::string_view name;
    Action (*read)(LineWords& words);
};

// Verbs that come in pairs: on and off, arrival and removal.
template <bool kPlugged> Action ReadPlug(LineWords& w) {
    return PlugInput{InputIndex(w), kPlugged};
}
template <bool kArrival> Action ReadUsbAnnouncement(LineWords& w) {
    const UsbPair pair = w.read(kUsbPair, ReadUsbPair);
    return AnnounceUsb{pair.vendor, pair.product, ReadUsbInstance(w, !w.atEnd(), "SIM"), kArrival};
}
template <bool kArrival> Action ReadAudioAnnouncement(LineWords& w) {
    return AnnounceAudio{w.word("a sound card id"), kArrival};
}
template <bool kResume> Action ReadPowerChange(LineWords&) {
    return ChangePower{kResume};
}
template <unsigned kCommand> Action ReadSystemCommand(LineWords&) {
    return SystemCommand{kCommand};
}
template <bool kAsTheyCome> Action ReadListBoxLog(LineWords& w) {
    const int id = w.whole("a list box id from 0 to 65535", 0, kLargestControlId);
    return SaveListBox{id, OutputFile(w), kAsTheyCome};
}

constexpr EventVerb kEventVerbs[] = {
    {"plug", ReadPlug<true>},
    {"unplug", ReadPlug<false>},
    {"usb-arrival", ReadUsbAnnouncement<true>},
    {"usb-removal", ReadUsbAnnouncement<false>},
    {"audio-arrival", ReadAudioAnnouncement<true>},
    {"audio-removal", ReadAudioAnnouncement<false>},
    {"resume", ReadPowerChange<true>},
    {"suspend", ReadPowerChange<false>},
    {"fault",
     [](LineWords& w) -> Action {
         const int input = InputIndex(w);
         const SimulatedFault fault = w.read(kFaultKinds, ReadFaultKind);
         return ChangeFault{input, fault, FramesBeforeFault(w)};
     }},
    {"double-click",
     [](LineWords& w) -> Action {
         const char* expected = "client coordinates x y, from -32768 to 32767";
         const int x = w.whole(expected, -kLargestCoordinate - 1, kLargestCoordinate);
         return DoubleClick{x, w.whole(expected, -kLargestCoordinate - 1, kLargestCoordinate)};
     }},
    {"key",
     [](LineWords& w) -> Action {
         return PressKey{w.read("a key: escape, return, space, a letter, a digit or a key code "
                                "from 1 to 255",
                                ReadKey)};
     }},
    {"maximize", ReadSystemCommand<SC_MAXIMIZE>},
    {"minimize", ReadSystemCommand<SC_MINIMIZE>},
    {"restore", ReadSystemCommand<SC_RESTORE>},
    {"resize",
     [](LineWords& w) -> Action {
         const char* expected = "a window width and height, from 1 to 1000000";
         const int width = w.whole(expected, 1, kLargestCount);
         return ResizeWindow{width, w.whole(expected, 1, kLargestCount)};
     }},
    {"command",
     [](LineWords& w) -> Action {
         return ClickButton{w.whole("a control id from 0 to 65535", 0, kLargestControlId)};
     }},
    {"close", [](LineWords&) -> Action { return CloseWindow{}; }},
    {"screenshot",
     [](LineWords& w) -> Action {
         // Screenshots are written as PNG alone, so the name says so.
         return SaveScreenshot{w.read("a PNG file name (NAME.png)", [](std::string_view name) {
             const bool png = name.size() > 4 && name.substr(name.size() - 4) == ".png";
             return png ? std::optional<std::string>(name) : std::nullopt;
         })};
     }},
    {"log", ReadListBoxLog<false>},
    {"log-times", ReadListBoxLog<true>},
};

std::string VerbNames() {
    std::string names;
    for (const EventVerb& verb : kEventVerbs)
        names += (names.empty() ? "" : ", ") + std::string(verb.name);
    return names;
}

void ReadEvent(LineWords& w, Scenario& scenario, int line) {
    Event event;
    event.line = line;
    event.at = w.decimal("a time in seconds, from 0 and below 86400", 0, kLongestScenario);
    const EventVerb* verb = nullptr;
    for (const EventVerb& v : kEventVerbs)
        if (!verb && w.take(v.name))
            verb = &v;
    if (!verb)
        w.fail("an event (" + VerbNames() + ")");
    w.setSubject(std::string(verb->name));
    event.action = verb->read(w);
    w.end();
    scenario.events.push_back(std::move(event));
}

// The keywords that start a line, one row each.
struct Keyword {
    std::string_view name;
    void (*read)(LineWords& words, Scenario& scenario, int line);
};

constexpr Keyword kKeywords[] = {
    {"screen",
     [](LineWords& w, Scenario& s, int) {
         const char* expected = "a screen width and height, from 64 to 8192";
         s.screenWidth = w.whole(expected, kSmallestScreen, kLargestScreen);
         s.screenHeight = w.whole(expected, kSmallestScreen, kLargestScreen);
         w.end();
     }},
    {"real-notifications",
     [](LineWords& w, Scenario& s, int) {
         s.realNotifications = true;
         w.end();
     }},
    {"input", ReadInput},
    {"at", ReadEvent},
};

} // namespace

bool ParseScenario(const std::string& text, Scenario& out, std::string& error) {
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    try {
        while (std::getline(lines, line)) {
            ++number;
            std::vector<std::string> words = SplitWords(line);
            if (words.empty())
                continue;
            const Keyword* keyword = nullptr;
            for (const Keyword& k : kKeywords)
                if (words[0] == k.name)
                    keyword = &k;
            if (!keyword)
                LineWords(std::move(words), 0, "").fail("screen, real-notifications, input or at");
            LineWords rest(std::move(words), 1, std::string(keyword->name));
            keyword->read(rest, out, number);
        }
    } catch (const LineFault& fault) {
        error = "line " + std::to_string(number) + ": " + fault.what();
        return false;
    }
    return true;
}

} // namespace platform::scenario
