#include "base/fs_path.h"

namespace kj {

std::filesystem::path fsPath(const std::wstring& path) { return std::filesystem::path(path); }

std::wstring widePath(const std::filesystem::path& path) { return path.wstring(); }

}  // namespace kj
