#pragma once
// A small writer of JSON text in UTF-8.

#include <cstddef>
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

// The same, written straight into a buffer: the writers return the end of
// what they wrote and never write more than the bound of their value.
//
// A wide character takes at most 6 bytes ("\u001f"); a surrogate pair takes 4.
constexpr std::size_t quotedBound(std::size_t characters) { return 2 + 6 * characters; }
inline constexpr std::size_t number_bound = 32;

// Wide text (UTF-16 on Windows, UTF-32 elsewhere) as UTF-8; unpaired
// surrogates and values beyond U+10FFFF become U+FFFD.
char* writeQuoted(char* out, std::wstring_view text);
char* writeNumber(char* out, double value);
char* writeNumber(char* out, std::int64_t value);
inline char* writeBoolean(char* out, bool value) {
  const std::string_view t = value ? std::string_view("true") : std::string_view("false");
  for (char c : t) *out++ = c;
  return out;
}

// Appending forms of the writers.
void appendQuoted(std::string& out, std::wstring_view text);
void appendNumber(std::string& out, double value);
void appendNumber(std::string& out, std::int64_t value);

}  // namespace kj::json
