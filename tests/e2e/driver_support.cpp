#include "tests/e2e/driver_support.h"

#include "tests/e2e/driver_windows.h"

namespace e2e {

std::string toUtf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), bytes, nullptr, nullptr);
  return out;
}

std::wstring fromUtf8(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int chars = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(chars), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, out.data(), chars);
  return out;
}

std::wstring quoted(std::wstring_view text) {
  static constexpr wchar_t hex[] = L"0123456789ABCDEF";
  std::wstring out = L"\"";
  for (wchar_t c : text) {
    const auto u = static_cast<unsigned>(c);
    if (c == L'"' || c == L'\\') {
      out += L'\\';
      out += c;
    } else if (u < 0x20 || u == 0x7F) {
      out += L"\\x";
      out += hex[(u >> 4) & 0xF];
      out += hex[u & 0xF];
    } else {
      out += c;
    }
  }
  return out + L"\"";
}

std::wstring joined(const std::vector<std::wstring>& items, std::wstring_view separator) {
  std::wstring out;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i) out += separator;
    out += items[i];
  }
  return out;
}

namespace {
void writeTo(DWORD which, std::wstring_view text) {
  const std::string bytes = toUtf8(text);
  HANDLE h = GetStdHandle(which);
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  FlushFileBuffers(h);
}
}  // namespace

void print(std::wstring_view text) { writeTo(STD_OUTPUT_HANDLE, text); }
void printError(std::wstring_view text) { writeTo(STD_ERROR_HANDLE, text); }

Failure::Failure(std::wstring message) : std::runtime_error(toUtf8(message)), message_(std::move(message)) {}

namespace {
std::function<void()>& failureHook() {
  static std::function<void()> hook;
  return hook;
}
}  // namespace

void setFailureHook(std::function<void()> hook) { failureHook() = std::move(hook); }

void fail(std::wstring message) {
  // Once per failure: the hook itself may fail, and that must not recurse.
  std::function<void()> hook = std::move(failureHook());
  failureHook() = nullptr;
  if (hook) {
    try {
      hook();
    } catch (...) {
      // A failed capture must not hide the failure it was meant to show.
    }
  }
  throw Failure(std::move(message));
}

void Run::equal(std::wstring_view what, std::wstring_view expected, std::wstring_view actual) {
  if (expected != actual) {
    fail(std::wstring(what) + L": expected " + quoted(expected) + L", actual " + quoted(actual));
  }
  ++checks_;
}

void Run::equal(std::wstring_view what, long long expected, long long actual) {
  if (expected != actual) {
    fail(std::wstring(what) + L": expected " + std::to_wstring(expected) + L", actual " + std::to_wstring(actual));
  }
  ++checks_;
}

void Run::flag(std::wstring_view what, bool expected, bool actual) {
  if (expected != actual) {
    fail(std::wstring(what) + L": expected " + (expected ? L"yes" : L"no") + L", actual " + (actual ? L"yes" : L"no"));
  }
  ++checks_;
}

void Run::isTrue(std::wstring_view what, bool condition) {
  if (!condition) fail(std::wstring(what) + L": not so");
  ++checks_;
}

}  // namespace e2e
