#include "tests/export/win32/fake_automation.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <sstream>

#include "base/text_encoding.h"

namespace kj::test {
namespace {

std::wstring doubleText(double value) {
  char digits[64];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  return std::wstring(digits, end);
}

std::wstring elementText(const VARIANT& element) {
  if (V_VT(&element) == VT_BSTR) return std::wstring(V_BSTR(&element), SysStringLen(V_BSTR(&element)));
  return L"<vt " + std::to_wstring(V_VT(&element)) + L">";
}

AutomationArgument describe(const VARIANT& value) {
  AutomationArgument argument;
  argument.type = V_VT(&value);
  switch (V_VT(&value)) {
    case VT_I4: argument.value = std::to_wstring(V_I4(&value)); break;
    case VT_R8: argument.value = doubleText(V_R8(&value)); break;
    case VT_BSTR: argument.value = elementText(value); break;
    default: break;
  }
  if ((V_VT(&value) & VT_ARRAY) != 0 && (V_VT(&value) & VT_BYREF) == 0 && V_ARRAY(&value) != nullptr) {
    SAFEARRAY* array = V_ARRAY(&value);
    const UINT dimensions = SafeArrayGetDim(array);
    for (UINT d = 1; d <= dimensions; ++d) {
      LONG low = 0;
      LONG high = -1;
      SafeArrayGetLBound(array, d, &low);
      SafeArrayGetUBound(array, d, &high);
      argument.bounds.emplace_back(low, high);
    }
    VARTYPE element_type = VT_EMPTY;
    SafeArrayGetVartype(array, &element_type);
    if (dimensions == 2 && element_type == VT_VARIANT) {
      for (LONG r = argument.bounds[0].first; r <= argument.bounds[0].second; ++r) {
        auto& row = argument.cells.emplace_back();
        for (LONG c = argument.bounds[1].first; c <= argument.bounds[1].second; ++c) {
          LONG index[2] = {r, c};
          com::Variant element;
          if (FAILED(SafeArrayGetElement(array, index, element.put()))) {
            row.push_back(L"<unreadable>");
          } else {
            row.push_back(elementText(element.get()));
          }
        }
      }
    }
  }
  return argument;
}

com::CallKind kindOf(WORD flags) {
  if (flags == DISPATCH_PROPERTYGET) return com::CallKind::get;
  if (flags == DISPATCH_PROPERTYPUT) return com::CallKind::put;
  return com::CallKind::method;
}

const wchar_t* kindText(com::CallKind kind) {
  switch (kind) {
    case com::CallKind::method: return L"method";
    case com::CallKind::get: return L"get";
    case com::CallKind::put: return L"put";
  }
  return L"?";
}

std::wstring argumentText(const AutomationArgument& argument) {
  std::wstring text = L"vt" + std::to_wstring(argument.type) + L" " + argument.value;
  for (const auto& [low, high] : argument.bounds) text += L"[" + std::to_wstring(low) + L".." + std::to_wstring(high) + L"]";
  for (const auto& row : argument.cells) {
    text += L" {";
    for (std::size_t i = 0; i < row.size(); ++i) text += (i ? L"|" : L"") + row[i];
    text += L"}";
  }
  return text;
}

// The objects a property get hands out, by member: the label of the child.
const std::map<std::wstring, std::wstring>& childLabels() {
  static const std::map<std::wstring, std::wstring> labels = {
      {L"Workbooks", L"Workbooks"}, {L"Add", L"Workbook"},     {L"ActiveSheet", L"Worksheet"},
      {L"Range", L"Range"},         {L"Columns", L"Columns"}, {L"Borders", L"Borders"},
      {L"PageSetup", L"PageSetup"},
  };
  return labels;
}

}  // namespace

void PrintTo(const AutomationArgument& argument, std::ostream* out) { *out << toUtf8(argumentText(argument)); }

void PrintTo(const AutomationCall& call, std::ostream* out) {
  std::wstring text = call.object + L"." + call.member + L" " + kindText(call.kind) + L"(";
  for (std::size_t i = 0; i < call.arguments.size(); ++i) text += (i ? L", " : L"") + argumentText(call.arguments[i]);
  *out << toUtf8(text + L")");
}

std::string callLine(const AutomationCall& call) {
  std::ostringstream out;
  PrintTo(call, &out);
  return out.str();
}

AutomationArgument i4(LONG value) { return {VT_I4, std::to_wstring(value), {}, {}}; }
AutomationArgument r8(double value) { return {VT_R8, doubleText(value), {}, {}}; }
AutomationArgument bstr(std::wstring text) { return {VT_BSTR, std::move(text), {}, {}}; }
AutomationArgument textBlock(std::vector<std::vector<std::wstring>> rows) {
  AutomationArgument argument{VT_ARRAY | VT_VARIANT, L"", {}, {}};
  argument.bounds = {{1, static_cast<LONG>(rows.size())},
                     {1, rows.empty() ? 0 : static_cast<LONG>(rows.front().size())}};
  argument.cells = std::move(rows);
  return argument;
}

FakeAutomation::FakeAutomation() {
  VARIANT done;
  VariantInit(&done);
  V_VT(&done) = VT_BOOL;
  V_BOOL(&done) = VARIANT_TRUE;
  setPrintOutResult(done);
}

FakeAutomation::~FakeAutomation() = default;

sheet::ApplicationFactory FakeAutomation::factory(HRESULT creation) {
  return [this, creation](IDispatch** application) -> HRESULT {
    ++factory_calls_;
    com_at_creation_ = CoInitialize(nullptr);
    if (SUCCEEDED(com_at_creation_)) CoUninitialize();
    *application = nullptr;
    if (FAILED(creation)) return creation;
    FakeDispatch& created = create(L"Application");
    created.AddRef();
    *application = &created;
    return S_OK;
  };
}

void FakeAutomation::failInvoke(std::wstring member, std::size_t occurrence, HRESULT result) {
  fail_invoke_.emplace(std::move(member), occurrence);
  fail_result_ = result;
}

void FakeAutomation::failLookup(std::wstring member, std::size_t occurrence) {
  fail_lookup_.emplace(std::move(member), occurrence);
}

void FakeAutomation::returnNothingFor(std::wstring member) { no_object_.push_back(std::move(member)); }

void FakeAutomation::setPrintOutResult(const VARIANT& value) { VariantCopy(print_result_.put(), const_cast<VARIANT*>(&value)); }

std::vector<std::pair<std::wstring, long>> FakeAutomation::references() const {
  std::vector<std::pair<std::wstring, long>> counts;
  for (const auto& object : objects_) counts.emplace_back(object->label(), object->references());
  return counts;
}

std::optional<long> FakeAutomation::referencesOf(std::wstring_view label) const {
  for (const auto& object : objects_) {
    if (object->label() == label) return object->references();
  }
  return std::nullopt;
}

FakeDispatch& FakeAutomation::create(std::wstring label) {
  objects_.push_back(std::make_unique<FakeDispatch>(*this, std::move(label)));
  return *objects_.back();
}

DISPID FakeAutomation::idOf(const std::wstring& name) {
  auto found = std::find(names_.begin(), names_.end(), name);
  if (found == names_.end()) found = names_.insert(names_.end(), name);
  return static_cast<DISPID>(std::distance(names_.begin(), found) + 1);
}

const std::wstring& FakeAutomation::nameOf(DISPID id) const {
  static const std::wstring unknown = L"<unknown dispid>";
  if (id < 1 || static_cast<std::size_t>(id) > names_.size()) return unknown;
  return names_[static_cast<std::size_t>(id - 1)];
}

HRESULT FakeAutomation::lookup(const std::wstring& name, LCID locale) {
  last_lookup_locale_ = locale;
  const std::size_t occurrence = lookups_[name]++;
  if (fail_lookup_ && fail_lookup_->first == name && fail_lookup_->second == occurrence) return DISP_E_UNKNOWNNAME;
  return S_OK;
}

HRESULT FakeAutomation::invoke(FakeDispatch& target, DISPID id, LCID locale, WORD flags, const DISPPARAMS& params,
                               VARIANT* result, EXCEPINFO* exception) {
  const std::wstring& member = nameOf(id);
  AutomationCall call{target.label(), member, kindOf(flags), {}};
  // rgvarg holds the positional arguments last first; named ones come
  // before them.
  for (UINT i = params.cArgs; i > params.cNamedArgs; --i) call.arguments.push_back(describe(params.rgvarg[i - 1]));
  for (UINT i = params.cNamedArgs; i > 0; --i) call.arguments.push_back(describe(params.rgvarg[i - 1]));
  InvokeFacts facts{last_lookup_locale_, locale, flags, {}, result != nullptr};
  if (params.rgdispidNamedArgs != nullptr) {
    facts.named.assign(params.rgdispidNamedArgs, params.rgdispidNamedArgs + params.cNamedArgs);
  }
  calls_.push_back(call);
  facts_.push_back(std::move(facts));

  const std::size_t occurrence = invokes_[member]++;
  if (fail_invoke_ && fail_invoke_->first == member && fail_invoke_->second == occurrence) {
    if (exception != nullptr) {
      *exception = EXCEPINFO{};
      exception->scode = fail_result_;
      exception->bstrSource = SysAllocString(L"fake automation");
      exception->bstrDescription = SysAllocString(L"the call was told to fail");
    }
    return fail_result_;
  }
  if (result == nullptr) return S_OK;
  VariantInit(result);
  if (member == L"PrintOut") return VariantCopy(result, print_result_.ptr());
  const auto child = childLabels().find(member);
  if (call.kind != com::CallKind::get || child == childLabels().end() ||
      std::find(no_object_.begin(), no_object_.end(), member) != no_object_.end()) {
    return S_OK;
  }
  std::wstring label = child->second;
  if (!call.arguments.empty()) {
    label += L"(";
    for (std::size_t i = 0; i < call.arguments.size(); ++i) label += (i ? L"," : L"") + call.arguments[i].value;
    label += L")";
  }
  FakeDispatch& object = create(std::move(label));
  object.AddRef();
  V_VT(result) = VT_DISPATCH;
  V_DISPATCH(result) = &object;
  return S_OK;
}

HRESULT FakeDispatch::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT FakeDispatch::GetTypeInfoCount(UINT* count) {
  if (count != nullptr) *count = 0;
  return S_OK;
}

HRESULT FakeDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT FakeDispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) {
  if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
  // Only single names are expected; more are refused so a test sees it.
  if (count != 1) return E_INVALIDARG;
  const std::wstring name(names[0]);
  const HRESULT hr = world_.lookup(name, locale);
  if (FAILED(hr)) {
    ids[0] = DISPID_UNKNOWN;
    return hr;
  }
  ids[0] = world_.idOf(name);
  return S_OK;
}

HRESULT FakeDispatch::Invoke(DISPID id, REFIID, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* exception, UINT* bad_argument) {
  if (bad_argument != nullptr) *bad_argument = 0;
  if (params == nullptr) return E_INVALIDARG;
  return world_.invoke(*this, id, locale, flags, *params, result, exception);
}

}  // namespace kj::test
