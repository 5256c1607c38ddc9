#include <gtest/gtest.h>

#include <cstring>

#include "platform/notify/broadcast_record.h"
#include "platform/win32/com.h"
#include "platform/win32/constants.h"

using namespace platform::notify;

namespace {

template <typename T> T At(const std::vector<uint8_t>& bytes, size_t at) {
    T value;
    std::memcpy(&value, &bytes[at], sizeof value);
    return value;
}

TEST(InterfaceRecord, IsLaidOutAsWindowsLaysIt) {
    const struct {
        std::string name;
        std::u16string expected;
    } cases[] = {
        {"", u""},
        {"\\\\?\\USB#VID_3188&PID_1234#0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}",
         u"\\\\?\\USB#VID_3188&PID_1234#0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}"},
        {"\xf0\x9f\x8e\xa5", u"\xd83c\xdfa5"}, // a surrogate pair
        {"a\xff!", u"a\xfffd!"},               // not UTF-8
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const InterfaceRecord record(c.name, GUID_DEVINTERFACE_AUDIO_CAPTURE);
        const std::vector<uint8_t> bytes = record.bytes();
        const size_t size = 28 + 2 * (c.expected.size() + 1);
        ASSERT_EQ(bytes.size(), size);
        EXPECT_EQ(At<DWORD>(bytes, 0), size);
        EXPECT_EQ(At<DWORD>(bytes, 4), DWORD(DBT_DEVTYP_DEVICEINTERFACE));
        EXPECT_EQ(At<DWORD>(bytes, 8), 0u);
        EXPECT_EQ(At<GUID>(bytes, 12), GUID_DEVINTERFACE_AUDIO_CAPTURE);
        for (size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_EQ(At<char16_t>(bytes, 28 + 2 * i), c.expected[i]) << "unit " << i;
        EXPECT_EQ(At<char16_t>(bytes, size - 2), 0) << "zero-terminated";
        EXPECT_EQ(record.get()->dbcc_size, size);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(record.get()) % alignof(GUID), 0u);
    }
}

} // namespace
