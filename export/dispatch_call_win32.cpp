#include "export/dispatch_call_win32.h"

#include <string>
#include <vector>

namespace kj::com {
namespace {

WORD invokeFlags(CallKind kind) {
  switch (kind) {
    case CallKind::method: return DISPATCH_METHOD;
    case CallKind::get: return DISPATCH_PROPERTYGET;
    case CallKind::put: return DISPATCH_PROPERTYPUT;
  }
  return DISPATCH_METHOD;
}

// The callee may leave its texts for us to free, or only a function that
// fills them in on demand.
void freeExceptionInfo(EXCEPINFO& info) {
  if (info.pfnDeferredFillIn != nullptr) {
    info.pfnDeferredFillIn(&info);
    info.pfnDeferredFillIn = nullptr;
  }
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);
  info.bstrSource = info.bstrDescription = info.bstrHelpFile = nullptr;
}

}  // namespace

HRESULT call(IDispatch* target, std::wstring_view member, CallKind kind, std::span<const VARIANT> arguments,
             Variant* result) {
  if (target == nullptr) return E_POINTER;
  if (kind == CallKind::put && arguments.size() != 1) return E_INVALIDARG;
  if (arguments.size() > 0xFFFF) return E_INVALIDARG;

  std::wstring name(member);
  LPOLESTR names[] = {name.data()};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = target->GetIDsOfNames(IID_NULL, names, 1, lookup_locale, &id);
  if (FAILED(hr)) return hr;

  // Shallow copies in reverse order: the values stay owned by the caller and
  // are not cleared here.
  std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
  DISPID put_id = DISPID_PROPERTYPUT;
  DISPPARAMS params{};
  params.rgvarg = reversed.empty() ? nullptr : reversed.data();
  params.cArgs = static_cast<UINT>(reversed.size());
  if (kind == CallKind::put) {
    params.rgdispidNamedArgs = &put_id;
    params.cNamedArgs = 1;
  }

  VARIANT* out = nullptr;
  if (kind != CallKind::put && result != nullptr) out = result->put();
  EXCEPINFO exception{};
  UINT bad_argument = 0;
  hr = target->Invoke(id, IID_NULL, invoke_locale, invokeFlags(kind), &params, out, &exception, &bad_argument);
  freeExceptionInfo(exception);
  return hr;
}

ComPtr<IDispatch> objectOf(const Variant& value) {
  if (value.type() != VT_DISPATCH) return {};
  return ComPtr<IDispatch>::share(V_DISPATCH(&value.get()));
}

bool isNonZero(const VARIANT& value) {
  switch (V_VT(&value)) {
    case VT_BOOL: return V_BOOL(&value) != VARIANT_FALSE;
    case VT_I1: return V_I1(&value) != 0;
    case VT_I2: return V_I2(&value) != 0;
    case VT_I4: return V_I4(&value) != 0;
    case VT_I8: return V_I8(&value) != 0;
    case VT_INT: return V_INT(&value) != 0;
    case VT_UI1: return V_UI1(&value) != 0;
    case VT_UI2: return V_UI2(&value) != 0;
    case VT_UI4: return V_UI4(&value) != 0;
    case VT_UI8: return V_UI8(&value) != 0;
    case VT_UINT: return V_UINT(&value) != 0;
    case VT_R4: return V_R4(&value) != 0.0f;
    case VT_R8: return V_R8(&value) != 0.0;
    case VT_CY: return V_CY(&value).int64 != 0;
    case VT_DECIMAL: return V_DECIMAL(&value).Hi32 != 0 || V_DECIMAL(&value).Lo64 != 0;
    default: return false;
  }
}

}  // namespace kj::com
