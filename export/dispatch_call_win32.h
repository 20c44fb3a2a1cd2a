#pragma once
// Late-bound calls on an IDispatch by member name, the way the spreadsheet
// application is driven: the name is looked up with GetIDsOfNames (one name,
// the user default locale 1024) and invoked with Invoke (the system default
// locale 2048) as a method, a property get or a property put.

#include <span>
#include <string_view>

#include "export/com_ptr_win32.h"

namespace kj::com {

enum class CallKind { method, get, put };

// The locales of the lookup and of the invocation.
inline constexpr LCID lookup_locale = LOCALE_USER_DEFAULT;    // 1024
inline constexpr LCID invoke_locale = LOCALE_SYSTEM_DEFAULT;  // 2048

// Calls `member` on `target`. `arguments` are the positional arguments in
// their natural order (first parameter first); they are handed to Invoke in
// reverse, as IDispatch wants them. A put takes exactly one argument, passed
// as the named argument DISPID_PROPERTYPUT. `result` (may be null; puts never
// ask for one) receives the returned value, cleared first. The arguments stay
// owned by the caller. Any exception information the callee filled in is
// freed here. Returns the failure of the lookup or the result of Invoke;
// E_POINTER for a null target, E_INVALIDARG for a put without exactly one
// argument.
HRESULT call(IDispatch* target, std::wstring_view member, CallKind kind, std::span<const VARIANT> arguments,
             Variant* result = nullptr);

// The object a call returned: a reference of its own to the VT_DISPATCH
// value, or null when the value is not a (non-null) object.
ComPtr<IDispatch> objectOf(const Variant& value);

// Whether a returned value counts as "non-zero": a VT_BOOL that is not
// VARIANT_FALSE or a number (integer, floating point, currency, decimal)
// other than zero. An
// empty, null, text, object or error value is not a number and counts as zero.
bool isNonZero(const VARIANT& value);

}  // namespace kj::com
