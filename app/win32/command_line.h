#pragma once
// The process's command line as the program reads it.

#include <string>
#include <string_view>

namespace kj::win32 {

// The command line after the program name, from a full command line (the
// text of GetCommandLineW), as the C runtime forms WinMain's lpCmdLine: a
// quoted program name ends with its closing quotation mark, an unquoted one at
// the first space (or control character); the blanks after it are skipped.
// The rest is returned untouched.
std::wstring argumentsOf(std::wstring_view full_command_line);

// True when the arguments select the simple mode: exactly "-easy".
bool isSimpleModeArgument(std::wstring_view arguments);

// Removes one leading and then one trailing double quotation mark, if there.
std::wstring stripQuotes(std::wstring arguments);

}  // namespace kj::win32
