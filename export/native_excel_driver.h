#pragma once
// The spreadsheet driver of PCs without the spreadsheet application (and of
// the command-line tool): it collects the worksheet in memory the way the
// application would fill it, and saveAs writes it as an Excel 97-2003
// workbook (.xls). Printing needs the application: printOut always fails.
//
// Like the application, it takes a text in a column of the general format
// that is a plain decimal number (an optional minus sign, digits, optionally
// a point and digits) as that number; texts in "@" columns stay texts. A
// text with a line feed wraps and its row grows to its lines.

#include <memory>
#include <optional>

#include "export/excel_driver.h"
#include "export/xls_workbook.h"

namespace kj::sheet {

class NativeExcelDriver final : public ExcelDriver {
 public:
  bool open(std::wstring_view sheet_name) override;
  bool disableAlerts() override;
  bool writeBlock(std::int32_t first_row, const TextRows& rows) override;
  bool setNumberFormat(std::wstring_view range, std::wstring_view format) override;
  bool autoFitColumns(std::wstring_view column_range) override;
  bool merge(std::wstring_view range) override;
  bool drawGrid(std::wstring_view range) override;
  // Writes a temporary file beside `path` and puts it in the place of `path`
  // only when all of it was written: a failed save leaves an existing file
  // as it was and no temporary file behind.
  bool saveAs(std::wstring_view path) override;
  bool applyPageSetup(std::wstring_view paper_name, bool portrait, std::int32_t zoom, std::int32_t top_mm,
                      std::int32_t bottom_mm, std::int32_t left_mm, std::int32_t right_mm) override;
  bool printOut() override;
  void close() override;

  // The worksheet collected so far; none when the driver is not open.
  const xls::Worksheet* worksheet() const { return sheet_ ? &*sheet_ : nullptr; }

 private:
  std::optional<xls::Worksheet> sheet_;
};

std::unique_ptr<ExcelDriver> makeNativeExcelDriver();

// A range as the driver's operations take it: "C3", "A1:C2" or the column
// range "A:K" (every row of those columns); letters in either case. None
// when it is malformed or beyond the sheet (256 columns, 65,536 rows).
std::optional<xls::CellRange> parseRange(std::wstring_view text);

// The number a text of a general-format cell becomes, if it is a plain
// decimal number.
std::optional<double> plainDecimal(std::wstring_view text);

// Valid worksheet names: 1 to 31 characters, none of : \ / ? * [ ], not
// beginning or ending with an apostrophe.
bool isValidSheetName(std::wstring_view name);

}  // namespace kj::sheet
