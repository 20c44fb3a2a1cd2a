#pragma once
// What a start of kjvt58.exe does with its command line, and what a running
// window does with a command line handed over by a later start. The Windows
// layer reads the command line and looks for a running window; these
// functions decide, and wWinMain carries the decision out.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kj::app {

// The two windows of the program; both register the same window class, so a
// later start finds either.
enum class WindowMode { main, easy };

// The command line after the program name, from a full command line (the
// text of GetCommandLineW), as the C runtime forms WinMain's lpCmdLine: a
// quoted program name ends with its closing quotation mark, an unquoted one at
// the first space (or control character); the blanks after it are skipped.
// The rest is returned untouched.
std::wstring argumentsOf(std::wstring_view full_command_line);

// True when the arguments select the simple mode: exactly "-easy"
// (case-sensitive, nothing else on the line).
bool isSimpleModeArgument(std::wstring_view arguments);

// Removes one leading and then one trailing double quotation mark, if there.
// A quoted path becomes the bare path; nothing else is unquoted.
std::wstring stripQuotes(std::wstring arguments);

struct StartPlan {
  WindowMode mode = WindowMode::main;
  // The command line after the quote rule: the path the new window loads, or
  // the text handed over to the running window. Empty when there is none.
  std::wstring command_line;
  // A window of the program is already running: hand `command_line` over to
  // it (data tag command_line_tag), bring it forward and end with exit code
  // 0, without a window of our own.
  bool hand_off = false;

  bool operator==(const StartPlan&) const = default;
};

// The decision of a start from the arguments (argumentsOf) and whether a
// window of the program's class exists already.
StartPlan planStart(std::wstring_view arguments, bool another_instance_running);

// What a running window of `receiver` loads from a copy-data message (data
// tag `tag`, `size` bytes at `data`): the handed-over text when the tag is
// command_line_tag, the receiver is the main window, the window is not
// `busy` and the data is a zero-terminated UTF-16 text (copyDataText); an
// empty text means "read the current file again". Nothing otherwise: the
// message is ignored.
std::optional<std::wstring> handedOverPath(WindowMode receiver, bool busy, std::uintptr_t tag,
                                           const void* data, std::size_t size);

}  // namespace kj::app
