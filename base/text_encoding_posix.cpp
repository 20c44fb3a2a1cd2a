#include "base/text_encoding.h"

namespace kj {

std::optional<std::string> encodeText(std::wstring_view text, unsigned code_page) {
  if (code_page == code_page_utf8) return toUtf8(text);
  if (code_page != code_page_ansi) return std::nullopt;
  std::string out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    const auto u = static_cast<unsigned long>(c);
    if (u < 0x80) out.push_back(static_cast<char>(u));
    else if (u >= 0xFF80 && u <= 0xFFFF) out.push_back(static_cast<char>(u & 0xFF));
    else out.push_back('?');
  }
  return out;
}

}  // namespace kj
