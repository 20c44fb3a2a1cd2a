#pragma once
// The arguments of the commands that turn one record file into one output
// file (xls, kml): FILE [--output OUT].

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kj::cli {

struct FileCommandArgs {
  std::wstring input;
  std::optional<std::wstring> output;  // none: the default beside the input
};

// Reads FILE [--output OUT] (also -o OUT; "--" ends the options). Nothing when
// the arguments are anything else; the reason, one line naming `command`, is
// appended to err.
std::optional<FileCommandArgs> parseFileCommand(std::string_view command, const std::vector<std::wstring>& args,
                                                std::string& err);

// `path` with its extension replaced by `extension` (".xls"), appended when it
// has none; a dot in a folder name is not an extension.
std::wstring besideWithExtension(const std::wstring& path, std::wstring_view extension);

}  // namespace kj::cli
