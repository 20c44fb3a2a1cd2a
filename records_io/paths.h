#pragma once
// Path helpers that decide how a record file is read.

#include <filesystem>
#include <string>

namespace kj {

// The text after the last "." of the path, ASCII letters lower-cased; empty when
// the path has no ".".
std::wstring extensionOf(const std::wstring& path);

// True for merged record files (".mrg", ".mrgx"), whose record count is the
// number of records found rather than the header's.
bool isMergedPath(const std::wstring& path);

// The path up to (not including) its last "."; the whole path when it has none.
std::wstring stem(const std::wstring& path);

// True for the extensions the program reads: efd, efdx, mrg, mrgx.
bool isRecordFilePath(const std::wstring& path);

// A file system path for a wide path: UTF-16 on Windows, UTF-8 bytes elsewhere
// (the standard conversion would depend on the process locale).
std::filesystem::path fsPath(const std::wstring& path);
std::wstring widePath(const std::filesystem::path& path);

}  // namespace kj
