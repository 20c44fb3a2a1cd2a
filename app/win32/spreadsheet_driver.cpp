#include "app/win32/spreadsheet_driver.h"

#include "export/native_excel_driver.h"

namespace kj::win32 {

std::unique_ptr<sheet::ExcelDriver> makeSpreadsheetDriver() { return sheet::makeNativeExcelDriver(); }

}  // namespace kj::win32
