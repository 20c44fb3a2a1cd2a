#include "app/win32/command_line.h"

namespace kj::win32 {
namespace {

// As the C runtime's start-up code does when it forms WinMain's lpCmdLine:
// every character up to the space counts as a separator.
bool isBlank(wchar_t c) { return c <= L' '; }

}  // namespace

std::wstring argumentsOf(std::wstring_view line) {
  std::size_t i = 0;
  // The program name: quoted, it may hold blanks and ends with the closing
  // quotation mark; unquoted, it ends at the first blank. No escapes.
  if (i < line.size() && line[i] == L'"') {
    ++i;
    while (i < line.size() && line[i] != L'"') ++i;
    if (i < line.size()) ++i;  // the closing quotation mark
  } else {
    while (i < line.size() && !isBlank(line[i])) ++i;
  }
  while (i < line.size() && isBlank(line[i])) ++i;
  return std::wstring(line.substr(i));
}

bool isSimpleModeArgument(std::wstring_view arguments) { return arguments == L"-easy"; }

std::wstring stripQuotes(std::wstring arguments) {
  if (!arguments.empty() && arguments.front() == L'"') arguments.erase(0, 1);
  if (!arguments.empty() && arguments.back() == L'"') arguments.pop_back();
  return arguments;
}

}  // namespace kj::win32
