#include "cli/kml.h"

#include <optional>
#include <span>

#include "base/fs_path.h"
#include "base/text_encoding.h"
#include "cli/dump.h"
#include "export/kml.h"
#include "records_io/loaded_block.h"
#include "records_io/record_file_writer.h"

namespace kj::cli {

namespace {
constexpr unsigned utf8_code_page = 65001;

template <class Record>
bool compose(const LoadedBlock& block, std::wstring& document) {
  const RecordVector<Record>& records = block.records<Record>();
  return records && kml::composeKml(std::span<const Record>(*records), document);
}
}  // namespace

std::wstring defaultKmlPath(const std::wstring& record_file) {
  std::filesystem::path path = fsPath(record_file);
  path.replace_extension(".kml");
  return widePath(path);
}

int runKml(const std::vector<std::wstring>& args, std::string& out, std::string& err) {
  std::optional<std::wstring> file;
  std::optional<std::wstring> output;
  bool options_done = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::wstring& a = args[i];
    if (!options_done && a == L"--") {
      options_done = true;
    } else if (!options_done && a == L"--output") {
      if (i + 1 == args.size()) {
        err += "kjvt58-cli: --output needs a file name\n";
        return exit_usage;
      }
      output = args[++i];
    } else if (!options_done && a.size() > 1 && a[0] == L'-') {
      err += "kjvt58-cli: unknown option '" + toUtf8(a) + "'\n";
      return exit_usage;
    } else if (file) {
      err += "kjvt58-cli: kml takes exactly one record file\n";
      return exit_usage;
    } else {
      file = a;
    }
  }
  if (!file) {
    err += "kjvt58-cli: kml needs a record file\n";
    return exit_usage;
  }
  const std::string name = toUtf8(*file);
  const std::optional<LoadedBlock> block = loadBlock(*file);
  if (!block) {
    err += "kjvt58-cli: cannot read '" + name + "': not a readable record file\n";
    return exit_unreadable;
  }
  if (block->outcome() == LoadOutcome::invalid) {
    err += "kjvt58-cli: '" + name + "': the records do not fit the header; nothing written\n";
    return exit_rejected;
  }
  std::wstring document;
  const bool any = block->holdsBatteryRecords() ? compose<file::EfdxBattery>(*block, document)
                                                : compose<file::Efdx>(*block, document);
  if (!any) {
    err += "kjvt58-cli: no record of '" + name + "' carries a position; nothing written\n";
    return exit_no_positions;
  }
  const std::wstring target = output ? *output : defaultKmlPath(*file);
  if (!writeRecordFile(target, document, false, utf8_code_page)) {
    err += "kjvt58-cli: cannot write '" + toUtf8(target) + "'\n";
    return exit_map_not_written;
  }
  out += toUtf8(target) + "\n";
  return exit_ok;
}

}  // namespace kj::cli
