#include "app/copy_data.h"

#include <cstring>

namespace kj::app {

namespace {

// UTF-16 units to a wide string: copied as they are where wchar_t is 16 bits,
// surrogate pairs combined where it is 32 bits.
std::wstring wideOf(const std::u16string& units) {
  if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
    return std::wstring(units.begin(), units.end());
  } else {
    std::wstring out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
      const char32_t u = units[i];
      if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
          units[i + 1] <= 0xDFFF) {
        const char32_t low = units[++i];
        out.push_back(static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00)));
      } else {
        out.push_back(static_cast<wchar_t>(u));
      }
    }
    return out;
  }
}

}  // namespace

std::optional<std::wstring> copyDataText(const void* data, std::size_t size) {
  if (data == nullptr) return std::nullopt;
  const auto* bytes = static_cast<const unsigned char*>(data);
  const std::size_t unit_count = size / sizeof(char16_t);  // an odd last byte is never read
  std::u16string units;
  for (std::size_t i = 0; i < unit_count; ++i) {
    char16_t unit = 0;
    std::memcpy(&unit, bytes + i * sizeof(char16_t), sizeof(char16_t));
    if (unit == 0) return wideOf(units);
    units.push_back(unit);
  }
  return std::nullopt;
}

}  // namespace kj::app
