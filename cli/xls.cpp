#include "cli/xls.h"

#include <optional>

#include "base/text_encoding.h"
#include "cli/dump.h"
#include "cli/file_command.h"
#include "export/native_excel_driver.h"
#include "export/sheet_writer.h"

namespace kj::cli {

namespace {

template <class Selection, class Records, class Write>
bool writeWorkbookOf(const Records& records, Write write, const std::wstring& output) {
  Selection every;
  every.fill(true);
  sheet::NativeExcelDriver driver;
  const bool built = write(every, records, driver);
  const bool saved = built && driver.saveAs(output);
  driver.close();
  return saved;
}

}  // namespace

int runXls(const std::vector<std::wstring>& args, std::string& out, std::string& err) {
  const std::optional<FileCommandArgs> parsed = parseFileCommand("xls", args, err);
  if (!parsed) return exit_usage;
  const std::wstring& path = parsed->input;
  const std::optional<std::wstring>& output = parsed->output;
  const std::optional<LoadedBlock> block = loadBlock(path);
  if (!block) {
    err += "kjvt58-cli: cannot read '" + toUtf8(path) + "': not a readable record file\n";
    return exit_unreadable;
  }
  if (block->outcome() == LoadOutcome::invalid) {
    err += "kjvt58-cli: '" + toUtf8(path) + "': the records do not fit the header: the file is invalid\n";
    return exit_rejected;
  }
  if (block->outcome() == LoadOutcome::not_decoded) {
    err += "kjvt58-cli: '" + toUtf8(path) + "': records of this block kind are not decoded\n";
    return exit_rejected;
  }
  const std::size_t count = block->recordCount();
  if (!sheet::fitsOneSheet(count)) {
    err += "kjvt58-cli: '" + toUtf8(path) + "' holds " + std::to_string(count) +
           " records; one sheet holds at most " + std::to_string(sheet::max_sheet_records) + "\n";
    return exit_not_written;
  }
  const std::wstring target = output ? *output : besideWithExtension(path, L".xls");
  bool saved = false;
  if (block->holdsBatteryRecords()) {
    static const std::vector<file::EfdxBattery> none;
    const RecordVector<file::EfdxBattery>& records = block->batteryRecords();
    saved = writeWorkbookOf<sheet::BatterySelection>(records ? *records : none, sheet::writeEfdxBatterySheet,
                                                      target);
  } else {
    static const std::vector<file::Efdx> none;
    const RecordVector<file::Efdx>& records = block->plainRecords();
    saved = writeWorkbookOf<sheet::PlainSelection>(records ? *records : none, sheet::writeEfdxSheet, target);
  }
  if (!saved) {
    err += "kjvt58-cli: cannot write '" + toUtf8(target) + "'\n";
    return exit_not_written;
  }
  out += "wrote " + toUtf8(target) + " (" + std::to_string(count) + " records)\n";
  return exit_ok;
}

}  // namespace kj::cli
