#pragma once
// The dump command: the decoded records of a record file as a table or as JSON.

#include <string>
#include <vector>

#include "record/record_text.h"
#include "record/record_types.h"

namespace kj::cli {

enum class LoadStatus { ok, invalid, not_decoded, unreadable };

// A record file read the way the main window reads it: plain records for block
// kinds 0 and 1, battery records for kind 2, nothing for kinds 3 and 4.
struct LoadedFile {
  LoadStatus status = LoadStatus::unreadable;
  file::Header header;
  DecodeCounts counts;
  RecordVector<file::Efdx> plain;          // kinds 0 and 1
  RecordVector<file::EfdxBattery> battery; // kind 2
};

LoadedFile loadRecordFile(const std::wstring& path);

// One JSON object (UTF-8, no trailing newline).
std::string dumpJson(const LoadedFile& file);

// A readable table: one line per record, then the header and the counts.
std::string dumpTable(const std::wstring& path, const LoadedFile& file);

// The whole command line after the program name. Returns the exit status; what
// goes to standard output and standard error is appended to out and err.
int runCli(const std::vector<std::wstring>& args, std::string& out, std::string& err);

}  // namespace kj::cli
