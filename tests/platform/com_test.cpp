// Object creation through the factory table, and its replacement by tests.
#include <gtest/gtest.h>

#include "platform/win32/com.h"

namespace {

const CLSID kClass = {0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};
const IID kInterface = {0x87654321, 0x4321, 0x8765, {8, 7, 6, 5, 4, 3, 2, 1}};

// A small object: IUnknown plus a tag telling which factory made it.
class Tagged : public IUnknown {
 public:
  explicit Tagged(int tag) : tag(tag) {}
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == kInterface) {
      AddRef();
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return refs_.AddRefImpl(); }
  ULONG Release() override { return refs_.ReleaseImpl(this); }
  const int tag;

 private:
  ComRefCount refs_;
};

ComFactory TaggedFactory(int tag) {
  return [tag](REFIID riid, void** object) {
    auto* made = new Tagged(tag);
    const HRESULT result = made->QueryInterface(riid, object);
    made->Release();
    return result;
  };
}

// Creates kClass and returns the tag of what was made, or the failure.
struct Made {
  HRESULT result;
  int tag;
};
Made Create(REFIID riid = kInterface) {
  void* object = reinterpret_cast<void*>(1);
  const HRESULT result = CoCreateInstance(kClass, nullptr, CLSCTX_ALL, riid, &object);
  if (FAILED(result)) {
    EXPECT_EQ(object, nullptr);
    return {result, 0};
  }
  auto* tagged = static_cast<Tagged*>(object);
  const int tag = tagged->tag;
  EXPECT_EQ(tagged->Release(), 0u);
  return {result, tag};
}

TEST(ComTest, GuidsCompareByEveryField) {
  GUID other = kClass;
  EXPECT_TRUE(other == kClass);
  other.Data4[7] ^= 1;
  EXPECT_FALSE(other == kClass);
  other = kClass;
  other.Data3 ^= 1;
  EXPECT_FALSE(other == kClass);
  EXPECT_FALSE(kClass == kInterface);
}

TEST(ComTest, UnknownClassIsNotRegistered) {
  EXPECT_EQ(Create().result, REGDB_E_CLASSNOTREG);
  EXPECT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_ALL, kInterface, nullptr), E_POINTER);
}

TEST(ComTest, ScopedFactoriesReplaceAndRestoreInNestedOrder) {
  {
    ScopedComFactory outer(kClass, TaggedFactory(1));
    EXPECT_EQ(Create().tag, 1);
    {
      ScopedComFactory inner(kClass, TaggedFactory(2));
      EXPECT_EQ(Create().tag, 2);
      EXPECT_TRUE(static_cast<bool>(FindComFactory(kClass)));
    }
    EXPECT_EQ(Create().tag, 1);
  }
  EXPECT_EQ(Create().result, REGDB_E_CLASSNOTREG);
  EXPECT_FALSE(static_cast<bool>(FindComFactory(kClass)));
}

TEST(ComTest, FactoryFailuresPassThroughWithNoObject) {
  ScopedComFactory factory(kClass, TaggedFactory(3));
  const IID unknown_interface = {1, 2, 3, {0}};
  EXPECT_EQ(Create(unknown_interface).result, E_NOINTERFACE);
  ScopedComFactory failing(kClass, [](REFIID, void** object) {
    *object = reinterpret_cast<void*>(2);  // a careless factory
    return E_OUTOFMEMORY;
  });
  EXPECT_EQ(Create().result, E_OUTOFMEMORY);
}

TEST(ComTest, InitialisationIsAccepted) {
  EXPECT_EQ(CoInitialize(nullptr), S_OK);
  CoUninitialize();
}

TEST(ComDeathTest, AggregationIsNotEmulated) {
  ScopedComFactory factory(kClass, TaggedFactory(4));
  Tagged outer(0);
  void* object = nullptr;
  EXPECT_DEATH(CoCreateInstance(kClass, &outer, CLSCTX_ALL, kInterface, &object),
               "CoCreateInstance: aggregation is not emulated \\(got 0x");
}

}  // namespace
