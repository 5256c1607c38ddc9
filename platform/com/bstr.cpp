// BSTR strings and VARIANT values: a BSTR points just past a 32-bit byte count and is
// followed by a zero unit, so it reads as an ordinary zero-terminated wide string.
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/win32/com.h"
#include "platform/win32/constants.h"

namespace {

constexpr size_t kPrefix = sizeof(uint32_t);

char* BaseOf(BSTR text) {
    return reinterpret_cast<char*>(text) - kPrefix;
}

} // namespace

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    if (length > (std::numeric_limits<uint32_t>::max() - kPrefix) / sizeof(OLECHAR) - 1)
        return nullptr;
    const uint32_t bytes = length * sizeof(OLECHAR);
    char* base = static_cast<char*>(std::malloc(kPrefix + bytes + sizeof(OLECHAR)));
    if (!base)
        return nullptr;
    std::memcpy(base, &bytes, kPrefix);
    BSTR result = reinterpret_cast<BSTR>(base + kPrefix);
    if (text)
        std::memcpy(result, text, bytes);
    else
        std::memset(result, 0, bytes);
    result[length] = 0;
    return result;
}

void SysFreeString(BSTR text) {
    if (text)
        std::free(BaseOf(text));
}

UINT SysStringLen(BSTR text) {
    if (!text)
        return 0;
    uint32_t bytes;
    std::memcpy(&bytes, BaseOf(text), kPrefix);
    return bytes / sizeof(OLECHAR);
}

void VariantInit(VARIANT* value) {
    if (!value)
        return;
    value->vt = VT_EMPTY;
    value->wReserved1 = value->wReserved2 = value->wReserved3 = 0;
    value->byref = nullptr;
}

HRESULT VariantClear(VARIANT* value) {
    if (!value)
        return E_INVALIDARG;
    if (value->vt == VT_BSTR)
        SysFreeString(value->bstrVal);
    value->vt = VT_EMPTY;
    value->byref = nullptr;
    return S_OK;
}
