#pragma once
// File system paths of the program's wide paths.

#include <filesystem>
#include <string>

namespace kj {

// A file system path for a wide path: UTF-16 on Windows, UTF-8 bytes elsewhere
// (the standard conversion would depend on the process locale).
std::filesystem::path fsPath(const std::wstring& path);
std::wstring widePath(const std::filesystem::path& path);

}  // namespace kj
