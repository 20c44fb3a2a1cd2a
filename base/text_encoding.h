#pragma once
// Conversion of wide text to UTF-8 and to the bytes of a code page when files
// are written.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kj {

inline constexpr unsigned code_page_ansi = 0;      // the system's ANSI code page (CP_ACP)
inline constexpr unsigned code_page_utf8 = 65001;  // CP_UTF8

// text as bytes of the code page; characters the code page cannot represent
// become its default character. On Windows this is WideCharToMultiByte. Elsewhere
// UTF-8 is encoded exactly and the ANSI code page is a single-byte page that
// undoes the widening of read bytes (U+0000-U+007F and U+FF80-U+FFFF give back
// their byte), any other character becoming "?". Nothing when the conversion
// fails (an unknown code page, a text too long for the system call); an empty
// text gives an empty result.
std::optional<std::string> encodeText(std::wstring_view text, unsigned code_page);

// The code point at text[i], with i moved past it: a surrogate pair (UTF-16) is
// one code point; an unpaired surrogate or a value beyond U+10FFFF is U+FFFD.
inline std::uint32_t nextCodePoint(std::wstring_view text, std::size_t& i) {
  auto cp = static_cast<std::uint32_t>(text[i++]);
  if constexpr (sizeof(wchar_t) == 2) {
    if (cp >= 0xD800 && cp <= 0xDBFF && i < text.size()) {
      const auto low = static_cast<std::uint32_t>(text[i]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        ++i;
        return 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
      }
    }
  }
  if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return 0xFFFD;
  return cp;
}

// The UTF-8 bytes of code point cp (at most 4) at out; returns their end.
inline char* writeUtf8(char* out, std::uint32_t cp) {
  if (cp < 0x80) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<char>(0xC0 | (cp >> 6));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (cp >> 12));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (cp >> 18));
    *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

// UTF-8 bytes of wide text (UTF-16 on Windows, UTF-32 elsewhere); unpaired
// surrogates become U+FFFD.
std::string toUtf8(std::wstring_view text);

// Wide text of UTF-8 bytes; malformed sequences become U+FFFD.
std::wstring fromUtf8(std::string_view bytes);

}  // namespace kj
