#include "record/conversions.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <system_error>

namespace kj {
namespace {

int digitValue(wchar_t c, int base) {
  int v = 99;
  if (c >= L'0' && c <= L'9') v = static_cast<int>(c - L'0');
  else if (c >= L'a' && c <= L'z') v = static_cast<int>(c - L'a') + 10;
  else if (c >= L'A' && c <= L'Z') v = static_cast<int>(c - L'A') + 10;
  return v < base ? v : -1;
}

struct Scanned {
  bool negative = false;
  bool overflow = false;          // magnitude beyond 2^32 - 1
  std::uint64_t magnitude = 0;    // capped once overflow is set
};

// Scans [space][sign][prefix]digits like strtoul; throws invalid_argument when
// no digit is found.
Scanned scanUnsigned(std::wstring_view text, int base, const char* what) {
  std::size_t i = 0;
  while (i < text.size() && isCSpace(text[i])) ++i;
  Scanned s;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
    s.negative = text[i] == L'-';
    ++i;
  }
  if (base == 16 && i + 1 < text.size() && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X') &&
      i + 2 < text.size() && digitValue(text[i + 2], 16) >= 0) {
    i += 2;  // the prefix counts only when a hexadecimal digit follows it
  }
  const std::size_t first = i;
  constexpr std::uint64_t limit = std::numeric_limits<std::uint32_t>::max();
  for (; i < text.size(); ++i) {
    const int d = digitValue(text[i], base);
    if (d < 0) break;
    if (!s.overflow) {
      s.magnitude = s.magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
      if (s.magnitude > limit) s.overflow = true;
    }
  }
  if (i == first) throw std::invalid_argument(what);
  return s;
}

}  // namespace

std::int32_t parseInt32(std::wstring_view text) {
  const Scanned s = scanUnsigned(text, 10, "stoi");
  constexpr std::uint64_t maxPositive = 2147483647ULL;
  const std::uint64_t bound = s.negative ? maxPositive + 1 : maxPositive;
  if (s.overflow || s.magnitude > bound) throw std::out_of_range("stoi");
  if (s.negative) return static_cast<std::int32_t>(-static_cast<std::int64_t>(s.magnitude));
  return static_cast<std::int32_t>(s.magnitude);
}

std::uint32_t parseUInt32(std::wstring_view text, int base) {
  const Scanned s = scanUnsigned(text, base, "stoul");
  if (s.overflow) throw std::out_of_range("stoul");
  const auto m = static_cast<std::uint32_t>(s.magnitude);
  return s.negative ? static_cast<std::uint32_t>(0U - m) : m;
}

std::uint32_t parseHex(std::wstring_view text) { return parseUInt32(text, 16); }

namespace {

bool startsWithNoCase(std::wstring_view text, std::size_t at, std::string_view word) {
  if (text.size() - at < word.size()) return false;
  for (std::size_t k = 0; k < word.size(); ++k) {
    wchar_t c = text[at + k];
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    if (c != static_cast<wchar_t>(word[k])) return false;
  }
  return true;
}

}  // namespace

double parseReal(std::wstring_view text) {
  std::size_t i = 0;
  while (i < text.size() && isCSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
    negative = text[i] == L'-';
    ++i;
  }
  const auto sign = [negative](double v) { return negative ? -v : v; };

  if (startsWithNoCase(text, i, "inf")) return sign(std::numeric_limits<double>::infinity());
  if (startsWithNoCase(text, i, "nan")) return sign(std::numeric_limits<double>::quiet_NaN());

  // Collect the longest valid subject sequence as narrow text for from_chars.
  std::string subject;
  bool hex = false;
  if (i + 1 < text.size() && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X')) {
    // "0x" is a prefix only when a hexadecimal digit follows (possibly after the point).
    std::size_t j = i + 2;
    const bool digitNext = j < text.size() && digitValue(text[j], 16) >= 0;
    const bool pointDigit = j + 1 < text.size() && text[j] == L'.' && digitValue(text[j + 1], 16) >= 0;
    if (digitNext || pointDigit) {
      hex = true;
      i = j;
    }
  }
  const int base = hex ? 16 : 10;
  bool anyDigit = false;
  bool nonZeroDigit = false;
  while (i < text.size() && digitValue(text[i], base) >= 0) {
    nonZeroDigit = nonZeroDigit || text[i] != L'0';
    subject.push_back(static_cast<char>(text[i++]));
    anyDigit = true;
  }
  if (i < text.size() && text[i] == L'.') {
    std::size_t j = i + 1;
    std::string fraction;
    while (j < text.size() && digitValue(text[j], base) >= 0) {
      nonZeroDigit = nonZeroDigit || text[j] != L'0';
      fraction.push_back(static_cast<char>(text[j++]));
    }
    if (anyDigit || !fraction.empty()) {
      subject.push_back('.');
      subject += fraction;
      anyDigit = anyDigit || !fraction.empty();
      i = j;
    }
  }
  if (!anyDigit) throw std::invalid_argument("stod");
  const wchar_t expLetter = hex ? L'p' : L'e';
  if (i < text.size() && (text[i] == expLetter || text[i] == expLetter - (L'a' - L'A'))) {
    std::size_t j = i + 1;
    std::string exponent = hex ? "p" : "e";
    if (j < text.size() && (text[j] == L'+' || text[j] == L'-')) exponent.push_back(static_cast<char>(text[j++]));
    const std::size_t digitsAt = j;
    while (j < text.size() && text[j] >= L'0' && text[j] <= L'9') exponent.push_back(static_cast<char>(text[j++]));
    if (j > digitsAt) subject += exponent;  // an exponent without digits is not part of the number
  }

  double value = 0.0;
  const auto format = hex ? std::chars_format::hex : std::chars_format::general;
  const auto [end, ec] = std::from_chars(subject.data(), subject.data() + subject.size(), value, format);
  if (ec == std::errc::result_out_of_range) throw std::out_of_range("stod");
  if (ec != std::errc() || end != subject.data() + subject.size()) throw std::invalid_argument("stod");
  // strtod reports ERANGE for results that overflow or underflow; so do we.
  if (std::isinf(value)) throw std::out_of_range("stod");
  if (nonZeroDigit && (value == 0.0 || std::fpclassify(value) == FP_SUBNORMAL)) throw std::out_of_range("stod");
  return sign(value);
}

std::wstring decimal(std::int64_t value) {
  std::array<char, 24> buf{};
  const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value);
  return std::wstring(buf.data(), r.ptr);
}

std::wstring decimal(std::uint64_t value) {
  std::array<char, 24> buf{};
  const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value);
  return std::wstring(buf.data(), r.ptr);
}

std::wstring formatFixed(double x, int digits) {
  if (std::isnan(x)) return std::signbit(x) ? L"-nan" : L"nan";
  if (std::isinf(x)) return x < 0 ? L"-inf" : L"inf";
  // The longest fixed text of a double has 309 integer digits.
  std::array<char, 400> buf{};
  const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), x, std::chars_format::fixed, digits);
  if (r.ec != std::errc()) throw std::out_of_range("formatFixed");
  return std::wstring(buf.data(), r.ptr);
}

std::wstring trimSpaces(std::wstring_view text) {
  const std::size_t first = text.find_first_not_of(L' ');
  if (first == std::wstring_view::npos) return {};
  const std::size_t last = text.find_last_not_of(L' ');
  return std::wstring(text.substr(first, last - first + 1));
}

std::wstring cut(std::wstring_view text, std::size_t pos, std::size_t n) {
  if (pos > text.size()) throw std::out_of_range("substr");
  return std::wstring(text.substr(pos, n));
}

}  // namespace kj
