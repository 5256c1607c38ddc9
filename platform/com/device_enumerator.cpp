// ICreateDevEnum, IEnumMoniker, IMoniker and IPropertyBag over the provider's video inputs.
// Like DirectShow's own, the objects belong to the apartment that made them: one thread.
#include "platform/com/device_enumerator.h"

#include <exception>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/com/com_object.h"
#include "platform/video/video_source.h"
#include "platform/win32/constants.h"

namespace platform {

namespace {

// HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND): what a missing property or device key gives.
constexpr HRESULT kNotFound = static_cast<HRESULT>(0x80070002);
constexpr HRESULT kNotImplemented = static_cast<HRESULT>(0x80004001);

using InputList = std::shared_ptr<const std::vector<VideoInputInfo>>;

// Property names are registry value names, which compare without regard to ASCII case.
bool SameName(LPCOLESTR name, std::u16string_view expected) {
    size_t i = 0;
    for (; name[i] && i < expected.size(); ++i) {
        char16_t a = name[i], b = expected[i];
        if (a >= u'A' && a <= u'Z')
            a = a - u'A' + u'a';
        if (b >= u'A' && b <= u'Z')
            b = b - u'A' + u'a';
        if (a != b)
            return false;
    }
    return !name[i] && i == expected.size();
}

class PropertyBag : public ComObject<IPropertyBag, IID_IPropertyBag> {
public:
    explicit PropertyBag(VideoInputInfo input) : m_input(std::move(input)) {}

    HRESULT Read(LPCOLESTR name, VARIANT* value, IErrorLog* /*log*/) override {
        if (!name || !value)
            return E_POINTER;
        const std::optional<std::u16string>* property = nullptr;
        if (SameName(name, u"FriendlyName"))
            property = &m_input.friendlyName;
        else if (SameName(name, u"Description"))
            property = &m_input.description;
        else if (SameName(name, u"DevicePath"))
            property = &m_input.devicePath;
        if (!property || !*property)
            return kNotFound;
        BSTR text = SysAllocStringLen((*property)->data(), static_cast<UINT>((*property)->size()));
        if (!text)
            return E_OUTOFMEMORY;
        // The caller's VARIANT is in/out: what it held is ours to free before it is replaced.
        VariantClear(value);
        value->vt = VT_BSTR;
        value->bstrVal = text;
        return S_OK;
    }
    HRESULT Write(LPCOLESTR /*name*/, VARIANT* /*value*/) override { return kNotImplemented; }

private:
    VideoInputInfo m_input;
};

class Moniker : public ComObject<IMoniker, IID_IMoniker> {
public:
    explicit Moniker(VideoInputInfo input) : m_input(std::move(input)) {}

    HRESULT BindToStorage(IBindCtx* /*context*/, IMoniker* /*left*/, REFIID iid,
                          void** object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (iid != IID_IPropertyBag)
            return E_NOINTERFACE;
        if (!m_input.bindable)
            return kNotFound;
        *object = static_cast<IPropertyBag*>(new PropertyBag(m_input));
        return S_OK;
    }

private:
    VideoInputInfo m_input;
};

class MonikerEnumerator : public ComObject<IEnumMoniker, IID_IEnumMoniker> {
public:
    explicit MonikerEnumerator(InputList inputs) : m_inputs(std::move(inputs)) {}

    HRESULT Next(ULONG count, IMoniker** monikers, ULONG* fetched) override {
        if (!monikers || (count != 1 && !fetched))
            return E_POINTER;
        ULONG n = 0;
        for (; n < count && m_position < m_inputs->size(); ++n, ++m_position)
            monikers[n] = new Moniker((*m_inputs)[m_position]);
        if (fetched)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG count) override {
        const size_t left = m_inputs->size() - m_position;
        if (count > left) {
            m_position = m_inputs->size();
            return S_FALSE;
        }
        m_position += count;
        return S_OK;
    }
    HRESULT Reset() override {
        m_position = 0;
        return S_OK;
    }

private:
    InputList m_inputs;
    size_t m_position = 0;
};

class DeviceEnumerator : public ComObject<ICreateDevEnum, IID_ICreateDevEnum> {
public:
    // An empty category, or one we do not know, gives S_FALSE and no enumerator.
    HRESULT CreateClassEnumerator(REFCLSID category, IEnumMoniker** enumerator,
                                  DWORD /*flags*/) override {
        if (!enumerator)
            return E_POINTER;
        *enumerator = nullptr;
        if (category != CLSID_VideoInputDeviceCategory)
            return S_FALSE;
        std::shared_ptr<std::vector<VideoInputInfo>> inputs;
        try {
            auto provider = CurrentVideoSourceProvider();
            if (!provider)
                return S_FALSE;
            inputs = std::make_shared<std::vector<VideoInputInfo>>(provider->listInputs());
        } catch (const std::exception&) {
            return E_FAIL;
        }
        if (inputs->empty())
            return S_FALSE;
        *enumerator = new MonikerEnumerator(std::move(inputs));
        return S_OK;
    }
};

} // namespace

ICreateDevEnum* CreateSystemDeviceEnumerator() {
    return new DeviceEnumerator();
}

} // namespace platform
