#pragma once
// The spreadsheet driver: one connection to a spreadsheet application (or to
// a writer that stands in for it) with one workbook and its active worksheet.
// The sheet builders and the export and print commands use only these
// operations; every cell value is handed over as text.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace kj::sheet {

// Rows of texts, not owned: `cells` holds the rows one after the other, each
// `column_count` texts long. The texts must outlive the call they are given to.
class TextRows {
 public:
  TextRows() = default;
  TextRows(std::span<const std::wstring_view> cells, std::size_t column_count)
      : cells_(cells), column_count_(column_count) {}
  // One row of all of `row`'s texts.
  static TextRows oneRow(std::span<const std::wstring_view> row) { return {row, row.size()}; }

  std::size_t columnCount() const { return column_count_; }
  std::size_t rowCount() const { return column_count_ == 0 ? 0 : cells_.size() / column_count_; }
  std::span<const std::wstring_view> row(std::size_t index) const {
    return cells_.subspan(index * column_count_, column_count_);
  }

 private:
  std::span<const std::wstring_view> cells_;
  std::size_t column_count_ = 0;
};

class ExcelDriver {
 public:
  virtual ~ExcelDriver() = default;

  // Starts the application invisibly, adds a workbook and names its active
  // worksheet `sheet_name`. False when any of that fails; close() then
  // releases whatever was obtained.
  virtual bool open(std::wstring_view sheet_name) = 0;
  // Switches the application's own dialogs off.
  virtual bool disableAlerts() = 0;
  // Writes `rows` as one block whose top left cell is column A of `first_row`
  // (the range A<first_row>:<letters of the column count><last row>).
  // Refused without touching the sheet when the first row, the column count
  // or the last row is below 1.
  virtual bool writeBlock(std::int32_t first_row, const TextRows& rows) = 0;
  // The number format of `range` ("B3:B40"): "@" for text, empty for the
  // general format.
  virtual bool setNumberFormat(std::wstring_view range, std::wstring_view format) = 0;
  // Fits the widths of the columns of `column_range` ("A:K") to their content.
  virtual bool autoFitColumns(std::wstring_view column_range) = 0;
  // Merges the cells of `range` into one.
  virtual bool merge(std::wstring_view range) = 0;
  // Continuous thin borders in the automatic colour inside and around `range`.
  virtual bool drawGrid(std::wstring_view range) = 0;
  // Saves the workbook at `path` as an Excel 97-2003 workbook (.xls).
  virtual bool saveAs(std::wstring_view path) = 0;
  // The page setup of the worksheet: paper "A3", "A4", "A5", "B4" or "B5"
  // (any other name fails), orientation, zoom in percent and the margins in
  // millimetres.
  virtual bool applyPageSetup(std::wstring_view paper_name, bool portrait, std::int32_t zoom,
                              std::int32_t top_mm, std::int32_t bottom_mm, std::int32_t left_mm,
                              std::int32_t right_mm) = 0;
  // Prints the worksheet; true only when the application reports it printed.
  virtual bool printOut() = 0;
  // Quits the application and releases what open() obtained, nothing more.
  virtual void close() = 0;
};

}  // namespace kj::sheet
