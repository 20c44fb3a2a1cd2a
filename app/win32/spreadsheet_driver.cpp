#include "app/win32/spreadsheet_driver.h"

#include "export/excel_automation.h"
#include "export/native_excel_driver.h"

namespace kj::win32 {

std::unique_ptr<sheet::ExcelDriver> makeSpreadsheetDriver(app::SheetPurpose purpose) {
  if (purpose == app::SheetPurpose::print || sheet::excelApplicationRegistered()) {
    return sheet::makeAutomationExcelDriver();
  }
  return sheet::makeNativeExcelDriver();
}

}  // namespace kj::win32
