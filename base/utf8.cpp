#include "base/text_encoding.h"

#include <cstdint>

namespace kj {

std::string toUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  char bytes[4];
  for (std::size_t i = 0; i < text.size();) {
    const char* end = writeUtf8(bytes, nextCodePoint(text, i));
    out.append(bytes, static_cast<std::size_t>(end - bytes));
  }
  return out;
}

namespace {
void appendCodePoint(std::wstring& out, std::uint32_t cp) {
  if (sizeof(wchar_t) == 2 && cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<wchar_t>(cp));
  }
}
}  // namespace

std::wstring fromUtf8(std::string_view bytes) {
  std::wstring out;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    std::size_t len = 0;
    std::uint32_t cp = 0;
    std::uint32_t min = 0;
    if (b < 0x80) { len = 1; cp = b; }
    else if ((b & 0xE0) == 0xC0) { len = 2; cp = b & 0x1Fu; min = 0x80; }
    else if ((b & 0xF0) == 0xE0) { len = 3; cp = b & 0x0Fu; min = 0x800; }
    else if ((b & 0xF8) == 0xF0) { len = 4; cp = b & 0x07u; min = 0x10000; }
    bool ok = len != 0 && i + len <= bytes.size();
    for (std::size_t k = 1; ok && k < len; ++k) {
      const auto c = static_cast<unsigned char>(bytes[i + k]);
      if ((c & 0xC0) != 0x80) ok = false;
      else cp = (cp << 6) | (c & 0x3Fu);
    }
    if (ok && (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
    if (!ok) {
      out.push_back(static_cast<wchar_t>(0xFFFD));
      ++i;
      continue;
    }
    appendCodePoint(out, cp);
    i += len;
  }
  return out;
}

}  // namespace kj
