#include "app/startup.h"

#include "app/copy_data.h"

namespace kj::app {
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

StartPlan planStart(std::wstring_view arguments, bool another_instance_running) {
  StartPlan plan;
  // The mode is read before the quote rule: "-easy" in quotation marks is a
  // (meaningless) path, not the simple mode.
  plan.mode = isSimpleModeArgument(arguments) ? WindowMode::easy : WindowMode::main;
  plan.command_line = stripQuotes(std::wstring(arguments));
  plan.hand_off = another_instance_running;
  return plan;
}

std::optional<std::wstring> handedOverPath(WindowMode receiver, bool busy, std::uintptr_t tag,
                                           const void* data, std::size_t size) {
  // The simple mode window takes no files from a later start.
  if (receiver != WindowMode::main || busy || tag != command_line_tag) return std::nullopt;
  return copyDataText(data, size);
}

}  // namespace kj::app
