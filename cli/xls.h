#pragma once
// The xls command: the workbook of a record file with every output item,
// written by the native .xls writer.

#include <string>
#include <vector>

namespace kj::cli {

// Exit status when the workbook cannot be made: more records than one sheet
// holds, or the file cannot be written.
inline constexpr int exit_not_written = 5;

// `args` are the arguments after "xls": FILE [--output OUT], by default the
// record file's name with the extension ".xls", beside it. Returns the exit
// status.
int runXls(const std::vector<std::wstring>& args, std::string& out, std::string& err);

}  // namespace kj::cli
