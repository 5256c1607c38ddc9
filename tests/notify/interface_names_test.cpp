#include <gtest/gtest.h>

#include "platform/notify/interface_names.h"
#include "platform/win32/com.h"

using namespace platform::notify;

namespace {

TEST(InterfaceNames, UsbNameHasWindowsForm) {
    EXPECT_EQ(UsbInterfaceName(0x3188, 0x1234, "ABC123"),
              "\\\\?\\USB#VID_3188&PID_1234#ABC123#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
    // Four upper-case hex digits, zero-padded.
    EXPECT_EQ(UsbInterfaceName(0x00ab, 0x0c0d, "x"),
              "\\\\?\\USB#VID_00AB&PID_0C0D#x#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
}

TEST(InterfaceNames, GuidTextIsBracedLowerCase) {
    EXPECT_EQ(GuidText(GUID_DEVINTERFACE_AUDIO_CAPTURE), "{2eef81be-33fa-4800-9670-1cd474972c3f}");
    EXPECT_EQ(GuidText(GUID{}), "{00000000-0000-0000-0000-000000000000}");
}

TEST(InterfaceNames, AudioEndpointNamesCarryMmdevapiAndTheirFlow) {
    const std::string capture = AudioEndpointName("MS2109", AudioFlow::Capture);
    const std::string render = AudioEndpointName("MS2109", AudioFlow::Render);
    const std::string card = GuidText(GuidFromText("MS2109"));
    EXPECT_EQ(capture, "\\\\?\\SWD#MMDEVAPI#{0.0.1.00000000}." + card +
                           "#{2eef81be-33fa-4800-9670-1cd474972c3f}");
    EXPECT_EQ(render, "\\\\?\\SWD#MMDEVAPI#{0.0.0.00000000}." + card +
                          "#{e6327cad-dcec-4949-ae8a-991e976a79d2}");
    EXPECT_EQ(AudioEndpointClass(AudioFlow::Capture), GUID_DEVINTERFACE_AUDIO_CAPTURE);
    EXPECT_EQ(AudioEndpointClass(AudioFlow::Render), GUID_DEVINTERFACE_AUDIO_RENDER);
    // The viewer must not take an audio endpoint for the capture device's USB interface.
    EXPECT_EQ(capture.find("VID_"), std::string::npos);
}

TEST(InterfaceNames, CardGuidIsStablePerIdAndDiffersBetweenIds) {
    EXPECT_EQ(GuidFromText("MS2109"), GuidFromText("MS2109"));
    EXPECT_NE(GuidFromText("MS2109"), GuidFromText("MS2109_1"));
    EXPECT_NE(GuidFromText(""), GuidFromText("PCH"));
    const GUID g = GuidFromText("PCH");
    EXPECT_EQ(g.Data3 >> 12, 5) << "name-based version";
    EXPECT_EQ(g.Data4[0] & 0xc0, 0x80) << "RFC 4122 variant";
}

TEST(InterfaceNames, InstanceIdIsTheSerialWhenWindowsWouldAcceptIt) {
    EXPECT_EQ(UsbInstanceId("20000130041415", "1-2"), "20000130041415");
    const std::string fromPort = UsbInstanceId("", "1-2.3");
    EXPECT_EQ(fromPort.rfind("5&", 0), 0u);
    EXPECT_EQ(fromPort.substr(fromPort.size() - 4), "&0&3");
    EXPECT_EQ(UsbInstanceId("", "1-2.3"), fromPort) << "stable for the port";
    EXPECT_NE(UsbInstanceId("", "1-2.4"), fromPort);
    // Serials that would break the name or that Windows rejects fall back to the port id.
    for (const char* bad : {"a,b", "a#b", "with space", "tab\t", "\x7f", "\xc3\xa9"})
        EXPECT_EQ(UsbInstanceId(bad, "1-2.3"), fromPort) << bad;
}

TEST(InterfaceNames, InstanceIdFromOddPortsStaysShortAndNamed) {
    EXPECT_EQ(UsbInstanceId("", "").substr(0, 2), "5&");
    EXPECT_LT(UsbInstanceId("", std::string(300, '9')).size(), 40u);
    EXPECT_EQ(UsbInstanceId("", "usb1").find('#'), std::string::npos);
}

} // namespace
