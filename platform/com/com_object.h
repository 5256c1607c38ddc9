// Reference counting and QueryInterface for our COM objects that expose one interface.
#pragma once

#include <atomic>

#include "platform/win32/com.h"

namespace platform {

// Created with one reference, which the creator hands on or releases.
template <typename Interface, const IID& InterfaceId> class ComObject : public Interface {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        if (iid != IID_IUnknown && iid != InterfaceId) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        *object = static_cast<Interface*>(this);
        return S_OK;
    }
    ULONG AddRef() override { return m_references.fetch_add(1) + 1; }
    ULONG Release() override {
        const ULONG left = m_references.fetch_sub(1) - 1;
        if (left == 0)
            delete this;
        return left;
    }

private:
    std::atomic<ULONG> m_references{1};
};

} // namespace platform
