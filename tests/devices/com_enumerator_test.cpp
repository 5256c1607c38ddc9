#include <thread>
#include <utility>

#include <gtest/gtest.h>

#include "platform/windows.h"
#include "simulated_fixture.h"

namespace {

HRESULT Create(REFCLSID clsid, REFIID iid, void** object) {
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object);
}

class ComEnumeratorTest : public SimulatedInputsTest {
protected:
    void SetUp() override {
        SimulatedInputsTest::SetUp();
        CoInitialize(nullptr);
    }
    void TearDown() override {
        for (IUnknown* object : std::initializer_list<IUnknown*>{monikers, devEnum})
            if (object)
                object->Release();
        CoUninitialize();
        SimulatedInputsTest::TearDown();
    }
    HRESULT enumerate() {
        void* object = nullptr;
        EXPECT_EQ(Create(CLSID_SystemDeviceEnum, IID_ICreateDevEnum, &object), S_OK);
        devEnum = static_cast<ICreateDevEnum*>(object);
        return devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0);
    }

    ICreateDevEnum* devEnum = nullptr;
    IEnumMoniker* monikers = nullptr;
};

TEST_F(ComEnumeratorTest, WrongClassInterfaceOrThreadIsRefused) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(Create(CLSID_VideoInputDeviceCategory, IID_ICreateDevEnum, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(Create(CLSID_SystemDeviceEnum, IID_IPropertyBag, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    HRESULT otherThread = S_OK;
    std::thread([&] {
        otherThread = Create(CLSID_SystemDeviceEnum, IID_ICreateDevEnum, &object);
    }).join();
    EXPECT_EQ(otherThread, CO_E_NOTINITIALIZED);
}

TEST_F(ComEnumeratorTest, NextGivesOneMonikerPerInputThenSFalse) {
    monikers = reinterpret_cast<IEnumMoniker*>(1);
    EXPECT_EQ(enumerate(), S_FALSE); // no inputs: no enumerator
    EXPECT_EQ(std::exchange(monikers, nullptr), nullptr);
    devEnum->Release();
    addNamed(0, u"A");
    addNamed(1, u"B");
    ASSERT_EQ(enumerate(), S_OK);
    IMoniker* batch[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(monikers->Next(3, batch, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(monikers->Next(1, batch + 2, nullptr), S_FALSE);
    EXPECT_EQ(batch[0]->Release(), 0u); // each moniker is an object of its own
    EXPECT_EQ(batch[1]->Release(), 0u);
}

// Each read frees the string it replaces (the leak checker sees it); a failed one leaves the
// variant as it was.
TEST_F(ComEnumeratorTest, ReadReplacesTheStringAndAbsentPropertiesFail) {
    addNamed(0, u"Name"); // no Description
    ASSERT_EQ(enumerate(), S_OK);
    IMoniker* moniker = nullptr;
    ASSERT_EQ(monikers->Next(1, &moniker, nullptr), S_OK);
    void* object = nullptr;
    ASSERT_EQ(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, &object), S_OK);
    moniker->Release();
    auto* bag = static_cast<IPropertyBag*>(object);
    VARIANT value;
    VariantInit(&value);
    EXPECT_TRUE(FAILED(bag->Read(u"Description", &value, nullptr)));
    EXPECT_EQ(value.vt, VT_EMPTY);
    ASSERT_EQ(bag->Read(u"FriendlyName", &value, nullptr), S_OK);
    ASSERT_EQ(bag->Read(u"FriendlyName", &value, nullptr), S_OK);
    EXPECT_TRUE(FAILED(bag->Read(u"DevicePath", &value, nullptr)));
    EXPECT_EQ(value.vt, VT_BSTR);
    EXPECT_EQ(std::u16string(value.bstrVal, SysStringLen(value.bstrVal)), u"Name");
    EXPECT_EQ(VariantClear(&value), S_OK);
    bag->Release();
}

} // namespace
