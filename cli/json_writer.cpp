#include "cli/json_writer.h"

#include <array>
#include <charconv>
#include <cmath>

#include "base/text_encoding.h"

namespace kj::json {

namespace {
void appendEscaped(std::string& out, std::string_view utf8) {
  static constexpr char hex[] = "0123456789abcdef";
  for (char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          out += "\\u00";
          out.push_back(hex[c >> 4]);
          out.push_back(hex[c & 0xF]);
        } else {
          out.push_back(ch);
        }
    }
  }
}
}  // namespace

std::string quote(const std::wstring& text) {
  std::string out = "\"";
  appendEscaped(out, toUtf8(text));
  out.push_back('"');
  return out;
}

std::string quote(std::string_view ascii) {
  std::string out = "\"";
  appendEscaped(out, ascii);
  out.push_back('"');
  return out;
}

std::string number(double value) {
  if (!std::isfinite(value)) return "null";
  std::array<char, 64> buf{};
  const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value);
  return std::string(buf.data(), r.ptr);
}

std::string number(std::int64_t value) {
  std::array<char, 24> buf{};
  const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value);
  return std::string(buf.data(), r.ptr);
}

}  // namespace kj::json
