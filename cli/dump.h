#pragma once
// The dump command: the decoded records of a record file as a table or as JSON.

#include <optional>
#include <string>
#include <vector>

#include "records_io/loaded_block.h"

namespace kj::cli {

// Exit statuses of the command.
inline constexpr int exit_ok = 0;
inline constexpr int exit_unreadable = 1;  // missing file, a folder, unreadable header
inline constexpr int exit_usage = 2;
inline constexpr int exit_internal = 3;
inline constexpr int exit_rejected = 4;    // the records do not fit the header

// A record file read the way the main window reads it; nothing when it cannot
// be read.
std::optional<LoadedBlock> loadBlock(const std::wstring& path);

// One JSON object (UTF-8, no trailing newline).
std::string dumpJson(const LoadedBlock& block);
// The JSON object of a file that cannot be read.
std::string unreadableJson();

// A readable table: one line per record, then the header and the counts.
std::string dumpTable(const std::wstring& path, const LoadedBlock& block);

// The whole command line after the program name. Returns the exit status; what
// goes to standard output and standard error is appended to out and err. With
// `keep`, the blocks the command loaded are appended to it instead of being
// freed before the return.
int runCli(const std::vector<std::wstring>& args, std::string& out, std::string& err,
           std::vector<LoadedBlock>* keep = nullptr);

}  // namespace kj::cli
