#pragma once
// The spreadsheet driver of the window's Excel conversions.

#include <memory>

#include "app/excel_export.h"
#include "export/excel_driver.h"

namespace kj::win32 {

// A new, unopened driver for one export or print. A workbook is written by
// Excel through automation when "Excel.Application" is registered, otherwise
// by the program's own .xls writer, so that conversion works on every PC.
// Printing always goes to Excel: without it the driver cannot be opened and
// the print data cannot be generated.
std::unique_ptr<sheet::ExcelDriver> makeSpreadsheetDriver(app::SheetPurpose purpose);

}  // namespace kj::win32
