#pragma once
// The path rules of record files: which paths are record files and how their
// extension decides how they are read.

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

}  // namespace kj
