// Video input devices through the system device enumerator.
#include "devices/VideoInputs.h"

#include <cstring>

#include "platform/windows.h"

namespace {

// The low 8 bits of each unit, at most 255 of them, stopping at a zero unit.
std::string NarrowName(const OLECHAR* name) {
    char buffer[256];
    std::memset(buffer, 0, sizeof buffer);
    int copied = 0;
    if (name) {
        while (name[copied] != 0 && copied < 255) {
            buffer[copied] = static_cast<char>(name[copied] & 0xFF);
            ++copied;
        }
    }
    buffer[copied] = 0;
    return std::string(buffer);
}

// The device's path, which carries its USB identity; empty when the bag has none.
std::string DevicePath(IPropertyBag* bag) {
    VARIANT value;
    VariantInit(&value);
    std::string path;
    if (SUCCEEDED(bag->Read(u"DevicePath", &value, NULL)) && value.vt == VT_BSTR)
        path = NarrowName(value.bstrVal);
    VariantClear(&value);
    return path;
}

} // namespace

int EnumerateVideoInputs(std::vector<std::string>& list) {
    return EnumerateVideoInputs(list, NULL);
}

int EnumerateVideoInputs(std::vector<std::string>& list, std::vector<std::string>* devicePaths) {
    CoInitialize(NULL);

    ICreateDevEnum* deviceEnum = NULL;
    HRESULT hr = CoCreateInstance(CLSID_SystemDeviceEnum, NULL, CLSCTX_INPROC_SERVER,
                                  IID_ICreateDevEnum, reinterpret_cast<void**>(&deviceEnum));
    if (FAILED(hr) || !deviceEnum)
        return 0;

    IEnumMoniker* monikers = NULL;
    hr = deviceEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0);
    if (hr != S_OK || !monikers) {
        deviceEnum->Release();
        return 0;
    }

    int count = 0;
    IMoniker* moniker = NULL;
    while (monikers->Next(1, &moniker, NULL) == S_OK) {
        IPropertyBag* bag = NULL;
        hr = moniker->BindToStorage(NULL, NULL, IID_IPropertyBag, reinterpret_cast<void**>(&bag));
        if (FAILED(hr) || !bag) {
            moniker->Release();
            continue;
        }

        VARIANT value;
        VariantInit(&value);
        hr = bag->Read(u"Description", &value, NULL);
        if (FAILED(hr))
            hr = bag->Read(u"FriendlyName", &value, NULL);
        if (SUCCEEDED(hr)) {
            bag->Read(u"FriendlyName", &value, NULL);
            const OLECHAR* name = value.vt == VT_BSTR ? value.bstrVal : NULL;
            list.push_back(NarrowName(name));
            if (devicePaths)
                devicePaths->push_back(DevicePath(bag));
        }
        // The bag allocated the string it put into the VARIANT.
        VariantClear(&value);

        bag->Release();
        moniker->Release();
        ++count;
    }

    deviceEnum->Release();
    monikers->Release();
    return count;
}
