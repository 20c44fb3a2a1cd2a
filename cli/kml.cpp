#include "cli/kml.h"

#include <optional>
#include <span>

#include "base/text_encoding.h"
#include "cli/dump.h"
#include "cli/file_command.h"
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

int runKml(const std::vector<std::wstring>& args, std::string& out, std::string& err) {
  const std::optional<FileCommandArgs> parsed = parseFileCommand("kml", args, err);
  if (!parsed) return exit_usage;
  const std::wstring& input = parsed->input;
  const std::string name = toUtf8(input);
  const std::optional<LoadedBlock> block = loadBlock(input);
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
  const std::wstring target = parsed->output ? *parsed->output : besideWithExtension(input, L".kml");
  if (!writeRecordFile(target, document, false, utf8_code_page)) {
    err += "kjvt58-cli: cannot write '" + toUtf8(target) + "'\n";
    return exit_map_not_written;
  }
  out += toUtf8(target) + "\n";
  return exit_ok;
}

}  // namespace kj::cli
