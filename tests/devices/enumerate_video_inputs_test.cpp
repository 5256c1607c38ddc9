#include <thread>

#include <gtest/gtest.h>

#include "devices/VideoInputs.h"
#include "platform/com/com_runtime.h"
#include "simulated_fixture.h"

namespace {

using platform::SimulatedInput;
using Names = std::vector<std::string>;

using EnumerateVideoInputsTest = SimulatedInputsTest;

// A device without names is counted but leaves no entry; an empty name or an index gap leaves
// an empty one; unbindable devices and a trailing unplugged one are neither counted nor listed.
TEST_F(EnumerateVideoInputsTest, CountsAndEntriesForEveryKindOfDevice) {
    Names names;
    EXPECT_EQ(EnumerateVideoInputs(names), 0);
    EXPECT_TRUE(names.empty());
    SimulatedInput both = SimulatedInput::Named(u"Friendly"), unbindable = both, descriptionOnly;
    both.description = u"Description";
    descriptionOnly.description = u"Only a description";
    unbindable.bindable = false;
    sim->setInput(0, both);
    sim->setInput(1, SimulatedInput{});
    sim->setInput(2, unbindable);
    sim->setInput(3, descriptionOnly);
    addNamed(4, u"");
    addNamed(6, u"HDMI Capture");
    addNamed(7, u"Unplugged");
    sim->setPlugged(7, false);
    names.push_back("kept");
    int count = -1, comInitializations = -1; // COM is left initialised on the calling thread
    std::thread([&] {
        count = EnumerateVideoInputs(names);
        comInitializations = platform::ComInitializations();
    }).join();
    EXPECT_EQ(count, 6);
    EXPECT_EQ(comInitializations, 1);
    EXPECT_EQ(names, (Names{"kept", "Friendly", "Only a description", "", "", "HDMI Capture"}));
}

TEST_F(EnumerateVideoInputsTest, NamesAreCutTo255AndNarrowedToTheLowByte) {
    std::u16string longName(300, u'a');
    longName[254] = u'y';
    addNamed(0, longName);
    addNamed(1, u"A\u0141B\u00E9C");   // U+0141 has low byte 0x41 ('A')
    addNamed(2, u"HDMI\u4E00Capture"); // U+4E00 has low byte 0: the name ends there
    Names names;
    EXPECT_EQ(EnumerateVideoInputs(names), 3);
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0], std::string(254, 'a') + "y");
    EXPECT_EQ(names[1], "AAB\xE9"
                        "C");
    EXPECT_EQ(names[2], "HDMI");
}

TEST_F(EnumerateVideoInputsTest, DevicePathsGoAlongWithTheNames) {
    SimulatedInput dongle = SimulatedInput::Named(u"HDMI Capture");
    dongle.devicePath = u"\\\\?\\usb#vid_534d&pid_2109&mi_00#1-2#{guid}";
    addNamed(0, u"Camera");
    sim->setInput(1, SimulatedInput{}); // no name: neither entry nor path
    sim->setInput(2, dongle);
    Names names, paths;
    EXPECT_EQ(EnumerateVideoInputs(names, &paths), 3);
    EXPECT_EQ(names, (Names{"Camera", "HDMI Capture"}));
    EXPECT_EQ(paths, (Names{"", "\\\\?\\usb#vid_534d&pid_2109&mi_00#1-2#{guid}"}));
}

} // namespace
