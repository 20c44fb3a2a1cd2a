#pragma once
// The spreadsheet driver of the window's Excel conversions.

#include <memory>

#include "export/excel_driver.h"

namespace kj::win32 {

// A new, unopened driver for one export or print: the program's own .xls
// writer, which needs no spreadsheet application (and cannot print).
std::unique_ptr<sheet::ExcelDriver> makeSpreadsheetDriver();

}  // namespace kj::win32
