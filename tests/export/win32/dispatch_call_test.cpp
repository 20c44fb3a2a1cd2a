#include "export/dispatch_call_win32.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "tests/export/win32/fake_automation.h"

namespace kj::com {
namespace {

using test::AutomationArgument;
using test::AutomationCall;
using test::bstr;
using test::FakeAutomation;
using test::i4;
using test::r8;

// The fake's application object, held by the test.
ComPtr<IDispatch> fakeApplication(FakeAutomation& fake) {
  IDispatch* raw = nullptr;
  EXPECT_EQ(fake.factory()(&raw), S_OK);
  return ComPtr<IDispatch>::adopt(raw);
}

std::vector<VARIANT> views(const std::vector<Variant>& values) {
  std::vector<VARIANT> out;
  for (const auto& v : values) out.push_back(v.get());
  return out;
}

struct CallCase {
  const char* name;
  CallKind kind;
  std::vector<AutomationArgument> expected;
  WORD flags;
};

TEST(DispatchCall, HandsArgumentsOverReversedWithTheLocalesAndFlagsOfEachKind) {
  const std::vector<CallCase> cases = {
      {"method of three", CallKind::method, {i4(1), bstr(L"二"), r8(3.5)}, DISPATCH_METHOD},
      {"method without arguments", CallKind::method, {}, DISPATCH_METHOD},
      {"get with a text", CallKind::get, {bstr(L"A1:C2")}, DISPATCH_PROPERTYGET},
      {"get of two", CallKind::get, {i4(11), i4(-4105)}, DISPATCH_PROPERTYGET},
      {"put", CallKind::put, {i4(0)}, DISPATCH_PROPERTYPUT},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeAutomation fake;
    ComPtr<IDispatch> target = fakeApplication(fake);
    std::vector<Variant> values;
    for (const auto& a : c.expected) {
      if (a.type == VT_I4) values.push_back(Variant::int32(std::stol(a.value)));
      if (a.type == VT_BSTR) values.push_back(Variant::text(a.value));
      if (a.type == VT_R8) values.push_back(Variant::real(std::stod(a.value)));
    }
    const std::vector<VARIANT> arguments = views(values);
    Variant result;
    ASSERT_EQ(call(target.get(), L"Member", c.kind, arguments, &result), S_OK);

    ASSERT_EQ(fake.calls().size(), 1u);
    EXPECT_EQ(fake.calls()[0], (AutomationCall{L"Application", L"Member", c.kind, c.expected}));
    const auto& facts = fake.facts()[0];
    EXPECT_EQ(facts.lookup_locale, 1024u);
    EXPECT_EQ(facts.invoke_locale, 2048u);
    EXPECT_EQ(facts.flags, c.flags);
    if (c.kind == CallKind::put) {
      EXPECT_EQ(facts.named, std::vector<DISPID>{DISPID_PROPERTYPUT});
      EXPECT_FALSE(facts.result_asked);
    } else {
      EXPECT_TRUE(facts.named.empty());
      EXPECT_TRUE(facts.result_asked);
    }
  }
}

TEST(DispatchCall, RefusesWhatIDispatchCannotTakeAndPassesFailuresOn) {
  FakeAutomation fake;
  ComPtr<IDispatch> target = fakeApplication(fake);
  const Variant one = Variant::int32(1);
  const std::vector<VARIANT> two = {one.get(), one.get()};

  EXPECT_EQ(call(nullptr, L"Visible", CallKind::put, {&one.get(), 1}), E_POINTER);
  EXPECT_EQ(call(target.get(), L"Visible", CallKind::put, {}), E_INVALIDARG);
  EXPECT_EQ(call(target.get(), L"Visible", CallKind::put, two), E_INVALIDARG);
  EXPECT_TRUE(fake.calls().empty());

  fake.failLookup(L"Nonsense");
  EXPECT_EQ(call(target.get(), L"Nonsense", CallKind::method, {}), DISP_E_UNKNOWNNAME);
  EXPECT_TRUE(fake.calls().empty()) << "a failed lookup must not be invoked";

  fake.failInvoke(L"Quit", 0, E_ACCESSDENIED);
  Variant result;
  EXPECT_EQ(call(target.get(), L"Quit", CallKind::method, {}, &result), E_ACCESSDENIED);
  EXPECT_EQ(fake.calls().size(), 1u);
}

TEST(DispatchCall, AReturnedObjectIsReleasedWithItsVariant) {
  FakeAutomation fake;
  ComPtr<IDispatch> application = fakeApplication(fake);
  {
    Variant result;
    ASSERT_EQ(call(application.get(), L"Workbooks", CallKind::get, {}, &result), S_OK);
    ASSERT_EQ(result.type(), VT_DISPATCH);
    EXPECT_EQ(fake.referencesOf(L"Workbooks"), 1);
    ComPtr<IDispatch> workbooks = objectOf(result);
    ASSERT_TRUE(workbooks);
    EXPECT_EQ(fake.referencesOf(L"Workbooks"), 2);
    // A second call into the same variant clears the first value.
    ASSERT_EQ(call(application.get(), L"Workbooks", CallKind::get, {}, &result), S_OK);
    EXPECT_EQ(fake.referencesOf(L"Workbooks"), 1);
  }
  for (const auto& [label, count] : fake.references()) {
    EXPECT_EQ(count, label == L"Application" ? 1 : 0) << testing::PrintToString(label);
  }
  application.reset();
  EXPECT_EQ(fake.referencesOf(L"Application"), 0);

  EXPECT_FALSE(objectOf(Variant{}));
  EXPECT_FALSE(objectOf(Variant::int32(7)));
}

TEST(DispatchCall, NonZeroResults) {
  struct Case {
    const char* name;
    VARIANT value;
    bool non_zero;
  };
  auto make = [](VARTYPE type, auto set) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = type;
    set(v);
    return v;
  };
  const std::vector<Case> cases = {
      {"true", make(VT_BOOL, [](VARIANT& v) { V_BOOL(&v) = VARIANT_TRUE; }), true},
      {"bool 1", make(VT_BOOL, [](VARIANT& v) { V_BOOL(&v) = 1; }), true},
      {"false", make(VT_BOOL, [](VARIANT& v) { V_BOOL(&v) = VARIANT_FALSE; }), false},
      {"i4 1", make(VT_I4, [](VARIANT& v) { V_I4(&v) = 1; }), true},
      {"i4 -1", make(VT_I4, [](VARIANT& v) { V_I4(&v) = -1; }), true},
      {"i4 0", make(VT_I4, [](VARIANT& v) { V_I4(&v) = 0; }), false},
      {"i2 0", make(VT_I2, [](VARIANT& v) { V_I2(&v) = 0; }), false},
      {"ui1 3", make(VT_UI1, [](VARIANT& v) { V_UI1(&v) = 3; }), true},
      {"r8 0.5", make(VT_R8, [](VARIANT& v) { V_R8(&v) = 0.5; }), true},
      {"r8 0", make(VT_R8, [](VARIANT& v) { V_R8(&v) = 0.0; }), false},
      {"empty", make(VT_EMPTY, [](VARIANT&) {}), false},
      {"null", make(VT_NULL, [](VARIANT&) {}), false},
      {"error", make(VT_ERROR, [](VARIANT& v) { V_ERROR(&v) = DISP_E_PARAMNOTFOUND; }), false},
  };
  for (const auto& c : cases) EXPECT_EQ(isNonZero(c.value), c.non_zero) << c.name;
}

TEST(ComOwners, ReleaseWhatTheyHoldOnResetPutMoveAndDestruction) {
  FakeAutomation fake;
  ComPtr<IDispatch> application = fakeApplication(fake);
  EXPECT_EQ(fake.referencesOf(L"Application"), 1);
  {
    auto second = ComPtr<IDispatch>::share(application.get());
    EXPECT_EQ(fake.referencesOf(L"Application"), 2);
    ComPtr<IDispatch> moved = std::move(second);
    EXPECT_FALSE(second);
    EXPECT_EQ(fake.referencesOf(L"Application"), 2);
    moved.put();  // releases before handing out its address
    EXPECT_EQ(fake.referencesOf(L"Application"), 1);
    moved = ComPtr<IDispatch>::share(application.get());
    moved = ComPtr<IDispatch>::share(application.get());
    EXPECT_EQ(fake.referencesOf(L"Application"), 2);
  }
  EXPECT_EQ(fake.referencesOf(L"Application"), 1);

  {
    // A variant holding an object, and an array of variants holding one.
    Variant holder;
    V_DISPATCH(holder.ptr()) = ComPtr<IDispatch>::share(application.get()).release();
    V_VT(holder.ptr()) = VT_DISPATCH;
    SAFEARRAYBOUND bound{2, 1};
    auto array = SafeArray::adopt(SafeArrayCreate(VT_VARIANT, 1, &bound));
    ASSERT_TRUE(array);
    LONG index = 2;
    ASSERT_EQ(SafeArrayPutElement(array.get(), &index, holder.ptr()), S_OK);
    EXPECT_EQ(fake.referencesOf(L"Application"), 3);
    array.reset();
    EXPECT_EQ(fake.referencesOf(L"Application"), 2);
    Variant other = std::move(holder);
    EXPECT_EQ(holder.type(), VT_EMPTY);
    EXPECT_EQ(fake.referencesOf(L"Application"), 2);
  }
  EXPECT_EQ(fake.referencesOf(L"Application"), 1);
}

TEST(ComOwners, TextsKeepEveryCharacter) {
  for (std::wstring_view text : {std::wstring_view(L""), std::wstring_view(L"融着記録"),
                                 std::wstring_view(L"a\0b", 3), std::wstring_view(L"C:\\data\\site 1.xls")}) {
    const Bstr copy(text);
    ASSERT_TRUE(copy.ok());
    EXPECT_EQ(copy.view(), text);
    const Variant value = Variant::text(text);
    ASSERT_EQ(value.type(), VT_BSTR);
    EXPECT_EQ(std::wstring_view(V_BSTR(&value.get()), SysStringLen(V_BSTR(&value.get()))), text);
  }
  EXPECT_EQ(Variant::int32(-4105).get().lVal, -4105);
  EXPECT_EQ(Variant::real(28.346456692913384).get().dblVal, 28.346456692913384);
}

// COM state is per thread, so each case runs on a thread of its own.
TEST(ComOwners, AnInitialisationIsBalancedOnlyWhenItSucceeded) {
  std::thread([] {
    {
      ComInitScope scope;
      EXPECT_EQ(scope.initialise(), S_OK);
      EXPECT_TRUE(scope.initialised());
    }
    // Balanced: a new initialisation is the first again.
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    CoUninitialize();
  }).join();

  std::thread([] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    {
      ComInitScope scope;
      EXPECT_EQ(scope.initialise(), RPC_E_CHANGED_MODE);
      EXPECT_FALSE(scope.initialised());
    }
    // The thread's own initialisation is still there.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    CoUninitialize();
    CoUninitialize();
  }).join();
}

}  // namespace
}  // namespace kj::com
