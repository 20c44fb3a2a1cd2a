#include "base/fs_path.h"

#include "base/text_encoding.h"

namespace kj {

std::filesystem::path fsPath(const std::wstring& path) { return std::filesystem::path(toUtf8(path)); }

std::wstring widePath(const std::filesystem::path& path) { return fromUtf8(path.string()); }

}  // namespace kj
