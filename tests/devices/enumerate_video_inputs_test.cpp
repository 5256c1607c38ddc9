#include <thread>

#include <gtest/gtest.h>

#include "devices/VideoInputs.h"
#include "platform/com/com_runtime.h"
#include "simulated_fixture.h"

namespace {

using platform::SimulatedInput;

class EnumerateVideoInputsTest : public SimulatedInputsTest {
protected:
    std::vector<std::string> names;
};

TEST_F(EnumerateVideoInputsTest, NoDevicesGivesZeroAndAnEmptyList) {
    EXPECT_EQ(EnumerateVideoInputs(names), 0);
    EXPECT_TRUE(names.empty());
}

TEST_F(EnumerateVideoInputsTest, AppendsInEnumerationOrderAfterWhatTheListHeld) {
    addNamed(0, u"USB Camera");
    addNamed(1, u"HDMI Capture");
    names.push_back("kept");
    EXPECT_EQ(EnumerateVideoInputs(names), 2);
    EXPECT_EQ(names, (std::vector<std::string>{"kept", "USB Camera", "HDMI Capture"}));
}

TEST_F(EnumerateVideoInputsTest, DeviceWithoutNamesIsCountedButLeavesNoEntry) {
    addNamed(0, u"First");
    sim->setInput(1, SimulatedInput{});
    addNamed(2, u"Third HDMI Capture");
    EXPECT_EQ(EnumerateVideoInputs(names), 3);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[1], "Third HDMI Capture");
}

TEST_F(EnumerateVideoInputsTest, UnbindableDeviceIsSkippedAndNotCounted) {
    addNamed(0, u"First");
    SimulatedInput hidden;
    hidden.friendlyName = u"Hidden";
    hidden.bindable = false;
    sim->setInput(1, hidden);
    addNamed(2, u"Third");
    EXPECT_EQ(EnumerateVideoInputs(names), 2);
    EXPECT_EQ(names, (std::vector<std::string>{"First", "Third"}));
}

TEST_F(EnumerateVideoInputsTest, FriendlyNameWinsOverDescription) {
    SimulatedInput both;
    both.description = u"The description";
    both.friendlyName = u"The friendly name";
    sim->setInput(0, both);
    SimulatedInput descriptionOnly;
    descriptionOnly.description = u"Only a description";
    sim->setInput(1, descriptionOnly);
    EXPECT_EQ(EnumerateVideoInputs(names), 2);
    EXPECT_EQ(names, (std::vector<std::string>{"The friendly name", "Only a description"}));
}

TEST_F(EnumerateVideoInputsTest, EmptyNameMakesAnEmptyEntry) {
    addNamed(0, u"");
    EXPECT_EQ(EnumerateVideoInputs(names), 1);
    EXPECT_EQ(names, std::vector<std::string>{""});
}

TEST_F(EnumerateVideoInputsTest, IndexWithoutADeviceKeepsLaterPositions) {
    addNamed(2, u"HDMI Capture");
    EXPECT_EQ(EnumerateVideoInputs(names), 3);
    EXPECT_EQ(names, (std::vector<std::string>{"", "", "HDMI Capture"}));
}

TEST_F(EnumerateVideoInputsTest, LongNameIsCutTo255Characters) {
    std::u16string name;
    for (int i = 0; i < 300; ++i)
        name.push_back(static_cast<char16_t>(u'a' + i % 26));
    addNamed(0, name);
    EnumerateVideoInputs(names);
    ASSERT_EQ(names.size(), 1u);
    ASSERT_EQ(names[0].size(), 255u);
    for (int i = 0; i < 255; ++i)
        ASSERT_EQ(names[0][i], static_cast<char>('a' + i % 26));
}

TEST_F(EnumerateVideoInputsTest, UnitsAboveFfKeepTheirLowByteAndZeroLowByteEndsTheName) {
    addNamed(0, u"A\u0141B\u00E9C");   // U+0141 has low byte 0x41 ('A')
    addNamed(1, u"HDMI\u4E00Capture"); // U+4E00 has low byte 0
    EnumerateVideoInputs(names);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], "AAB\xE9"
                        "C");
    EXPECT_EQ(names[1], "HDMI");
}

TEST_F(EnumerateVideoInputsTest, UnpluggedDeviceIsNotListed) {
    addNamed(0, u"Camera");
    addNamed(1, u"HDMI Capture");
    sim->setPlugged(1, false);
    EXPECT_EQ(EnumerateVideoInputs(names), 1);
    EXPECT_EQ(names, std::vector<std::string>{"Camera"});
}

TEST_F(EnumerateVideoInputsTest, LeavesComInitialisedOnItsThread) {
    addNamed(0, u"Camera");
    int initializations = -1;
    std::thread([&] {
        EnumerateVideoInputs(names);
        initializations = platform::ComInitializations();
    }).join();
    EXPECT_EQ(initializations, 1);
    EXPECT_EQ(names.size(), 1u);
}

} // namespace
