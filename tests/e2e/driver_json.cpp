#include "tests/e2e/driver_json.h"

#include <charconv>

#include "tests/e2e/driver_support.h"

namespace e2e::json {

const Value& Value::operator[](const std::string& key) const {
  const auto it = members.find(key);
  if (type != Type::object || it == members.end()) fail(L"JSON: no member " + fromUtf8(key));
  return it->second;
}

const Value& Value::at(std::size_t index) const {
  if (type != Type::array || index >= items.size()) fail(L"JSON: no item " + std::to_wstring(index));
  return items[index];
}

namespace {

class Parser {
 public:
  explicit Parser(std::string_view text) : s_(text) {}

  Value document() {
    Value v = value();
    space();
    if (pos_ != s_.size()) error("text after the value");
    return v;
  }

 private:
  [[noreturn]] void error(const char* what) const {
    fail(L"JSON: " + fromUtf8(what) + L" at byte " + std::to_wstring(pos_));
  }
  void space() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\n' || s_[pos_] == '\r' || s_[pos_] == '\t')) ++pos_;
  }
  bool take(char c) {
    space();
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  void expect(char c) {
    if (!take(c)) error("unexpected character");
  }
  bool word(std::string_view w) {
    if (s_.substr(pos_, w.size()) == w) {
      pos_ += w.size();
      return true;
    }
    return false;
  }

  Value value() {
    space();
    if (pos_ >= s_.size()) error("unexpected end");
    Value v;
    const char c = s_[pos_];
    if (c == '{') {
      ++pos_;
      v.type = Value::Type::object;
      if (take('}')) return v;
      do {
        space();
        const std::string key = toUtf8(string());
        expect(':');
        v.members[key] = value();
      } while (take(','));
      expect('}');
    } else if (c == '[') {
      ++pos_;
      v.type = Value::Type::array;
      if (take(']')) return v;
      do v.items.push_back(value());
      while (take(','));
      expect(']');
    } else if (c == '"') {
      v.type = Value::Type::text;
      v.text = string();
    } else if (word("true")) {
      v.type = Value::Type::boolean;
      v.flag = true;
    } else if (word("false")) {
      v.type = Value::Type::boolean;
    } else if (word("null")) {
      v.type = Value::Type::null;
    } else {
      v.type = Value::Type::number;
      const char* begin = s_.data() + pos_;
      const auto r = std::from_chars(begin, s_.data() + s_.size(), v.number);
      if (r.ec != std::errc()) error("bad number");
      pos_ += static_cast<std::size_t>(r.ptr - begin);
    }
    return v;
  }

  unsigned hex4() {
    if (pos_ + 4 > s_.size()) error("short escape");
    unsigned u = 0;
    const auto r = std::from_chars(s_.data() + pos_, s_.data() + pos_ + 4, u, 16);
    if (r.ec != std::errc() || r.ptr != s_.data() + pos_ + 4) error("bad escape");
    pos_ += 4;
    return u;
  }

  std::wstring string() {
    if (pos_ >= s_.size() || s_[pos_] != '"') error("expected a string");
    ++pos_;
    std::string utf8;
    std::wstring out;
    const auto flush = [&] {
      out += fromUtf8(utf8);
      utf8.clear();
    };
    for (;;) {
      if (pos_ >= s_.size()) error("unterminated string");
      const char c = s_[pos_++];
      if (c == '"') break;
      if (c != '\\') {
        utf8.push_back(c);
        continue;
      }
      if (pos_ >= s_.size()) error("unterminated escape");
      const char e = s_[pos_++];
      switch (e) {
        case '"':
          utf8.push_back('"');
          break;
        case '\\':
          utf8.push_back('\\');
          break;
        case '/':
          utf8.push_back('/');
          break;
        case 'b':
          utf8.push_back('\b');
          break;
        case 'f':
          utf8.push_back('\f');
          break;
        case 'n':
          utf8.push_back('\n');
          break;
        case 'r':
          utf8.push_back('\r');
          break;
        case 't':
          utf8.push_back('\t');
          break;
        case 'u':
          flush();
          out.push_back(static_cast<wchar_t>(hex4()));
          break;
        default:
          error("unknown escape");
      }
    }
    flush();
    return out;
  }

  std::string_view s_;
  std::size_t pos_ = 0;
};

}  // namespace

Value parse(std::string_view text) { return Parser(text).document(); }

}  // namespace e2e::json
