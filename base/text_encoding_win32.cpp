#include "base/text_encoding.h"

#include "base/win32_include.h"

#include <limits>

namespace kj {

std::optional<std::string> encodeText(std::wstring_view text, unsigned code_page) {
  if (text.empty()) return std::string();
  const UINT cp = code_page == code_page_ansi ? CP_ACP : code_page;
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return std::nullopt;
  const int length = static_cast<int>(text.size());
  const int needed = WideCharToMultiByte(cp, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return std::nullopt;
  std::string out(static_cast<std::size_t>(needed), '\0');
  if (WideCharToMultiByte(cp, 0, text.data(), length, out.data(), needed, nullptr, nullptr) != needed) {
    return std::nullopt;
  }
  return out;
}

}  // namespace kj
