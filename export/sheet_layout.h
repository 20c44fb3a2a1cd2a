#pragma once
// The content of the record sheet, built in memory before the spreadsheet is
// touched: row 1 carries the group headers (merged over their columns later),
// row 2 one header per column, rows 3 onward one record per row. The columns
// are the selected output items of the field catalogue in item order; "coord"
// gives two columns (latitude, then longitude).
//
// The layout holds views: its texts are the catalogue's constants and the
// members of the records it was built from, which must outlive it.

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

#include "export/excel_driver.h"
#include "record/field_catalogue.h"
#include "record/record_types.h"

namespace kj::sheet {

inline constexpr std::wstring_view sheet_name = L"融着記録";

// A sheet holds 65,536 rows; two are the header rows.
inline constexpr std::size_t max_sheet_records = 65534;
constexpr bool fitsOneSheet(std::size_t record_count) { return record_count <= max_sheet_records; }

// The output item flags in item order: items 1-32 for plain records, 1-40 for
// battery records.
using PlainSelection = std::array<bool, catalogue::plain_output_item_count>;
using BatterySelection = std::array<bool, catalogue::battery_output_item_count>;

struct SheetLayout {
  std::vector<std::wstring_view> group_row;   // group header of each column, empty for none
  std::vector<std::wstring_view> header_row;  // column headers ("\n" breaks the line)
  std::vector<std::wstring_view> formats;     // number format of each column: "@" or empty
  std::vector<std::wstring_view> data;        // the data rows one after the other
  // Columns per group in group order (none, joint, fusion, management,
  // battery); the battery counter only on battery sheets.
  std::array<std::size_t, catalogue::sheet_group_count> group_columns{};
  std::size_t group_count = 4;  // 4 for plain records, 5 for battery records
  std::size_t record_count = 0;

  std::size_t columnCount() const { return header_row.size(); }
  TextRows dataRows() const { return {data, columnCount()}; }
};

SheetLayout buildSheetLayout(const PlainSelection& selection, const std::vector<file::Efdx>& records);
SheetLayout buildSheetLayout(const BatterySelection& selection,
                             const std::vector<file::EfdxBattery>& records);

}  // namespace kj::sheet
