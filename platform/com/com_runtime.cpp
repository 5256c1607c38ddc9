// COM initialisation per thread and the one class this runtime can create.
#include "platform/com/com_runtime.h"

#include "platform/com/device_enumerator.h"
#include "platform/win32/constants.h"

namespace {

thread_local int t_initializations = 0;

} // namespace

int platform::ComInitializations() {
    return t_initializations;
}

HRESULT CoInitialize(LPVOID /*reserved*/) {
    return t_initializations++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
    if (t_initializations > 0)
        --t_initializations;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid,
                         void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (t_initializations == 0)
        return CO_E_NOTINITIALIZED;
    if (clsid != CLSID_SystemDeviceEnum || !(context & CLSCTX_INPROC_SERVER))
        return REGDB_E_CLASSNOTREG;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    ICreateDevEnum* enumerator = platform::CreateSystemDeviceEnumerator();
    const HRESULT result = enumerator->QueryInterface(iid, object);
    enumerator->Release();
    return result;
}
