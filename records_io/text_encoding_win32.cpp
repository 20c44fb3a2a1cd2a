#include "records_io/text_encoding.h"

#include "records_io/win32_include.h"

#include <limits>

namespace kj {

std::string encodeText(const std::wstring& text, unsigned code_page) {
  if (text.empty()) return {};
  const UINT cp = code_page == code_page_ansi ? CP_ACP : code_page;
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return {};
  const int length = static_cast<int>(text.size());
  const int needed = WideCharToMultiByte(cp, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string out(static_cast<std::size_t>(needed), '\0');
  WideCharToMultiByte(cp, 0, text.data(), length, out.data(), needed, nullptr, nullptr);
  return out;
}

}  // namespace kj
