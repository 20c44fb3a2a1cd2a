#pragma once
// The spreadsheet driver of the window's Excel conversions.

#include <memory>

#include "export/excel_driver.h"

namespace kj::win32 {

// A new, unopened driver for one export; null while this build has no way to
// write a workbook (the export then reports that no data could be made).
std::unique_ptr<sheet::ExcelDriver> makeSpreadsheetDriver();

}  // namespace kj::win32
