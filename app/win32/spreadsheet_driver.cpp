#include "app/win32/spreadsheet_driver.h"

namespace kj::win32 {

std::unique_ptr<sheet::ExcelDriver> makeSpreadsheetDriver() { return nullptr; }

}  // namespace kj::win32
