#include "tests/support/json_reader.h"

#include <charconv>
#include <stdexcept>

namespace kj::test {

const JsonValue& JsonValue::operator[](const std::string& key) const {
  for (const auto& [k, value] : object()) {
    if (k == key) return value;
  }
  throw std::runtime_error("no member " + key);
}

std::vector<std::string> JsonValue::keys() const {
  std::vector<std::string> out;
  for (const auto& member : object()) out.push_back(member.first);
  return out;
}

namespace {

class Parser {
 public:
  explicit Parser(const std::string& t) : t_(t) {}

  JsonValue document() {
    JsonValue v = value();
    space();
    if (i_ != t_.size()) fail("text after the value");
    return v;
  }

 private:
  [[noreturn]] void fail(const std::string& what) { throw std::runtime_error(what + " at " + std::to_string(i_)); }
  void space() {
    while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\n' || t_[i_] == '\r' || t_[i_] == '\t')) ++i_;
  }
  bool take(const char* word) {
    const std::string w(word);
    if (t_.compare(i_, w.size(), w) != 0) return false;
    i_ += w.size();
    return true;
  }
  JsonValue value() {
    space();
    if (i_ >= t_.size()) fail("end of text");
    const char c = t_[i_];
    if (c == '{') return objectValue();
    if (c == '[') return arrayValue();
    if (c == '"') return JsonValue{stringValue()};
    if (take("true")) return JsonValue{true};
    if (take("false")) return JsonValue{false};
    if (take("null")) return JsonValue{nullptr};
    return numberValue();
  }
  JsonValue objectValue() {
    auto obj = std::make_shared<JsonObject>();
    ++i_;
    space();
    if (i_ < t_.size() && t_[i_] == '}') {
      ++i_;
      return JsonValue{obj};
    }
    for (;;) {
      space();
      if (i_ >= t_.size() || t_[i_] != '"') fail("key expected");
      std::string key = stringValue();
      space();
      if (i_ >= t_.size() || t_[i_] != ':') fail("':' expected");
      ++i_;
      obj->emplace_back(std::move(key), value());
      space();
      if (i_ < t_.size() && t_[i_] == ',') {
        ++i_;
        continue;
      }
      if (i_ < t_.size() && t_[i_] == '}') {
        ++i_;
        return JsonValue{obj};
      }
      fail("',' or '}' expected");
    }
  }
  JsonValue arrayValue() {
    auto arr = std::make_shared<JsonArray>();
    ++i_;
    space();
    if (i_ < t_.size() && t_[i_] == ']') {
      ++i_;
      return JsonValue{arr};
    }
    for (;;) {
      arr->push_back(value());
      space();
      if (i_ < t_.size() && t_[i_] == ',') {
        ++i_;
        continue;
      }
      if (i_ < t_.size() && t_[i_] == ']') {
        ++i_;
        return JsonValue{arr};
      }
      fail("',' or ']' expected");
    }
  }
  std::string stringValue() {
    ++i_;
    std::string out;
    while (i_ < t_.size() && t_[i_] != '"') {
      const auto c = static_cast<unsigned char>(t_[i_]);
      if (c < 0x20) fail("control character in string");
      if (c == '\\') {
        ++i_;
        if (i_ >= t_.size()) fail("escape at end");
        const char e = t_[i_++];
        switch (e) {
          case '"': out += '"'; break;
          case '\\': out += '\\'; break;
          case '/': out += '/'; break;
          case 'b': out += '\b'; break;
          case 'f': out += '\f'; break;
          case 'n': out += '\n'; break;
          case 'r': out += '\r'; break;
          case 't': out += '\t'; break;
          case 'u': {
            if (i_ + 4 > t_.size()) fail("short \\u escape");
            unsigned cp = 0;
            const auto r = std::from_chars(t_.data() + i_, t_.data() + i_ + 4, cp, 16);
            if (r.ptr != t_.data() + i_ + 4) fail("bad \\u escape");
            i_ += 4;
            if (cp >= 0x80) fail("only ASCII \\u escapes are expected");
            out += static_cast<char>(cp);
            break;
          }
          default: fail("bad escape");
        }
      } else {
        out += static_cast<char>(c);
        ++i_;
      }
    }
    if (i_ >= t_.size()) fail("unterminated string");
    ++i_;
    return out;
  }
  JsonValue numberValue() {
    const std::size_t start = i_;
    if (i_ < t_.size() && t_[i_] == '-') ++i_;
    if (i_ >= t_.size() || t_[i_] < '0' || t_[i_] > '9') fail("value expected");
    if (t_[i_] == '0' && i_ + 1 < t_.size() && t_[i_ + 1] >= '0' && t_[i_ + 1] <= '9') fail("leading zero");
    while (i_ < t_.size() && ((t_[i_] >= '0' && t_[i_] <= '9') || t_[i_] == '.' || t_[i_] == 'e' || t_[i_] == 'E' ||
                              t_[i_] == '+' || t_[i_] == '-')) {
      ++i_;
    }
    double d = 0;
    const auto r = std::from_chars(t_.data() + start, t_.data() + i_, d);
    if (r.ec != std::errc() || r.ptr != t_.data() + i_) fail("bad number");
    return JsonValue{d};
  }

  const std::string& t_;
  std::size_t i_ = 0;
};

}  // namespace

JsonValue parseJson(const std::string& text) { return Parser(text).document(); }

}  // namespace kj::test
