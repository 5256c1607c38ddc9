// The DEV_BROADCAST_DEVICEINTERFACE_W record a WM_DEVICECHANGE message points to, laid out
// as Windows lays it: 28 bytes of header and class GUID, then the zero-terminated UTF-16 name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/structs.h"

namespace platform::notify {

class InterfaceRecord {
public:
    InterfaceRecord(std::string_view name, const GUID& classGuid);

    const DEV_BROADCAST_DEVICEINTERFACE_W* get() const { return record_; }
    LPARAM lParam() const { return reinterpret_cast<LPARAM>(record_); }
    DWORD size() const { return record_->dbcc_size; }
    std::vector<uint8_t> bytes() const;

private:
    // Heap storage of exactly dbcc_size bytes, so that a reader running past the name is
    // caught by the address sanitizer.
    std::unique_ptr<unsigned char[]> storage_;
    DEV_BROADCAST_DEVICEINTERFACE_W* record_;
};

} // namespace platform::notify
