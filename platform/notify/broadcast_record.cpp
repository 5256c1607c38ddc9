#include "platform/notify/broadcast_record.h"

#include <cstring>

#include "platform/win32/constants.h"

namespace platform::notify {

namespace {

constexpr size_t kNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);

void AppendUtf16(std::u16string& out, uint32_t codePoint) {
    if (codePoint < 0x10000) {
        out.push_back(static_cast<char16_t>(codePoint));
    } else {
        codePoint -= 0x10000;
        out.push_back(static_cast<char16_t>(0xd800 + (codePoint >> 10)));
        out.push_back(static_cast<char16_t>(0xdc00 + (codePoint & 0x3ff)));
    }
}

} // namespace

std::u16string Utf16FromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t extra;
        uint32_t codePoint;
        uint32_t minimum;
        if (lead < 0x80) {
            extra = 0, codePoint = lead, minimum = 0;
        } else if (lead >= 0xc0 && lead < 0xe0) {
            extra = 1, codePoint = lead & 0x1f, minimum = 0x80;
        } else if (lead >= 0xe0 && lead < 0xf0) {
            extra = 2, codePoint = lead & 0x0f, minimum = 0x800;
        } else if (lead >= 0xf0 && lead < 0xf8) {
            extra = 3, codePoint = lead & 0x07, minimum = 0x10000;
        } else {
            out.push_back(u'\xfffd');
            ++i;
            continue;
        }
        bool valid = i + extra < text.size();
        for (size_t k = 1; valid && k <= extra; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xc0) == 0x80;
            codePoint = (codePoint << 6) | (next & 0x3f);
        }
        valid = valid && codePoint >= minimum && codePoint <= 0x10ffff &&
                !(codePoint >= 0xd800 && codePoint <= 0xdfff);
        if (!valid) {
            out.push_back(u'\xfffd');
            ++i;
            continue;
        }
        AppendUtf16(out, codePoint);
        i += extra + 1;
    }
    return out;
}

InterfaceRecord::InterfaceRecord(std::string_view name, const GUID& classGuid) {
    const std::u16string wide = Utf16FromUtf8(name);
    const size_t size = kNameOffset + sizeof(WCHAR) * (wide.size() + 1);
    // operator new[] storage is aligned for every fundamental type, the GUID's included.
    storage_.reset(new unsigned char[size]);
    unsigned char* bytes = storage_.get();
    std::memset(bytes, 0, size);
    record_ = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(bytes);
    record_->dbcc_size = static_cast<DWORD>(size);
    record_->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    record_->dbcc_reserved = 0;
    record_->dbcc_classguid = classGuid;
    std::memcpy(bytes + kNameOffset, wide.data(), sizeof(WCHAR) * wide.size());
}

std::vector<uint8_t> InterfaceRecord::bytes() const {
    const auto* begin = reinterpret_cast<const uint8_t*>(record_);
    return std::vector<uint8_t>(begin, begin + record_->dbcc_size);
}

} // namespace platform::notify
