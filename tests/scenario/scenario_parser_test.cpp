// The scenario parser line by line: what each event line becomes, what an input line sets up,
// and the message for each kind of bad line (its number, what was expected, what stood there).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/scenario/scenario.h"
#include "platform/system/usb_instance.h"
#include "platform/video/device_path.h"
#include "platform/windows.h"

namespace {

using namespace platform;
using namespace platform::scenario;

struct Parsed {
    bool ok = false;
    std::string error;
    Scenario scenario;
};

Parsed Parse(const std::string& text) {
    Parsed parsed;
    parsed.scenario.folder = "shots";
    parsed.ok = ParseScenario(text, parsed.scenario, parsed.error);
    return parsed;
}

TEST(ScenarioParser, EventLinesBecomeTypedEvents) {
    const std::pair<const char*, Action> kLines[] = {
        {"at 1 unplug 010", PlugInput{10, false}}, // decimal, as `input 010` is
        {"at 1 plug 7", PlugInput{7, true}},
        {"at 1 usb-arrival 3188:1234", AnnounceUsb{0x3188, 0x1234, "SIM", true}},
        {"at 1 usb-removal FFFF:1 X9", AnnounceUsb{0xFFFF, 0x1, "X9", false}},
        {"at 1 usb-removal 3188:1234 port 1-2",
         AnnounceUsb{0x3188, 0x1234, UsbInstanceId("", "1-2"), false}},
        {"at 1 audio-arrival Capture1", AnnounceAudio{"Capture1", true}},
        {"at 1 resume", ChangePower{true}},
        {"at 1 suspend", ChangePower{false}},
        {"at 1 fault 2 blocks after 5", ChangeFault{2, SimulatedFault::Blocks, 5}},
        {"at 1 fault 2 none", ChangeFault{2, SimulatedFault::None, 0}},
        {"at 1 fault 2 undecodable", ChangeFault{2, SimulatedFault::Undecodable, 0}},
        {"at 1 double-click -5 100", DoubleClick{-5, 100}},
        {"at 1 key escape", PressKey{VK_ESCAPE}},
        {"at 1 key z", PressKey{'Z'}},
        {"at 1 key 112", PressKey{112}},
        {"at 1 minimize", SystemCommand{SC_MINIMIZE}},
        {"at 1 resize 700 400", ResizeWindow{700, 400}},
        {"at 1 command 1002", ClickButton{1002}},
        {"at 1 close # and a comment", CloseWindow{}},
        {"at 1 screenshot \"a shot.png\"", SaveScreenshot{"a shot.png"}},
        {"at 1 log 1005 events.txt", SaveListBox{1005, "events.txt", false}},
        {"at 1 log-times 1005 times.txt", SaveListBox{1005, "times.txt", true}},
    };
    for (const auto& [line, action] : kLines) {
        const Parsed parsed = Parse(line);
        ASSERT_TRUE(parsed.ok) << line << ": " << parsed.error;
        ASSERT_EQ(parsed.scenario.events.size(), 1u) << line;
        EXPECT_EQ(parsed.scenario.events[0].action, action) << line;
    }
    const Parsed timed = Parse("\n# a comment\nat 2.5 close\nat 0 close\n");
    ASSERT_TRUE(timed.ok) << timed.error;
    EXPECT_EQ(timed.scenario.events[0].at, 2.5);
    EXPECT_EQ(timed.scenario.events[0].line, 3);
    EXPECT_EQ(timed.scenario.events[1].at, 0);
}

TEST(ScenarioParser, InputLinesSetUpTheirInputs) {
    const Parsed parsed =
        Parse("screen 1280 800\nreal-notifications\n"
              "input 010 \"Cam\" pattern 640x360 30 usb 3188:1234 fault throws after 3 unplugged\n"
              "input 2 unnamed image pic.png description \"A b\" no-friendly-name unbindable\n");
    ASSERT_TRUE(parsed.ok) << parsed.error;
    const Scenario& s = parsed.scenario;
    EXPECT_EQ(s.screenWidth, 1280);
    EXPECT_EQ(s.screenHeight, 800);
    EXPECT_TRUE(s.realNotifications);
    ASSERT_EQ(s.inputs.size(), 2u);

    const InputSetup& cam = s.inputs[0];
    EXPECT_EQ(cam.index, 10);
    EXPECT_EQ(cam.line, 3);
    EXPECT_EQ(cam.input.friendlyName, u"Cam");
    EXPECT_EQ(cam.input.picture.kind, SimulatedPicture::Kind::Pattern);
    EXPECT_EQ(cam.input.picture.size, cv::Size(640, 360));
    EXPECT_EQ(cam.input.picture.fps, 30);
    EXPECT_EQ(cam.usb, (UsbIdentity{0x3188, 0x1234, "SIM10", "Capture10"}));
    EXPECT_TRUE(cam.input.devicePath.has_value());
    EXPECT_EQ(cam.input.fault, SimulatedFault::Throws);
    EXPECT_EQ(cam.input.faultAfterFrames, 3);
    EXPECT_FALSE(cam.plugged);

    const InputSetup& still = s.inputs[1];
    EXPECT_EQ(still.input.picture.kind, SimulatedPicture::Kind::ImageFile);
    EXPECT_EQ(still.input.picture.path, "shots/pic.png"); // beside the scenario file
    EXPECT_EQ(still.input.description, u"A b");
    EXPECT_FALSE(still.input.friendlyName.has_value());
    EXPECT_FALSE(still.input.bindable);
    EXPECT_TRUE(still.plugged);
    EXPECT_FALSE(still.usb.has_value());
}

// `usb` gives the input's device path the instance its USB names carry: the serial, the port's
// id, or one that follows the index; the next option is not taken for a serial.
TEST(ScenarioParser, UsbInputsCarryTheirInstance) {
    const std::pair<const char*, std::string> kLines[] = {
        {"input 4 \"a\" usb 3188:1234", "SIM4"},
        {"input 4 \"a\" usb 3188:1234 unplugged", "SIM4"},
        {"input 4 \"a\" usb 3188:1234 HDMI0002 unplugged", "HDMI0002"},
        {"input 4 \"a\" usb 3188:1234 port 1-2.3 unplugged", UsbInstanceId("", "1-2.3")},
    };
    for (const auto& [line, instance] : kLines) {
        const Parsed parsed = Parse(line);
        ASSERT_TRUE(parsed.ok) << line << ": " << parsed.error;
        const InputSetup& setup = parsed.scenario.inputs.at(0);
        ASSERT_TRUE(setup.usb) << line;
        EXPECT_EQ(setup.usb->serial, instance) << line;
        EXPECT_EQ(setup.input.devicePath, UsbVideoDevicePath(0x3188, 0x1234, instance)) << line;
        EXPECT_EQ(setup.plugged, !std::strstr(line, "unplugged")) << line;
    }
}

TEST(ScenarioParser, BadLinesSayWhereAndWhatWasExpected) {
    const std::pair<const char*, const char*> kLines[] = {
        {"at 1 unplug 010x", "line 1: unplug: expected an input index from 0 to 255, found "
                             "\"010x\""},
        {"at 1 plug 256", "line 1: plug: expected an input index from 0 to 255, found \"256\""},
        {"at 1 plug 99999999999", "found \"99999999999\""}, // past an int
        {"at 1 plug +1", "found \"+1\""},
        {"at 1 plug", "found the end of the line"},
        {"at 1 close now", "line 1: close: expected the end of the line, found \"now\""},
        {"at nan close", "line 1: at: expected a time in seconds, from 0 and below 86400"},
        {"at 86400 close", "found \"86400\""},
        {"at 1 jump", "line 1: at: expected an event (plug, unplug, usb-arrival,"},
        {"at 1 fault 0 sometimes", "line 1: fault: expected a fault: none, open-fails,"},
        {"at 1 fault 0 throws after", "expected a frame count after \"after\", found the end"},
        {"at 1 usb-arrival 3188", "line 1: usb-arrival: expected a USB identity VVVV:PPPP"},
        {"at 1 usb-arrival 13188:1", "found \"13188:1\""},
        {"at 1 usb-removal 3188:1 port", "expected a USB port such as 1-2 or 1-2.3, found the end"},
        {"input 0 \"a\" usb 3188:1 port 1#2", "found \"1#2\""},
        {"at 1 key 0x1B", "line 1: key: expected a key: escape, return,"},
        {"at 1 double-click 40000 1", "found \"40000\""},
        {"at 1 resize 700 0", "line 1: resize: expected a window width and height"},
        {"at 1 screenshot shot.xyz", "line 1: screenshot: expected a PNG file name (NAME.png)"},
        {"at 1 screenshot shot.jpg", "line 1: screenshot: expected a PNG file name"},
        {"at 1 screenshot .png", "line 1: screenshot: expected a PNG file name"},
        {"at 1 screenshot shot", "line 1: screenshot: expected a PNG file name"},
        {"at 1 screenshot \"\"", "line 1: screenshot: expected a PNG file name"},
        {"at 1 log 1005 out/", "line 1: log: expected a file name, found \"out/\""},
        {"at 1 log 1005 \"\"", "line 1: log: expected a file name"},
        {"screen 63 800", "line 1: screen: expected a screen width and height, from 64 to 8192"},
        {"input 0", "line 1: input: expected a name in quotes, or unnamed, found the end"},
        {"input 0 \"a\" pattern 0x0", "line 1: input: expected a size WIDTHxHEIGHT"},
        {"input 0 \"a\" pattern 640x360 1.5.", "expected frames per second, found \"1.5.\""},
        {"input 0 \"a\" fault throws after -1", "found \"-1\""},
        {"input 0 \"a\" colour red", "line 1: input: expected an input option: pattern,"},
        {"input 0 \"a\" video c.mp4", "line 1: input: expected an input option: pattern, image, "
                                      "description,"},
        {"input 0 \"a", "line 1: a quoted text is not closed"},
        {"volume 11", "line 1: expected screen, real-notifications, input or at, found "
                      "\"volume\""},
        {"input 0 \"a\"\n\n# a comment\nat 1 plug -1", "line 4: plug:"},
    };
    for (const auto& [text, error] : kLines) {
        const Parsed parsed = Parse(text);
        const std::string lastLine =
            "line " + std::to_string(1 + std::count(text, text + std::strlen(text), '\n')) + ": ";
        EXPECT_FALSE(parsed.ok) << text;
        EXPECT_THAT(parsed.error,
                    testing::AllOf(testing::StartsWith(lastLine), testing::HasSubstr(error)))
            << text;
    }
}

// The shipped scenarios and the example of the README's Scenarios section all parse.
TEST(ScenarioParser, ShippedScenariosAndTheReadmeExampleParse) {
    auto read = [](const std::string& name) {
        std::ifstream file(VISTREL_SOURCE_DIR "/" + name);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    };
    const std::string readme = read("README.md");
    const size_t section = readme.find("## Scenarios");
    const size_t begin = readme.find("```\n", section) + 4;
    const std::string example = readme.substr(begin, readme.find("```", begin) - begin);
    for (const std::string& text :
         {read("scenarios/demo.scenario"), read("scenarios/hotplug.scenario"), example}) {
        const Parsed parsed = Parse(text);
        EXPECT_TRUE(parsed.ok) << parsed.error << " in\n" << text;
        EXPECT_FALSE(parsed.scenario.events.empty()) << text;
    }
}

} // namespace
