#include "app/excel_export.h"

#include <utility>
#include <vector>

#include "export/sheet_layout.h"
#include "export/sheet_writer.h"
#include "records_io/save_names.h"

namespace kj::app {

namespace {

// Closes the driver when the export leaves, whichever way: the spreadsheet
// application must not outlive the command, also after a failed build.
class DriverCloser {
 public:
  explicit DriverCloser(sheet::ExcelDriver& driver) : driver_(driver) {}
  ~DriverCloser() { driver_.close(); }
  DriverCloser(const DriverCloser&) = delete;
  DriverCloser& operator=(const DriverCloser&) = delete;

 private:
  sheet::ExcelDriver& driver_;
};

bool writeRecordSheet(const std::array<bool, catalogue::plain_output_item_count>& selection,
                      const std::vector<file::Efdx>& records, sheet::ExcelDriver& driver) {
  return sheet::writeEfdxSheet(selection, records, driver);
}

bool writeRecordSheet(const std::array<bool, catalogue::battery_output_item_count>& selection,
                      const std::vector<file::EfdxBattery>& records, sheet::ExcelDriver& driver) {
  return sheet::writeEfdxBatterySheet(selection, records, driver);
}

bool loadSelection(Settings& settings, KeyValueStore& store, OutputItemVariant variant) {
  return variant == OutputItemVariant::plain ? load_export_columns(settings, store)
                                             : load_battery_export_columns(settings, store);
}

void saveSelection(const Settings& settings, KeyValueStore& store, OutputItemVariant variant) {
  // A store that cannot be written keeps the choice for this run only.
  if (variant == OutputItemVariant::plain) {
    save_export_columns(settings, store);
  } else {
    save_battery_export_columns(settings, store);
  }
}

// Builds the sheet of `records` with `selection` through a new driver and
// saves it at `path`; the driver is closed whichever way this ends.
template <class Selection, class Record>
ExportOutcome writeWorkbook(const Selection& selection, const std::vector<Record>& records,
                            const std::wstring& path, const SpreadsheetDriverFactory& drivers) {
  const std::unique_ptr<sheet::ExcelDriver> driver = drivers ? drivers(SheetPurpose::workbook) : nullptr;
  if (!driver) return ExportOutcome::generation_failed;
  const DriverCloser closer(*driver);
  if (!writeRecordSheet(selection, records, *driver)) return ExportOutcome::generation_failed;
  return driver->saveAs(path) ? ExportOutcome::succeeded : ExportOutcome::save_failed;
}

void showOutcome(ShellUi& shell, ExportOutcome outcome, const std::wstring& caption) {
  if (const auto message = exportMessage(outcome)) {
    shell.messageBox(std::wstring(message->text), caption, message->icon, MessageButtons::ok);
  }
}

}  // namespace

SaveFileRequest workbookSaveRequest(const std::wstring& initial_name) {
  SaveFileRequest request;
  request.initial_name = initial_name;
  request.filters = {{std::wstring(excel_filter_label), std::wstring(excel_filter_pattern)}};
  request.default_extension = excel_default_extension;
  request.overwrite_prompt = true;
  return request;
}

ExportOutcome writeWorkbookWithEveryItem(const LoadedBlock& block, const std::wstring& path,
                                         const SpreadsheetDriverFactory& drivers) {
  if (block.outcome() != LoadOutcome::records) return ExportOutcome::generation_failed;
  if (!sheet::fitsOneSheet(block.recordCount())) return ExportOutcome::too_many_records;
  if (block.holdsBatteryRecords()) {
    if (!block.batteryRecords()) return ExportOutcome::generation_failed;
    sheet::BatterySelection all{};
    all.fill(true);
    return writeWorkbook(all, *block.batteryRecords(), path, drivers);
  }
  if (!block.plainRecords()) return ExportOutcome::generation_failed;
  sheet::PlainSelection all{};
  all.fill(true);
  return writeWorkbook(all, *block.plainRecords(), path, drivers);
}

ExportOutcome exportToExcelSimple(ShellUi& shell, const SpreadsheetDriverFactory& drivers,
                                  const LoadedBlock& block, const std::wstring& initial_name,
                                  const std::wstring& caption) {
  // Asking for a file name only to refuse it afterwards would waste the
  // user's time: a list longer than one sheet is refused first.
  if (block.outcome() == LoadOutcome::records && !sheet::fitsOneSheet(block.recordCount())) {
    showOutcome(shell, ExportOutcome::too_many_records, caption);
    return ExportOutcome::too_many_records;
  }
  const std::optional<std::wstring> chosen = shell.saveFileDialog(workbookSaveRequest(initial_name));
  if (!chosen) return ExportOutcome::cancelled;
  const std::wstring path = withDefaultExtension(*chosen, L"." + std::wstring(excel_default_extension));
  ExportOutcome outcome = ExportOutcome::save_failed;
  switch (block.kind()) {
    case BlockKind::Headerless33:
    case BlockKind::Headerless39:
    case BlockKind::TaggedBT:
      outcome = writeWorkbookWithEveryItem(block, path, drivers);
      break;
    case BlockKind::TaggedPK:
    case BlockKind::TaggedOther:
      break;
  }
  // Every outcome is reported, a sheet that could not be generated too (as
  // the main window's conversion does): otherwise the press of the button
  // would end without a workbook and without a word.
  showOutcome(shell, outcome, caption);
  return outcome;
}

std::optional<ExportMessage> exportMessage(ExportOutcome outcome) {
  switch (outcome) {
    case ExportOutcome::generation_failed: return ExportMessage{export_generation_failed_text, MessageIcon::error};
    case ExportOutcome::too_few_items: return ExportMessage{export_too_few_items_text, MessageIcon::error};
    case ExportOutcome::save_failed: return ExportMessage{export_save_failed_text, MessageIcon::error};
    case ExportOutcome::succeeded: return ExportMessage{export_succeeded_text, MessageIcon::information};
    case ExportOutcome::too_many_records: return ExportMessage{export_too_many_records_text, MessageIcon::error};
    case ExportOutcome::cancelled: break;
  }
  return std::nullopt;
}

std::optional<ExportMessage> printMessage(PrintOutcome outcome) {
  switch (outcome) {
    case PrintOutcome::generation_failed: return ExportMessage{print_generation_failed_text, MessageIcon::error};
    case PrintOutcome::print_failed: return ExportMessage{print_failed_text, MessageIcon::error};
    case PrintOutcome::succeeded: return ExportMessage{print_succeeded_text, MessageIcon::information};
    case PrintOutcome::cancelled: break;
  }
  return std::nullopt;
}

std::wstring_view printPaperName(std::int32_t paper_size) {
  switch (paper_size) {
    case 0: return L"A3";
    case 1: return L"A4";
    case 2: return L"A5";
    case 3: return L"B4";
    case 4: return L"B5";
    default: return L"";
  }
}

std::wstring exportFileStem(const std::wstring& path) {
  // "/" separates folders on Windows as well, and no file name holds it.
  const std::size_t separator = path.find_last_of(L"\\/");
  if (separator == std::wstring::npos) return std::wstring();
  std::wstring name = path.substr(separator + 1);
  const std::size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos) name.resize(dot);
  return name;
}

ExcelExport::ExcelExport(ShellUi& shell, MainWindowUi& ui, Settings& settings, KeyValueStore& store,
                         SpreadsheetDriverFactory drivers)
    : shell_(shell), ui_(ui), settings_(settings), store_(store), drivers_(std::move(drivers)) {}

ExportOutcome ExcelExport::run(const RecordSet& records, const std::wstring& caption) {
  ExportOutcome outcome = ExportOutcome::cancelled;
  switch (records.block_kind) {
    case BlockKind::Headerless33:
    case BlockKind::Headerless39:
      outcome = convert(OutputItemVariant::plain, settings_.export_columns, records.plainRecords(),
                        records.current_path);
      break;
    case BlockKind::TaggedBT:
      outcome = convert(OutputItemVariant::battery, settings_.battery_export_columns, records.batteryRecords(),
                        records.current_path);
      break;
    case BlockKind::TaggedPK:
    case BlockKind::TaggedOther:
      break;
  }
  showOutcome(shell_, outcome, caption);
  return outcome;
}

PrintOutcome ExcelExport::print(const RecordSet& records, const std::wstring& caption) {
  const MessageAnswer answer = shell_.messageBox(std::wstring(print_question_text), caption, MessageIcon::warning,
                                                 MessageButtons::ok_cancel);
  if (answer != MessageAnswer::ok) return PrintOutcome::cancelled;
  PrintOutcome outcome = PrintOutcome::cancelled;
  switch (records.block_kind) {
    case BlockKind::Headerless33:
    case BlockKind::Headerless39: {
      sheet::PlainSelection all{};
      all.fill(true);
      outcome = printSheet(all, records.plainRecords());
      break;
    }
    case BlockKind::TaggedBT: {
      sheet::BatterySelection all{};
      all.fill(true);
      outcome = printSheet(all, records.batteryRecords());
      break;
    }
    case BlockKind::TaggedPK:
    case BlockKind::TaggedOther:
      break;
  }
  if (const auto message = printMessage(outcome)) {
    shell_.messageBox(std::wstring(message->text), caption, message->icon, MessageButtons::ok);
  }
  return outcome;
}

template <class Record, class Selection>
PrintOutcome ExcelExport::printSheet(const Selection& selection, const RecordVector<Record>& shown) {
  static const std::vector<Record> no_records;
  const std::unique_ptr<sheet::ExcelDriver> driver = drivers_ ? drivers_(SheetPurpose::print) : nullptr;
  if (!driver) return PrintOutcome::generation_failed;
  const DriverCloser closer(*driver);
  if (!writeRecordSheet(selection, shown ? *shown : no_records, *driver)) return PrintOutcome::generation_failed;
  const Settings& s = settings_;
  const bool set_up = driver->applyPageSetup(printPaperName(s.paper_size), s.print_orientation == 1, s.zoom,
                                             s.margin_top, s.margin_bottom, s.margin_left, s.margin_right);
  // The sheet is printed also when the page setup failed (with the
  // application's own settings), but the print counts as failed.
  const bool printed = driver->printOut();
  return set_up && printed ? PrintOutcome::succeeded : PrintOutcome::print_failed;
}

template <class Record, class Selection>
ExportOutcome ExcelExport::convert(OutputItemVariant variant, Selection& selection,
                                   const RecordVector<Record>& shown, const std::wstring& current_path) {
  static const std::vector<Record> no_records;
  const std::vector<Record>& records = shown ? *shown : no_records;
  // Excel would refuse the data block of a longer list and leave a workbook
  // with the headers only; nothing is asked or written for it.
  if (!sheet::fitsOneSheet(records.size())) return ExportOutcome::too_many_records;

  const std::wstring initial_name = exportFileStem(current_path);
  // A selection that was never stored (or cannot be read) starts with every
  // item.
  if (!loadSelection(settings_, store_, variant)) selection.fill(true);

  OutputItemDialogModel dialog(variant, selection);
  ui_.showOutputItemDialog(dialog);
  OutputItemDialogResult& result = variant == OutputItemVariant::plain ? plain_result_ : battery_result_;
  result = dialog.result();
  if (!result.accepted) return ExportOutcome::cancelled;
  if (result.checked_count < 2) return ExportOutcome::too_few_items;
  saveSelection(settings_, store_, variant);

  const std::optional<std::wstring> path = shell_.saveFileDialog(workbookSaveRequest(initial_name));
  if (!path) return ExportOutcome::cancelled;
  return writeWorkbook(selection, records, *path, drivers_);
}

}  // namespace kj::app
