#include "records_io/text_encoding.h"

namespace kj {

std::string encodeText(const std::wstring& text, unsigned code_page) {
  if (code_page == code_page_utf8) return toUtf8(text);
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
