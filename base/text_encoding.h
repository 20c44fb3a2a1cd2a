#pragma once
// Conversion of wide text to UTF-8 and to the bytes of a code page when files
// are written.

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

// UTF-8 bytes of wide text (UTF-16 on Windows, UTF-32 elsewhere); unpaired
// surrogates become U+FFFD.
std::string toUtf8(std::wstring_view text);

// Wide text of UTF-8 bytes; malformed sequences become U+FFFD.
std::wstring fromUtf8(std::string_view bytes);

}  // namespace kj
