#pragma once
// An in-process stand-in for the spreadsheet application's automation
// objects: real IDispatch objects whose GetIDsOfNames and Invoke record every
// call (object, member, call kind, arguments in their positional order with
// their VARTYPEs and values, a block array's bounds and contents) and answer
// with child objects the way the application does (Workbooks, Add,
// ActiveSheet, Range, Columns, Borders, PageSetup). Any one call can be made
// to fail by member name and occurrence. The objects count their references
// but are owned by the FakeAutomation, so a test can check that every
// reference handed out came back.

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "export/dispatch_call_win32.h"
#include "export/excel_automation.h"

namespace kj::test {

struct AutomationArgument {
  VARTYPE type = VT_EMPTY;
  // VT_I4 as decimal, VT_R8 as the shortest text that reads back as the same
  // double, VT_BSTR as the text; empty for an array.
  std::wstring value;
  // Arrays only: the lower and upper bound of each dimension, and the
  // elements row by row (a BSTR element as its text, any other as "<vt N>").
  std::vector<std::pair<LONG, LONG>> bounds;
  std::vector<std::vector<std::wstring>> cells;

  bool operator==(const AutomationArgument&) const = default;
};

struct AutomationCall {
  std::wstring object;  // "Application", "Workbook", "Range(A1:C2)", "Borders(11)", ...
  std::wstring member;
  com::CallKind kind = com::CallKind::method;
  std::vector<AutomationArgument> arguments;

  bool operator==(const AutomationCall&) const = default;
};

void PrintTo(const AutomationArgument& argument, std::ostream* out);
void PrintTo(const AutomationCall& call, std::ostream* out);
// The call as one line of UTF-8 text (what PrintTo writes), for call logs.
std::string callLine(const AutomationCall& call);

// How a call reached Invoke, for the checks of the call convention.
struct InvokeFacts {
  LCID lookup_locale = 0;
  LCID invoke_locale = 0;
  WORD flags = 0;
  std::vector<DISPID> named;  // the named argument ids
  bool result_asked = false;  // pVarResult was given
};

// Shorthands for expected arguments.
AutomationArgument i4(LONG value);
AutomationArgument r8(double value);
AutomationArgument bstr(std::wstring text);
// A 1-based VT_ARRAY | VT_VARIANT block of BSTRs.
AutomationArgument textBlock(std::vector<std::vector<std::wstring>> rows);

class FakeDispatch;

class FakeAutomation {
 public:
  FakeAutomation();
  ~FakeAutomation();
  FakeAutomation(const FakeAutomation&) = delete;
  FakeAutomation& operator=(const FakeAutomation&) = delete;

  // The application factory for the driver: creates the "Application"
  // object, or returns `creation` when that is a failure code.
  sheet::ApplicationFactory factory(HRESULT creation = S_OK);

  // The `occurrence`-th Invoke (from 0) of `member` is recorded and then
  // fails with `result`.
  void failInvoke(std::wstring member, std::size_t occurrence = 0, HRESULT result = DISP_E_EXCEPTION);
  // The `occurrence`-th lookup of `member` fails with DISP_E_UNKNOWNNAME;
  // that call never reaches Invoke and is not recorded.
  void failLookup(std::wstring member, std::size_t occurrence = 0);
  // Property gets of `member` succeed but return VT_EMPTY instead of an object.
  void returnNothingFor(std::wstring member);
  // The value PrintOut returns (VT_BOOL VARIANT_TRUE unless set).
  void setPrintOutResult(const VARIANT& value);

  const std::vector<AutomationCall>& calls() const { return calls_; }
  const std::vector<InvokeFacts>& facts() const { return facts_; }
  // Each object ever created, by label, with its current reference count.
  std::vector<std::pair<std::wstring, long>> references() const;
  // The reference count of the first object with `label`; none when there is
  // no such object.
  std::optional<long> referencesOf(std::wstring_view label) const;
  std::size_t factoryCalls() const { return factory_calls_; }
  // What CoInitialize returned when probed inside the factory (S_FALSE means
  // the driver had initialised COM before creating the application).
  HRESULT comStateAtCreation() const { return com_at_creation_; }

  // Used by the objects.
  DISPID idOf(const std::wstring& name);
  const std::wstring& nameOf(DISPID id) const;
  HRESULT lookup(const std::wstring& name, LCID locale);
  HRESULT invoke(FakeDispatch& target, DISPID id, LCID locale, WORD flags, const DISPPARAMS& params,
                 VARIANT* result, EXCEPINFO* exception);

 private:
  FakeDispatch& create(std::wstring label);

  std::vector<std::unique_ptr<FakeDispatch>> objects_;
  std::vector<std::wstring> names_;
  std::vector<AutomationCall> calls_;
  std::vector<InvokeFacts> facts_;
  std::map<std::wstring, std::size_t> lookups_;
  std::map<std::wstring, std::size_t> invokes_;
  std::optional<std::pair<std::wstring, std::size_t>> fail_lookup_;
  std::optional<std::pair<std::wstring, std::size_t>> fail_invoke_;
  HRESULT fail_result_ = DISP_E_EXCEPTION;
  std::vector<std::wstring> no_object_;
  com::Variant print_result_;
  LCID last_lookup_locale_ = 0;
  std::size_t factory_calls_ = 0;
  HRESULT com_at_creation_ = E_UNEXPECTED;
};

// COM interfaces have no virtual destructor by design (objects are destroyed
// through Release); these are owned and deleted as FakeDispatch only.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
class FakeDispatch final : public IDispatch {
 public:
  FakeDispatch(FakeAutomation& world, std::wstring label) : world_(world), label_(std::move(label)) {}

  const std::wstring& label() const { return label_; }
  // Goes below zero when the object is released more often than referenced.
  long references() const { return references_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references_); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID locale, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* bad_argument) override;

 private:
  FakeAutomation& world_;
  std::wstring label_;
  long references_ = 0;
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

}  // namespace kj::test
