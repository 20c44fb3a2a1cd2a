#pragma once
// Number conversions and text helpers used by record decoding.
//
// The controller writes every value as decimal text. The conversions read it the
// way the C library's strtol/strtoul/strtod family does on a platform whose long
// is 32 bits: leading white space is skipped, an optional sign is accepted, the
// longest valid prefix is converted and the rest ignored. They are implemented
// here once, without the C runtime, so that Linux and Windows builds give the same
// results for the same text.
//
// Errors are the standard ones and are the error mechanism of record decoding:
// std::invalid_argument when no digits can be converted, std::out_of_range when
// the value does not fit (or a cut starts beyond the end of its text).

#include <cstdint>
#include <string>
#include <string_view>

namespace kj {

// Signed 32-bit decimal conversion (std::stoi on a 32-bit-long platform).
std::int32_t parseInt32(std::wstring_view text);

// Unsigned 32-bit conversion in the given base (std::stoul on a 32-bit-long
// platform): a leading '-' negates the value modulo 2^32, base 16 accepts an
// optional 0x/0X prefix.
std::uint32_t parseUInt32(std::wstring_view text, int base = 10);

// Hexadecimal conversion, parseUInt32(text, 16).
std::uint32_t parseHex(std::wstring_view text);

// Floating-point conversion (std::stod): decimal with optional exponent,
// hexadecimal (0x...p...), "inf", "infinity" and "nan" in any letter case.
// Overflow and underflow raise std::out_of_range.
double parseReal(std::wstring_view text);

// Plain decimal text of an integer, "-" before negatives, no padding.
std::wstring decimal(std::int64_t value);
std::wstring decimal(std::uint64_t value);
inline std::wstring decimal(std::int32_t value) { return decimal(static_cast<std::int64_t>(value)); }
inline std::wstring decimal(std::uint32_t value) { return decimal(static_cast<std::uint64_t>(value)); }

// x in fixed-point notation with exactly `digits` decimals, correctly rounded
// from the exact binary value (ties to even), as an iostream in fixed mode does
// with glibc. Infinity and NaN are written "inf", "-inf", "nan", "-nan".
std::wstring formatFixed(double x, int digits);

// text without leading and trailing U+0020 characters.
std::wstring trimSpaces(std::wstring_view text);

// At most n characters of text from position pos (std::wstring::substr).
// pos beyond the end raises std::out_of_range; pos equal to the length gives "".
std::wstring cut(std::wstring_view text, std::size_t pos, std::size_t n = std::wstring::npos);

// The characters of the C locale's isspace: space, \t, \n, \v, \f, \r.
constexpr bool isCSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

}  // namespace kj
