#include "cli/file_command.h"

#include <filesystem>

#include "base/fs_path.h"
#include "base/text_encoding.h"

namespace kj::cli {

std::optional<FileCommandArgs> parseFileCommand(std::string_view command, const std::vector<std::wstring>& args,
                                                std::string& err) {
  const std::string name = "kjvt58-cli: " + std::string(command);
  std::optional<std::wstring> input;
  std::optional<std::wstring> output;
  bool options_done = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::wstring& a = args[i];
    if (!options_done && a == L"--") {
      options_done = true;
    } else if (!options_done && (a == L"--output" || a == L"-o")) {
      if (i + 1 == args.size() || output) {
        err += name + " --output needs one file name\n";
        return std::nullopt;
      }
      output = args[++i];
    } else if (!options_done && a.size() > 1 && a[0] == L'-') {
      err += "kjvt58-cli: unknown option '" + toUtf8(a) + "'\n";
      return std::nullopt;
    } else if (input) {
      err += name + " takes exactly one record file\n";
      return std::nullopt;
    } else {
      input = a;
    }
  }
  if (!input) {
    err += name + " needs a record file (" + std::string(command) + " FILE [--output OUT])\n";
    return std::nullopt;
  }
  return FileCommandArgs{*input, output};
}

std::wstring besideWithExtension(const std::wstring& path, std::wstring_view extension) {
  std::filesystem::path p = fsPath(path);
  p.replace_extension(fsPath(std::wstring(extension)));
  return widePath(p);
}

}  // namespace kj::cli
