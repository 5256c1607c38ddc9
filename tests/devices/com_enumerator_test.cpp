#include <thread>

#include <gtest/gtest.h>

#include "platform/com/com_runtime.h"
#include "platform/windows.h"
#include "simulated_fixture.h"

namespace {

using platform::SimulatedInput;

class ComEnumeratorTest : public SimulatedInputsTest {
protected:
    void SetUp() override {
        SimulatedInputsTest::SetUp();
        CoInitialize(nullptr);
    }
    void TearDown() override {
        if (bag)
            bag->Release();
        CoUninitialize();
        SimulatedInputsTest::TearDown();
    }

    ICreateDevEnum* createDevEnum() {
        void* object = nullptr;
        EXPECT_EQ(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_ICreateDevEnum, &object),
                  S_OK);
        return static_cast<ICreateDevEnum*>(object);
    }

    // The property bag of the first device.
    IPropertyBag* firstBag() {
        ICreateDevEnum* devEnum = createDevEnum();
        IEnumMoniker* monikers = nullptr;
        EXPECT_EQ(devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0),
                  S_OK);
        IMoniker* moniker = nullptr;
        EXPECT_EQ(monikers->Next(1, &moniker, nullptr), S_OK);
        void* object = nullptr;
        EXPECT_EQ(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, &object), S_OK);
        moniker->Release();
        monikers->Release();
        devEnum->Release();
        bag = static_cast<IPropertyBag*>(object);
        return bag;
    }

    IPropertyBag* bag = nullptr;
};

TEST_F(ComEnumeratorTest, OnlyTheSystemDeviceEnumeratorIsRegistered) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(CLSID_VideoInputDeviceCategory, nullptr, CLSCTX_INPROC_SERVER,
                               IID_ICreateDevEnum, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IPropertyBag, &object),
              E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
}

TEST_F(ComEnumeratorTest, CreatingNeedsComOnTheCallingThread) {
    HRESULT result = S_OK;
    std::thread([&] {
        void* object = nullptr;
        result = CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_ICreateDevEnum, &object);
    }).join();
    EXPECT_EQ(result, CO_E_NOTINITIALIZED);
}

TEST_F(ComEnumeratorTest, InitialisationIsCountedPerThread) {
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    EXPECT_EQ(platform::ComInitializations(), 2);
    CoUninitialize();
    int onOtherThread = -1;
    std::thread([&] { onOtherThread = platform::ComInitializations(); }).join();
    EXPECT_EQ(onOtherThread, 0);
}

TEST_F(ComEnumeratorTest, EmptyCategoryGivesSFalseAndNoEnumerator) {
    ICreateDevEnum* devEnum = createDevEnum();
    IEnumMoniker* monikers = reinterpret_cast<IEnumMoniker*>(1);
    EXPECT_EQ(devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0),
              S_FALSE);
    EXPECT_EQ(monikers, nullptr);
    EXPECT_EQ(devEnum->Release(), 0u);
}

TEST_F(ComEnumeratorTest, NextGivesOneMonikerPerInputThenSFalse) {
    addNamed(0, u"A");
    addNamed(1, u"B");
    ICreateDevEnum* devEnum = createDevEnum();
    IEnumMoniker* monikers = nullptr;
    ASSERT_EQ(devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0), S_OK);
    IMoniker* batch[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(monikers->Next(3, batch, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(monikers->Next(1, batch + 2, nullptr), S_FALSE);
    EXPECT_EQ(monikers->Reset(), S_OK);
    EXPECT_EQ(monikers->Skip(2), S_OK);
    EXPECT_EQ(monikers->Skip(1), S_FALSE);
    // Each moniker is an object of its own with a single reference.
    EXPECT_EQ(batch[0]->Release(), 0u);
    EXPECT_EQ(batch[1]->AddRef(), 2u);
    EXPECT_EQ(batch[1]->Release(), 1u);
    EXPECT_EQ(batch[1]->Release(), 0u);
    EXPECT_EQ(monikers->Release(), 0u);
    EXPECT_EQ(devEnum->Release(), 0u);
}

TEST_F(ComEnumeratorTest, UnbindableInputFailsToGiveItsPropertyBag) {
    SimulatedInput input;
    input.friendlyName = u"X";
    input.bindable = false;
    sim->setInput(0, input);
    ICreateDevEnum* devEnum = createDevEnum();
    IEnumMoniker* monikers = nullptr;
    ASSERT_EQ(devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0), S_OK);
    IMoniker* moniker = nullptr;
    ASSERT_EQ(monikers->Next(1, &moniker, nullptr), S_OK);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_TRUE(FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, &object)));
    EXPECT_EQ(object, nullptr);
    moniker->Release();
    monikers->Release();
    devEnum->Release();
}

TEST_F(ComEnumeratorTest, ReadReplacesTheVariantsStringAndFreesTheOldOne) {
    SimulatedInput input;
    input.description = u"Desc";
    input.friendlyName = u"Friendly";
    sim->setInput(0, input);
    IPropertyBag* properties = firstBag();
    ASSERT_NE(properties, nullptr);
    VARIANT value;
    VariantInit(&value);
    // Each read frees the previous string; leak checking of the sanitizer build sees it.
    ASSERT_EQ(properties->Read(u"Description", &value, nullptr), S_OK);
    EXPECT_EQ(std::u16string(value.bstrVal), u"Desc");
    ASSERT_EQ(properties->Read(u"FriendlyName", &value, nullptr), S_OK);
    EXPECT_EQ(value.vt, VT_BSTR);
    EXPECT_EQ(std::u16string(value.bstrVal), u"Friendly");
    EXPECT_EQ(SysStringLen(value.bstrVal), 8u);
    EXPECT_EQ(VariantClear(&value), S_OK);
    EXPECT_EQ(value.vt, VT_EMPTY);
}

TEST_F(ComEnumeratorTest, AbsentPropertyFailsAndLeavesTheVariantAsItWas) {
    SimulatedInput input;
    input.description = u"Desc";
    sim->setInput(0, input);
    IPropertyBag* properties = firstBag();
    ASSERT_NE(properties, nullptr);
    VARIANT value;
    VariantInit(&value);
    EXPECT_TRUE(FAILED(properties->Read(u"FriendlyName", &value, nullptr)));
    EXPECT_EQ(value.vt, VT_EMPTY);
    ASSERT_EQ(properties->Read(u"Description", &value, nullptr), S_OK);
    EXPECT_TRUE(FAILED(properties->Read(u"FriendlyName", &value, nullptr)));
    EXPECT_EQ(std::u16string(value.bstrVal), u"Desc");
    EXPECT_TRUE(FAILED(properties->Read(u"DevicePath", &value, nullptr)));
    VariantClear(&value);
}

TEST(Bstr, KeepsItsLengthAndEmbeddedZeros) {
    const char16_t text[] = {u'a', 0, u'b'};
    BSTR s = SysAllocStringLen(text, 3);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SysStringLen(s), 3u);
    EXPECT_EQ(s[1], 0);
    EXPECT_EQ(s[3], 0);
    SysFreeString(s);

    BSTR empty = SysAllocString(u"");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    SysFreeString(empty);

    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);
}

} // namespace
