#include "platform/notify/broadcast_record.h"

#include <cstring>

#include "platform/system/utf.h"
#include "platform/win32/constants.h"

namespace platform::notify {

namespace {

constexpr size_t kNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);

} // namespace

InterfaceRecord::InterfaceRecord(std::string_view name, const GUID& classGuid) {
    const std::u16string wide = Utf8ToUtf16(name);
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
