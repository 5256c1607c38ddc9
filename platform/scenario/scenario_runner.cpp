#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include <opencv2/imgcodecs.hpp>

#include "platform/backend/backend.h"
#include "platform/notify/real_sources.h"
#include "platform/notify/simulated_notifications.h"
#include "platform/scenario/scenario.h"
#include "platform/scenario/window_snapshot.h"
#include "platform/scenario/list_box_times.h"
#include "platform/video/device_path.h"
#include "platform/video/simulated_devices.h"
#include "platform/window/ui_thread.h"
#include "platform/windows.h"

namespace platform::scenario {
namespace {

struct UsbIdentity {
    uint16_t vendor = 0;
    uint16_t product = 0;
    std::string serial;
    std::string card;
};

struct Runtime {
    std::shared_ptr<SimulatedVideoProvider> provider;
    std::map<int, UsbIdentity> usb; // inputs that plug and unplug as USB devices
    std::string outputFolder;
    bool realNotifications = false;
};

bool ParseInt(const std::string& word, int& value) {
    char* end = nullptr;
    const long v = std::strtol(word.c_str(), &end, 0);
    if (word.empty() || *end != '\0' || v < -1000000 || v > 1000000)
        return false;
    value = static_cast<int>(v);
    return true;
}

bool ParseSize(const std::string& word, cv::Size& size) {
    int w = 0, h = 0;
    char tail = 0;
    if (std::sscanf(word.c_str(), "%dx%d%c", &w, &h, &tail) != 2 || w < 1 || h < 1 || w > 9999 ||
        h > 9999)
        return false;
    size = {w, h};
    return true;
}

bool ParseUsb(const std::string& word, uint16_t& vendor, uint16_t& product) {
    unsigned v = 0, p = 0;
    char tail = 0;
    if (std::sscanf(word.c_str(), "%4x:%4x%c", &v, &p, &tail) != 2)
        return false;
    vendor = static_cast<uint16_t>(v);
    product = static_cast<uint16_t>(p);
    return true;
}

bool ParseFault(const std::string& word, SimulatedFault& fault) {
    static const std::map<std::string, SimulatedFault> kFaults = {
        {"none", SimulatedFault::None},
        {"open-fails", SimulatedFault::OpenFails},
        {"read-fails", SimulatedFault::ReadFails},
        {"empty-frames", SimulatedFault::EmptyFrames},
        {"throws", SimulatedFault::Throws},
        {"blocks", SimulatedFault::Blocks},
        {"blocks-uninterruptibly", SimulatedFault::BlocksUninterruptibly},
    };
    const auto found = kFaults.find(word);
    if (found == kFaults.end())
        return false;
    fault = found->second;
    return true;
}

std::string Resolve(const std::string& folder, const std::string& path) {
    if (path.empty() || path[0] == '/' || folder.empty())
        return path;
    return folder + "/" + path;
}

// "input N" descriptions: a quoted name or `unnamed`, then options.
bool SetUpInput(const InputLine& line, const std::string& folder, Runtime& runtime,
                std::string& error) {
    SimulatedInput input;
    bool plugged = true;
    const auto& w = line.words;
    size_t i = 0;
    if (w[0] == "unnamed")
        ++i;
    else
        input.friendlyName = SimulatedName(w[i++]);
    auto fail = [&](const std::string& what) {
        error = "line " + std::to_string(line.line) + ": " + what;
        return false;
    };
    // Frames per second, 0 for as fast as read: a word of digits and at most one point.
    auto optionalFps = [&](double& fps) {
        if (i >= w.size() || w[i].empty() ||
            w[i].find_first_not_of("0123456789.") != std::string::npos)
            return;
        char* end = nullptr;
        const double value = std::strtod(w[i].c_str(), &end);
        if (*end == '\0' && value >= 0) {
            fps = value;
            ++i;
        }
    };
    while (i < w.size()) {
        const std::string& option = w[i++];
        if (option == "pattern") {
            cv::Size size;
            if (i >= w.size() || !ParseSize(w[i++], size))
                return fail("pattern takes a size WIDTHxHEIGHT");
            input.picture = SimulatedPicture::Pattern(size.width, size.height);
            optionalFps(input.picture.fps);
        } else if (option == "image" || option == "video") {
            if (i >= w.size())
                return fail(option + " takes a file");
            const std::string path = Resolve(folder, w[i++]);
            input.picture =
                option == "image" ? SimulatedPicture::Image(path) : SimulatedPicture::Video(path);
            optionalFps(input.picture.fps);
        } else if (option == "description") {
            if (i >= w.size())
                return fail("description takes a text");
            input.description = SimulatedName(w[i++]);
        } else if (option == "no-friendly-name") {
            input.friendlyName.reset();
        } else if (option == "fault") {
            if (i >= w.size() || !ParseFault(w[i++], input.fault))
                return fail("unknown fault");
            if (i + 1 < w.size() && w[i] == "after") {
                if (!ParseInt(w[i + 1], input.faultAfterFrames) || input.faultAfterFrames < 0)
                    return fail("after takes a frame count");
                i += 2;
            }
        } else if (option == "unbindable") {
            input.bindable = false;
        } else if (option == "unplugged") {
            plugged = false;
        } else if (option == "usb") {
            UsbIdentity usb;
            if (i >= w.size() || !ParseUsb(w[i++], usb.vendor, usb.product))
                return fail("usb takes VENDOR:PRODUCT in hex");
            usb.serial = "SIM" + std::to_string(line.index);
            usb.card = "Capture" + std::to_string(line.index);
            runtime.usb[line.index] = usb;
            input.devicePath = UsbVideoDevicePath(usb.vendor, usb.product, usb.serial);
        } else {
            return fail("unknown input option '" + option + "'");
        }
    }
    if (line.index < 0 || line.index >= kMaxSimulatedInputs)
        return fail("input index out of range");
    runtime.provider->setInput(line.index, std::move(input));
    runtime.provider->setPlugged(line.index, plugged);
    return true;
}

HWND MainWindow() {
    HWND found = nullptr;
    EnumWindows(
        [](HWND hwnd, LPARAM out) -> BOOL {
            *reinterpret_cast<HWND*>(out) = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

bool KeyCode(const std::string& name, UINT& key) {
    if (name == "escape")
        key = VK_ESCAPE;
    else if (name == "return" || name == "enter")
        key = VK_RETURN;
    else if (name == "space")
        key = VK_SPACE;
    else if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        key = static_cast<UINT>(std::toupper(static_cast<unsigned char>(name[0])));
    else {
        int code = 0;
        if (!ParseInt(name, code) || code <= 0 || code > 255)
            return false;
        key = static_cast<UINT>(code);
    }
    return true;
}

void Report(const EventLine& event, const std::string& what) {
    std::fprintf(stderr, "vistrel: scenario line %d: %s\n", event.line, what.c_str());
}

// Checks an event's words before the run starts, so a bad scenario fails at once.
bool CheckEvent(const EventLine& e, const Runtime& runtime, std::string& error) {
    auto fail = [&](const std::string& what) {
        error = "line " + std::to_string(e.line) + ": " + what;
        return false;
    };
    const auto& w = e.words;
    int a = 0, b = 0;
    uint16_t v = 0, p = 0;
    UINT key = 0;
    SimulatedFault fault;
    if (e.verb == "plug" || e.verb == "unplug") {
        if (w.size() != 1 || !ParseInt(w[0], a) || a < 0 || a >= kMaxSimulatedInputs)
            return fail(e.verb + " takes an input index");
    } else if (e.verb == "usb-arrival" || e.verb == "usb-removal") {
        if (w.empty() || w.size() > 2 || !ParseUsb(w[0], v, p))
            return fail(e.verb + " takes VENDOR:PRODUCT [serial]");
    } else if (e.verb == "audio-arrival" || e.verb == "audio-removal") {
        if (w.size() != 1)
            return fail(e.verb + " takes a sound card id");
    } else if (e.verb == "fault") {
        if (w.size() < 2 || !ParseInt(w[0], a) || !ParseFault(w[1], fault))
            return fail("fault takes an input index and a fault");
    } else if (e.verb == "double-click") {
        if (w.size() != 2 || !ParseInt(w[0], a) || !ParseInt(w[1], b))
            return fail("double-click takes client x and y");
    } else if (e.verb == "key") {
        if (w.size() != 1 || !KeyCode(w[0], key))
            return fail("unknown key");
    } else if (e.verb == "resize") {
        if (w.size() != 2 || !ParseInt(w[0], a) || !ParseInt(w[1], b) || a < 1 || b < 1)
            return fail("resize takes a window width and height");
    } else if (e.verb == "command") {
        if (w.size() != 1 || !ParseInt(w[0], a))
            return fail("command takes a control id");
    } else if (e.verb == "screenshot") {
        // The extension picks the image format; without a known one nothing could be written.
        if (w.size() != 1 || !cv::haveImageWriter(w[0]))
            return fail("screenshot takes an image file name (.png, .jpg, .bmp, ...)");
    } else if (e.verb == "log" || e.verb == "log-times") {
        if (w.size() != 2 || !ParseInt(w[0], a) || w[1].empty() || w[1].back() == '/')
            return fail(e.verb + " takes a list box id and a file name");
    } else if (e.verb != "resume" && e.verb != "suspend" && e.verb != "maximize" &&
               e.verb != "minimize" && e.verb != "restore" && e.verb != "close") {
        return fail("unknown event '" + e.verb + "'");
    }
    (void)runtime;
    return true;
}

void Play(const EventLine& e, Runtime& runtime) {
    const auto& w = e.words;
    int a = 0, b = 0;
    HWND window = MainWindow();
    if (e.verb == "plug" || e.verb == "unplug") {
        ParseInt(w[0], a);
        const bool plug = e.verb == "plug";
        runtime.provider->setPlugged(a, plug);
        const auto usb = runtime.usb.find(a);
        if (usb == runtime.usb.end() || runtime.realNotifications)
            return;
        const UsbIdentity& id = usb->second;
        if (plug)
            notify::SimulateCaptureDevicePlugged(id.vendor, id.product, id.serial, id.card);
        else
            notify::SimulateCaptureDeviceUnplugged(id.vendor, id.product, id.serial, id.card);
    } else if (e.verb == "usb-arrival" || e.verb == "usb-removal") {
        uint16_t vendor = 0, product = 0;
        ParseUsb(w[0], vendor, product);
        const std::string name =
            notify::UsbInterfaceName(vendor, product, w.size() > 1 ? w[1] : "SIM");
        if (e.verb == "usb-arrival")
            notify::SimulateInterfaceArrival(name, GUID_DEVINTERFACE_USB_DEVICE);
        else
            notify::SimulateInterfaceRemoval(name, GUID_DEVINTERFACE_USB_DEVICE);
    } else if (e.verb == "audio-arrival" || e.verb == "audio-removal") {
        const std::string name = notify::AudioEndpointName(w[0], notify::AudioFlow::Capture);
        if (e.verb == "audio-arrival")
            notify::SimulateInterfaceArrival(name, GUID_DEVINTERFACE_AUDIO_CAPTURE);
        else
            notify::SimulateInterfaceRemoval(name, GUID_DEVINTERFACE_AUDIO_CAPTURE);
    } else if (e.verb == "fault") {
        SimulatedFault fault = SimulatedFault::None;
        ParseInt(w[0], a);
        ParseFault(w[1], fault);
        if (w.size() >= 4 && w[2] == "after")
            ParseInt(w[3], b);
        runtime.provider->setFault(a, fault, b);
    } else if (e.verb == "resume") {
        notify::SimulateResume();
    } else if (e.verb == "suspend") {
        notify::SimulateSuspend();
    } else if (!window) {
        Report(e, "no window for " + e.verb);
    } else if (e.verb == "double-click") {
        ParseInt(w[0], a);
        ParseInt(w[1], b);
        PostMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(a, b));
    } else if (e.verb == "key") {
        UINT key = 0;
        KeyCode(w[0], key);
        PostMessageW(window, WM_KEYDOWN, key, 1);
        PostMessageW(window, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
    } else if (e.verb == "maximize") {
        PostMessageW(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    } else if (e.verb == "minimize") {
        PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (e.verb == "restore") {
        PostMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    } else if (e.verb == "resize") {
        ParseInt(w[0], a);
        ParseInt(w[1], b);
        SetWindowPos(window, nullptr, 0, 0, a, b, SWP_NOMOVE | SWP_NOZORDER);
    } else if (e.verb == "command") {
        ParseInt(w[0], a);
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(a, BN_CLICKED), 0);
    } else if (e.verb == "close") {
        PostMessageW(window, WM_CLOSE, 0, 0);
    } else if (e.verb == "screenshot") {
        std::string error;
        if (!SaveWindowSnapshot(window, Resolve(runtime.outputFolder, w[0]), error))
            Report(e, error);
    } else if (e.verb == "log") {
        ParseInt(w[0], a);
        std::string error;
        if (!SaveListBoxText(GetDlgItem(window, a), Resolve(runtime.outputFolder, w[1]), error))
            Report(e, error);
    } else if (e.verb == "log-times") {
        ParseInt(w[0], a);
        std::string error;
        if (!TimeListBoxAdditions(GetDlgItem(window, a), Resolve(runtime.outputFolder, w[1]),
                                  error))
            Report(e, error);
    }
}

} // namespace

bool StartScenario(const Scenario& scenario, std::string& error) {
    auto runtime = std::make_shared<Runtime>();
    if (const char* out = std::getenv("VISTREL_SCENARIO_OUT"))
        runtime->outputFolder = out;
    runtime->provider = InstallSimulatedVideoProvider();
    runtime->realNotifications = scenario.realNotifications;
    if (!scenario.realNotifications)
        notify::SetRealNotificationSourcesEnabled(false);
    for (const InputLine& input : scenario.inputs)
        if (!SetUpInput(input, scenario.folder, *runtime, error))
            return false;
    for (const EventLine& event : scenario.events)
        if (!CheckEvent(event, *runtime, error))
            return false;
    if (scenario.screenWidth > 0 && std::string(CurrentBackend().name()) == "headless")
        SetBackend(CreateHeadlessBackend(scenario.screenWidth, scenario.screenHeight));
    for (const EventLine& event : scenario.events)
        PostToUiThreadAfter(static_cast<int>(event.at * 1000 + 0.5),
                            [event, runtime] { Play(event, *runtime); });
    return true;
}

void StartScenarioFromEnvironment() {
    const char* path = std::getenv("VISTREL_SCENARIO");
    if (!path || !*path)
        return;
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    Scenario scenario;
    std::string error;
    const std::string name(path);
    const size_t slash = name.rfind('/');
    scenario.folder = slash == std::string::npos ? "." : name.substr(0, slash);
    if (!file) {
        error = "cannot read the file";
    } else if (ParseScenario(text.str(), scenario, error) && StartScenario(scenario, error)) {
        return;
    }
    std::fprintf(stderr, "vistrel: scenario %s: %s\n", path, error.c_str());
    std::exit(2);
}

} // namespace platform::scenario
