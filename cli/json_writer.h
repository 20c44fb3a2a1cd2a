#pragma once
// A small writer of JSON text in UTF-8.

#include <cstdint>
#include <string>
#include <string_view>

namespace kj::json {

// "text" with quotes, escaping quotes, backslashes and control characters.
std::string quote(const std::wstring& text);
std::string quote(std::string_view ascii);

// A number that reads back to the same double (shortest round-trip form);
// JSON has no infinity or NaN, so those are written as null.
std::string number(double value);
std::string number(std::int64_t value);

inline std::string boolean(bool value) { return value ? "true" : "false"; }

}  // namespace kj::json
