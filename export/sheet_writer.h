#pragma once
// Writing the record sheet through a spreadsheet driver: open the driver with
// the sheet "融着記録", switch alerts off, then the group row with its merged
// groups, the header row, the number formats of the data range, the data
// block, the column widths and the grid.
//
// The result is false when the driver cannot be opened, and when the records
// do not fit one sheet (more than max_sheet_records): then the driver is not
// even opened, so nothing is written; a caller tells the two apart with
// fitsOneSheet(). It is false as well when the data block is refused: the
// steps after it are not taken, since a workbook without its records must not
// be saved as a conversion. Otherwise the result is true whatever the other
// steps report. Whenever open() was called the caller closes the driver;
// on true the filled worksheet is active for saving or printing first.
//
// An empty record list gives the two header rows only (no formats, no data
// block; the grid covers rows 1-2). A selection without any item gives an
// opened sheet with nothing written to it.

#include <vector>

#include "export/excel_driver.h"
#include "export/sheet_layout.h"
#include "record/record_types.h"

namespace kj::sheet {

// Writes a built layout (the steps after building).
bool writeSheet(const SheetLayout& layout, ExcelDriver& driver);

bool writeEfdxSheet(const PlainSelection& selection, const std::vector<file::Efdx>& records,
                    ExcelDriver& driver);
bool writeEfdxBatterySheet(const BatterySelection& selection,
                           const std::vector<file::EfdxBattery>& records, ExcelDriver& driver);

}  // namespace kj::sheet
