#include <gtest/gtest.h>

#include <cstring>

#include "platform/notify/broadcast_record.h"
#include "platform/notify/interface_names.h"
#include "platform/win32/com.h"
#include "platform/win32/constants.h"

using namespace platform::notify;

namespace {

DWORD Dword(const std::vector<uint8_t>& bytes, size_t at) {
    DWORD value;
    std::memcpy(&value, &bytes[at], 4);
    return value;
}

char16_t Unit(const std::vector<uint8_t>& bytes, size_t at) {
    char16_t value;
    std::memcpy(&value, &bytes[at], 2);
    return value;
}

struct LayoutCase {
    std::string name;
    std::u16string expected;
};

class RecordLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(RecordLayout, IsLaidOutAsWindowsLaysIt) {
    const LayoutCase& c = GetParam();
    const InterfaceRecord record(c.name, GUID_DEVINTERFACE_AUDIO_CAPTURE);
    const std::vector<uint8_t> bytes = record.bytes();

    const size_t size = 28 + 2 * (c.expected.size() + 1);
    ASSERT_EQ(bytes.size(), size);
    EXPECT_EQ(Dword(bytes, 0), size);
    EXPECT_EQ(Dword(bytes, 4), DWORD(DBT_DEVTYP_DEVICEINTERFACE));
    EXPECT_EQ(Dword(bytes, 8), 0u);
    GUID guid;
    std::memcpy(&guid, &bytes[12], sizeof guid);
    EXPECT_EQ(guid, GUID_DEVINTERFACE_AUDIO_CAPTURE);
    for (size_t i = 0; i < c.expected.size(); ++i)
        ASSERT_EQ(Unit(bytes, 28 + 2 * i), c.expected[i]) << "unit " << i;
    EXPECT_EQ(Unit(bytes, size - 2), 0) << "zero-terminated";

    // The struct view agrees with the bytes.
    EXPECT_EQ(record.get()->dbcc_size, size);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(record.get()->dbcc_name)),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, RecordLayout,
    testing::Values(
        LayoutCase{"", u""}, LayoutCase{"A", u"A"},
        LayoutCase{UsbInterfaceName(0x3188, 0x1234, "0001"),
                   u"\\\\?\\USB#VID_3188&PID_1234#0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}"},
        LayoutCase{"Caf\xc3\xa9", u"Caf\u00e9"},         // two-byte UTF-8
        LayoutCase{"\xe2\x82\xac", u"\u20ac"},           // three-byte UTF-8
        LayoutCase{"\xf0\x9f\x8e\xa5", u"\xd83c\xdfa5"}, // a surrogate pair
        LayoutCase{"a\xff"
                   "b",
                   u"a\xfffd"
                   "b"},                                    // not UTF-8 at all
        LayoutCase{"\xe2\x82", u"\xfffd"},                  // cut short: one replacement
        LayoutCase{"\xc0\xaf", u"\xfffd\xfffd"},            // overlong
        LayoutCase{"\xed\xa0\x80", u"\xfffd\xfffd\xfffd"}), // an encoded surrogate
    [](const testing::TestParamInfo<LayoutCase>& info) {
        return "case" + std::to_string(info.index);
    });

TEST(InterfaceRecord, IsAlignedForItsFields) {
    for (int length = 0; length < 40; ++length) {
        const InterfaceRecord record(std::string(length, 'x'), GUID_DEVINTERFACE_USB_DEVICE);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(record.get()) % alignof(GUID), 0u);
    }
}

} // namespace
