#include "cli/json_writer.h"

#include <array>
#include <charconv>
#include <cmath>

#include "base/text_encoding.h"

namespace kj::json {

namespace {

constexpr char hex[] = "0123456789abcdef";

// What an ASCII character becomes inside a JSON string: 0 for itself, a
// letter for a two-character escape, 'u' for \u00XX.
constexpr std::array<char, 128> ascii_escapes = [] {
  std::array<char, 128> t{};
  for (int c = 0; c < 0x20; ++c) t[static_cast<std::size_t>(c)] = 'u';
  t[0x7F] = 'u';
  t['"'] = '"';
  t['\\'] = '\\';
  t['\n'] = 'n';
  t['\r'] = 'r';
  t['\t'] = 't';
  t['\b'] = 'b';
  t['\f'] = 'f';
  return t;
}();

char* writeAscii(char* out, unsigned c) {
  const char e = ascii_escapes[c];
  if (e == 0) {
    *out++ = static_cast<char>(c);
  } else if (e == 'u') {
    *out++ = '\\';
    *out++ = 'u';
    *out++ = '0';
    *out++ = '0';
    *out++ = hex[c >> 4];
    *out++ = hex[c & 0xF];
  } else {
    *out++ = '\\';
    *out++ = e;
  }
  return out;
}

char* writeEscapedBytes(char* out, std::string_view bytes) {
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out = writeAscii(out, c);
    } else {
      *out++ = ch;
    }
  }
  return out;
}

// Runs `write` on a buffer of `bound` bytes at the end of `out` and keeps
// what it wrote.
template <class Write>
void appendBounded(std::string& out, std::size_t bound, Write write) {
  const std::size_t old = out.size();
  out.resize(old + bound);
  char* end = write(out.data() + old);
  out.resize(static_cast<std::size_t>(end - out.data()));
}

}  // namespace

char* writeQuoted(char* out, std::wstring_view text) {
  *out++ = '"';
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<std::uint32_t>(text[i]);
    if (c < 0x80) {
      if (ascii_escapes[c] == 0) {
        *out++ = static_cast<char>(c);  // most characters: themselves
      } else {
        out = writeAscii(out, c);
      }
      ++i;
      continue;
    }
    out = writeUtf8(out, nextCodePoint(text, i));
  }
  *out++ = '"';
  return out;
}

char* writeNumber(char* out, double value) {
  if (!std::isfinite(value)) {
    for (char c : std::string_view("null")) *out++ = c;
    return out;
  }
  return std::to_chars(out, out + number_bound, value).ptr;
}

char* writeNumber(char* out, std::int64_t value) { return std::to_chars(out, out + number_bound, value).ptr; }

void appendQuoted(std::string& out, std::wstring_view text) {
  appendBounded(out, quotedBound(text.size()), [&](char* p) { return writeQuoted(p, text); });
}

void appendNumber(std::string& out, double value) {
  appendBounded(out, number_bound, [&](char* p) { return writeNumber(p, value); });
}

void appendNumber(std::string& out, std::int64_t value) {
  appendBounded(out, number_bound, [&](char* p) { return writeNumber(p, value); });
}

std::string quote(const std::wstring& text) {
  std::string out;
  appendQuoted(out, text);
  return out;
}

std::string quote(std::string_view ascii) {
  std::string out;
  appendBounded(out, 2 + 6 * ascii.size(), [&](char* p) {
    *p++ = '"';
    p = writeEscapedBytes(p, ascii);
    *p++ = '"';
    return p;
  });
  return out;
}

std::string number(double value) {
  std::string out;
  appendNumber(out, value);
  return out;
}

std::string number(std::int64_t value) {
  std::string out;
  appendNumber(out, value);
  return out;
}

}  // namespace kj::json
