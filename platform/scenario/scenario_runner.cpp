// Plays a parsed scenario: installs the simulated inputs, then each event at its time on the
// user-interface thread, through the simulated notification sources and window messages.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "platform/backend/backend.h"
#include "platform/notify/interface_names.h"
#include "platform/notify/real_sources.h"
#include "platform/notify/simulated_notifications.h"
#include "platform/scenario/list_box_times.h"
#include "platform/scenario/scenario.h"
#include "platform/scenario/window_snapshot.h"
#include "platform/window/ui_thread.h"
#include "platform/windows.h"

namespace platform::scenario {
namespace {

struct Runtime {
    std::string file;
    std::shared_ptr<SimulatedVideoProvider> provider;
    std::map<int, UsbIdentity> usb; // inputs that plug and unplug as USB devices
    std::string outputFolder;
    bool realNotifications = false;
};

std::string OutputPath(const Runtime& runtime, const std::string& file) {
    if (file[0] == '/' || runtime.outputFolder.empty())
        return file;
    return runtime.outputFolder + "/" + file;
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

// Plays one event; the ones for the window find it first.
struct Player {
    Runtime& runtime;
    int line;

    void report(const std::string& what) const {
        std::fprintf(stderr, "vistrel: scenario %s: line %d: %s\n", runtime.file.c_str(), line,
                     what.c_str());
    }
    HWND window() const {
        HWND window = MainWindow();
        if (!window)
            report("no window yet");
        return window;
    }

    void operator()(const PlugInput& e) const {
        runtime.provider->setPlugged(e.input, e.plugged);
        const auto usb = runtime.usb.find(e.input);
        if (usb == runtime.usb.end() || runtime.realNotifications)
            return;
        const UsbIdentity& id = usb->second;
        if (e.plugged)
            notify::SimulateCaptureDevicePlugged(id.vendor, id.product, id.serial, id.card);
        else
            notify::SimulateCaptureDeviceUnplugged(id.vendor, id.product, id.serial, id.card);
    }
    void operator()(const AnnounceUsb& e) const {
        const std::string name = notify::UsbInterfaceName(e.vendor, e.product, e.serial);
        if (e.arrival)
            notify::SimulateInterfaceArrival(name, GUID_DEVINTERFACE_USB_DEVICE);
        else
            notify::SimulateInterfaceRemoval(name, GUID_DEVINTERFACE_USB_DEVICE);
    }
    void operator()(const AnnounceAudio& e) const {
        const std::string name = notify::AudioEndpointName(e.card, notify::AudioFlow::Capture);
        if (e.arrival)
            notify::SimulateInterfaceArrival(name, GUID_DEVINTERFACE_AUDIO_CAPTURE);
        else
            notify::SimulateInterfaceRemoval(name, GUID_DEVINTERFACE_AUDIO_CAPTURE);
    }
    void operator()(const ChangePower& e) const {
        if (e.resume)
            notify::SimulateResume();
        else
            notify::SimulateSuspend();
    }
    void operator()(const ChangeFault& e) const {
        runtime.provider->setFault(e.input, e.fault, e.afterFrames);
    }
    void operator()(const DoubleClick& e) const {
        if (HWND w = window())
            PostMessageW(w, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(e.x, e.y));
    }
    void operator()(const PressKey& e) const {
        if (HWND w = window()) {
            // lParam: a repeat count of 1; the key-up adds "was down" and "being released".
            PostMessageW(w, WM_KEYDOWN, e.key, 1);
            PostMessageW(w, WM_KEYUP, e.key, static_cast<LPARAM>(0xC0000001u));
        }
    }
    void operator()(const SystemCommand& e) const {
        if (HWND w = window())
            PostMessageW(w, WM_SYSCOMMAND, e.command, 0);
    }
    void operator()(const ResizeWindow& e) const {
        if (HWND w = window())
            SetWindowPos(w, nullptr, 0, 0, e.width, e.height, SWP_NOMOVE | SWP_NOZORDER);
    }
    void operator()(const ClickButton& e) const {
        if (HWND w = window())
            PostMessageW(w, WM_COMMAND, MAKEWPARAM(e.id, BN_CLICKED), 0);
    }
    void operator()(const CloseWindow&) const {
        if (HWND w = window())
            PostMessageW(w, WM_CLOSE, 0, 0);
    }
    void operator()(const SaveScreenshot& e) const {
        std::string error;
        if (HWND w = window(); w && !SaveWindowSnapshot(w, OutputPath(runtime, e.file), error))
            report(error);
    }
    void operator()(const SaveListBox& e) const {
        HWND w = window();
        if (!w)
            return;
        const HWND listBox = GetDlgItem(w, e.id);
        const std::string path = OutputPath(runtime, e.file);
        std::string error;
        if (!(e.asTheyCome ? TimeListBoxAdditions(listBox, path, error)
                           : SaveListBoxText(listBox, path, error)))
            report(error);
    }
};

} // namespace

void StartScenario(const Scenario& scenario) {
    auto runtime = std::make_shared<Runtime>();
    runtime->file = scenario.file;
    if (const char* out = std::getenv("VISTREL_SCENARIO_OUT"))
        runtime->outputFolder = out;
    runtime->provider = InstallSimulatedVideoProvider();
    runtime->realNotifications = scenario.realNotifications;
    if (!scenario.realNotifications)
        notify::SetRealNotificationSourcesEnabled(false);
    for (const InputSetup& setup : scenario.inputs) {
        runtime->provider->setInput(setup.index, setup.input);
        runtime->provider->setPlugged(setup.index, setup.plugged);
        if (setup.usb)
            runtime->usb[setup.index] = *setup.usb;
    }
    if (scenario.screenWidth > 0 && std::string(CurrentBackend().name()) == "headless")
        SetBackend(CreateHeadlessBackend(scenario.screenWidth, scenario.screenHeight));
    for (const Event& event : scenario.events)
        PostToUiThreadAfter(static_cast<int>(event.at * 1000 + 0.5), [event, runtime] {
            std::visit(Player{*runtime, event.line}, event.action);
        });
}

void StartScenarioFromEnvironment() {
    const char* path = std::getenv("VISTREL_SCENARIO");
    if (!path || !*path)
        return;
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    Scenario scenario;
    scenario.file = path;
    const size_t slash = scenario.file.rfind('/');
    scenario.folder = slash == std::string::npos ? "." : scenario.file.substr(0, slash);
    std::string error;
    if (!file) {
        error = "cannot read the file";
    } else if (ParseScenario(text.str(), scenario, error)) {
        StartScenario(scenario);
        return;
    }
    std::fprintf(stderr, "vistrel: scenario %s: %s\n", path, error.c_str());
    std::exit(2); // the exit status of a scenario that cannot be read or has a fault
}

} // namespace platform::scenario
