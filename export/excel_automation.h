#pragma once
// The spreadsheet driver that drives Excel through COM automation: late-bound
// IDispatch calls by member name on the application, its workbook
// collection, one new workbook and its active worksheet (Windows only).
//
// The driver lives on one thread: open() initialises COM on the calling
// thread and close() uninitialises it, so every call between them must come
// from that thread.

#include <functional>
#include <memory>
#include <string_view>

#include "export/com_ptr_win32.h"
#include "export/excel_driver.h"

namespace kj::sheet {

// Creates the application object after COM was initialised on the calling
// thread: stores one reference in `*application` and returns S_OK, or returns
// a failure code and leaves `*application` null.
using ApplicationFactory = std::function<HRESULT(IDispatch** application)>;

// The factory of the real application: CLSIDFromProgID("Excel.Application"),
// then CoCreateInstance of that class as a local server asking for IDispatch.
HRESULT createExcelApplication(IDispatch** application);

class AutomationExcelDriver final : public ExcelDriver {
 public:
  explicit AutomationExcelDriver(ApplicationFactory factory = createExcelApplication);
  AutomationExcelDriver(const AutomationExcelDriver&) = delete;
  AutomationExcelDriver& operator=(const AutomationExcelDriver&) = delete;
  // Closes the connection if it is still open.
  ~AutomationExcelDriver() override;

  // Refused (false, nothing changed) while a connection is open. When the
  // application cannot be created, COM is uninitialised again at once, so
  // close() has nothing left to release.
  bool open(std::wstring_view sheet_name) override;
  bool disableAlerts() override;
  bool writeBlock(std::int32_t first_row, const TextRows& rows) override;
  bool setNumberFormat(std::wstring_view range, std::wstring_view format) override;
  bool autoFitColumns(std::wstring_view column_range) override;
  bool merge(std::wstring_view range) override;
  bool drawGrid(std::wstring_view range) override;
  bool saveAs(std::wstring_view path) override;
  bool applyPageSetup(std::wstring_view paper_name, bool portrait, std::int32_t zoom, std::int32_t top_mm,
                      std::int32_t bottom_mm, std::int32_t left_mm, std::int32_t right_mm) override;
  bool printOut() override;
  // Quit on the application when open() created it; then the worksheet, the
  // workbook, the workbook collection and the application are released in
  // that order, and COM is uninitialised when open() initialised it.
  void close() override;

 private:
  ApplicationFactory factory_;
  com::ComInitScope com_;
  com::ComPtr<IDispatch> application_;
  com::ComPtr<IDispatch> workbooks_;
  com::ComPtr<IDispatch> workbook_;
  com::ComPtr<IDispatch> worksheet_;
};

// Millimetres to points, as the page margins are sent.
inline constexpr double points_per_millimetre = 2.8346456692913384;

// Whether the class "Excel.Application" is registered on this machine.
// Initialises COM on the calling thread for the question and balances it.
bool excelApplicationRegistered();

// A driver over the real application.
std::unique_ptr<ExcelDriver> makeAutomationExcelDriver();

}  // namespace kj::sheet
