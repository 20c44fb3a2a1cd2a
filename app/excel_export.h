#pragma once
// The main window's Excel conversion (command IDM_EXPORT_EXCEL and the button
// export_excel): the output item dialog of the block's record type, the stored
// selection, the save dialog, the sheet builder over a spreadsheet driver,
// saving, and the message that tells the user the outcome. And its printing
// (IDM_PRINT, button export_printer): the same sheet with every item, the
// page settings, the print.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/output_item_dialog.h"
#include "app/record_set.h"
#include "app/ui.h"
#include "export/excel_driver.h"
#include "records_io/loaded_block.h"
#include "settings/key_value_store.h"
#include "settings/settings.h"

namespace kj::app {

// What a driver is made for: a workbook to save (any driver that writes .xls
// files will do) or a sheet to print (only the spreadsheet application prints).
enum class SheetPurpose { workbook, print };

// Makes an unopened spreadsheet driver for one export or print; null when
// there is no way to do it (the command then fails as a driver that cannot be
// opened does).
using SpreadsheetDriverFactory = std::function<std::unique_ptr<sheet::ExcelDriver>(SheetPurpose)>;

// How an export ended; the numbers 0-4 are the conversion's outcome codes.
enum class ExportOutcome {
  cancelled = 0,          // a dialog was cancelled, or the block has no sheet: no message
  generation_failed = 1,  // the driver could not be made or opened, or the data were not written
  too_few_items = 2,      // fewer than two items checked; the selection is not stored
  save_failed = 3,        // the workbook could not be saved
  succeeded = 4,
  too_many_records = 5,   // more records than one sheet holds; refused before anything is written
};

inline constexpr std::wstring_view export_generation_failed_text =
    L"エクセル出力に失敗しました。\nデータの生成に失敗しました。";
inline constexpr std::wstring_view export_too_few_items_text =
    L"エクセル出力に失敗しました。\n項目が二つ以上選択されていません。";
inline constexpr std::wstring_view export_save_failed_text =
    L"エクセル出力に失敗しました。\n出力先のファイルが別のアプリケーションで開かれている可能性があります。";
inline constexpr std::wstring_view export_succeeded_text = L"エクセル出力に成功しました。";
inline constexpr std::wstring_view export_too_many_records_text =
    L"エクセル出力に失敗しました。\n1つのシートに出力できる記録は65534件までです。";

// The save dialog's type list and default extension (without the dot, as the
// dialog takes it).
inline constexpr std::wstring_view excel_filter_label = L"Excel形式 (*.xls)";
inline constexpr std::wstring_view excel_filter_pattern = L"*.xls";
inline constexpr std::wstring_view excel_default_extension = L"xls";

// How a print ended; the numbers are the print command's outcome codes.
enum class PrintOutcome {
  cancelled = 0,          // the question was answered with Cancel, or the block has no sheet: no message
  generation_failed = 1,  // the driver could not be made or opened, or the data were not written
  print_failed = 2,       // the page setup or the print failed
  succeeded = 3,
};

inline constexpr std::wstring_view print_question_text = L"印刷しますか?";
inline constexpr std::wstring_view print_generation_failed_text = L"印刷データの生成に失敗しました。";
inline constexpr std::wstring_view print_failed_text =
    L"印刷に失敗しました。\n用紙サイズが対応していないか、プリンタに接続できない可能性があります。";
inline constexpr std::wstring_view print_succeeded_text = L"印刷に成功しました。";

// The message of an outcome: its text and icon; none for `cancelled`.
struct ExportMessage {
  std::wstring_view text;
  MessageIcon icon;
};
std::optional<ExportMessage> exportMessage(ExportOutcome outcome);
std::optional<ExportMessage> printMessage(PrintOutcome outcome);

// The paper name the spreadsheet takes for the paper size setting: 0 "A3",
// 1 "A4", 2 "A5", 3 "B4", 4 "B5"; empty for any other index, which the page
// setup refuses.
std::wstring_view printPaperName(std::int32_t paper_size);

// The file name the save dialog proposes for the record file `path`: the text
// after its last "\" or "/" up to its last "." (all of it without a ".");
// empty when the path has neither.
std::wstring exportFileStem(const std::wstring& path);

// Writes the records of `block` with every output item (all 32 plain or all
// 40 battery items; no stored selection) into a workbook saved at `path`,
// through a driver made for the purpose. succeeded or save_failed after the
// save; generation_failed when the block has no records of its kind, no
// driver could be made or opened, or the data were not written;
// too_many_records, before any driver is made, when the records do not fit
// one sheet. The driver is closed before it returns.
ExportOutcome writeWorkbookWithEveryItem(const LoadedBlock& block, const std::wstring& path,
                                         const SpreadsheetDriverFactory& drivers);

// The simple mode window's conversion of a received block: the save dialog
// of "Excel形式 (*.xls)" proposing `initial_name`, then every output item into
// the chosen file, and the outcome's message with `caption` (a sheet that
// could not be generated too). Nothing is shown when the dialog is
// cancelled; a block of
// any other kind than 0, 1 or 2 reports the failure to save. A block that does
// not fit one sheet is refused with its message before the dialog.
ExportOutcome exportToExcelSimple(ShellUi& shell, const SpreadsheetDriverFactory& drivers,
                                  const LoadedBlock& block, const std::wstring& initial_name,
                                  const std::wstring& caption);

// The save dialog of a workbook proposing `initial_name`.
SaveFileRequest workbookSaveRequest(const std::wstring& initial_name);

// The Excel conversion of one main window. The UIs, settings and store must
// outlive it. Runs on the window thread.
class ExcelExport {
 public:
  ExcelExport(ShellUi& shell, MainWindowUi& ui, Settings& settings, KeyValueStore& store,
              SpreadsheetDriverFactory drivers);

  // Converts the records on display: block kinds Headerless33 and
  // Headerless39 with the plain output items (dialog IDD_OUTPUT_ITEMS),
  // TaggedBT with the battery ones (IDD_BATTERY_OUTPUT_ITEMS); other kinds do
  // nothing. Shows the outcome's message with `caption` and returns the
  // outcome. The driver is made for this export and closed before it returns.
  ExportOutcome run(const RecordSet& records, const std::wstring& caption);

  // Asks "印刷しますか?" and prints the records on display with every output
  // item, whatever is selected for the conversion, with the print settings:
  // applyPageSetup, then printOut whatever the page setup gave. Other block
  // kinds stop silently after the question. Shows the outcome's message with
  // `caption`; the driver is closed before it returns.
  PrintOutcome print(const RecordSet& records, const std::wstring& caption);

  // What the last output item dialog of `variant` reported.
  const OutputItemDialogResult& dialogResult(OutputItemVariant variant) const {
    return variant == OutputItemVariant::plain ? plain_result_ : battery_result_;
  }

 private:
  template <class Record, class Selection>
  ExportOutcome convert(OutputItemVariant variant, Selection& selection, const RecordVector<Record>& records,
                        const std::wstring& current_path);
  template <class Record, class Selection>
  PrintOutcome printSheet(const Selection& selection, const RecordVector<Record>& records);

  ShellUi& shell_;
  MainWindowUi& ui_;
  Settings& settings_;
  KeyValueStore& store_;
  SpreadsheetDriverFactory drivers_;
  OutputItemDialogResult plain_result_;
  OutputItemDialogResult battery_result_;
};

}  // namespace kj::app
