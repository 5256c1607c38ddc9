// The COM and DirectShow device-enumeration interfaces the system walks.
#pragma once

#include "platform/win32/types.h"

typedef uint16_t VARTYPE;

#define CO_E_NOTINITIALIZED ((HRESULT)0x800401F0)
#define CLASS_E_NOAGGREGATION ((HRESULT)0x80040110)

struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONG lVal;
        BSTR bstrVal;
        void* byref;
    };
};

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    virtual ~IUnknown() = default;
};

struct IBindCtx;
struct IErrorLog;

struct IPropertyBag : IUnknown {
    virtual HRESULT Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) = 0;
    virtual HRESULT Write(LPCOLESTR name, VARIANT* value) = 0;
};

struct IMoniker : IUnknown {
    virtual HRESULT BindToStorage(IBindCtx* context, IMoniker* left, REFIID iid, void** object) = 0;
};

struct IEnumMoniker : IUnknown {
    virtual HRESULT Next(ULONG count, IMoniker** monikers, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
};

struct ICreateDevEnum : IUnknown {
    virtual HRESULT CreateClassEnumerator(REFCLSID category, IEnumMoniker** enumerator,
                                          DWORD flags) = 0;
};

extern const CLSID CLSID_SystemDeviceEnum;
extern const IID IID_ICreateDevEnum;
extern const CLSID CLSID_VideoInputDeviceCategory;
extern const IID IID_IPropertyBag;
extern const IID IID_IUnknown;
extern const IID IID_IMoniker;
extern const IID IID_IEnumMoniker;
extern const GUID GUID_DEVINTERFACE_USB_DEVICE;
extern const GUID GUID_DEVINTERFACE_AUDIO_RENDER;
extern const GUID GUID_DEVINTERFACE_AUDIO_CAPTURE;

HRESULT CoInitialize(LPVOID reserved);
void CoUninitialize();
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object);
void VariantInit(VARIANT* value);
HRESULT VariantClear(VARIANT* value);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
