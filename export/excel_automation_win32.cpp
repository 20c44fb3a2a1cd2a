#include "export/excel_automation.h"

#include <array>
#include <climits>
#include <optional>
#include <string>
#include <utility>

#include "export/dispatch_call_win32.h"
#include "export/sheet_address.h"
#include "record/code_tables.h"

namespace kj::sheet {
namespace {

using com::CallKind;
using com::ComPtr;
using com::Variant;

// The file format number of an Excel 97-2003 workbook (.xls).
constexpr LONG xls_file_format = 56;

// Border constants: the inside vertical and inside horizontal edges, a
// continuous line, thin weight, automatic colour.
constexpr LONG inside_vertical = 11;
constexpr LONG inside_horizontal = 12;
constexpr LONG continuous_line = 1;
constexpr LONG thin_weight = 2;
constexpr LONG automatic_colour = -4105;

HRESULT put(IDispatch* target, std::wstring_view member, Variant value) {
  // A text whose copy could not be made arrives here as VT_EMPTY; never send
  // that in place of the text.
  if (value.type() == VT_EMPTY) return E_OUTOFMEMORY;
  return com::call(target, member, CallKind::put, {&value.get(), 1});
}

bool putInt(IDispatch* target, std::wstring_view member, LONG value) {
  return SUCCEEDED(put(target, member, Variant::int32(value)));
}

// A property get with one argument that returns an object: the object, or
// null when the call fails or returns anything else.
ComPtr<IDispatch> getObject(IDispatch* target, std::wstring_view member, const Variant* argument = nullptr) {
  if (argument != nullptr && argument->type() == VT_EMPTY) return {};
  Variant result;
  const std::span<const VARIANT> arguments =
      argument != nullptr ? std::span<const VARIANT>(&argument->get(), 1) : std::span<const VARIANT>();
  if (FAILED(com::call(target, member, CallKind::get, arguments, &result))) return {};
  return com::objectOf(result);
}

ComPtr<IDispatch> getObject(IDispatch* target, std::wstring_view member, std::wstring_view text_argument) {
  const Variant argument = Variant::text(text_argument);
  return getObject(target, member, &argument);
}

bool callMethod(IDispatch* target, std::wstring_view member, std::span<const VARIANT> arguments = {},
                Variant* result = nullptr) {
  Variant ignored;
  return SUCCEEDED(com::call(target, member, CallKind::method, arguments, result != nullptr ? result : &ignored));
}

// The 1-based rows x columns array of BSTR variants of `rows`. Each element
// gets its type only after its string was allocated; an allocation failure
// gives no array (the partly filled one is destroyed with what it holds).
com::SafeArray blockArray(const TextRows& rows) {
  const std::size_t row_count = rows.rowCount();
  const std::size_t column_count = rows.columnCount();
  if (row_count > LONG_MAX || column_count > LONG_MAX) return {};
  std::array<SAFEARRAYBOUND, 2> bounds{};
  bounds[0].cElements = static_cast<ULONG>(row_count);
  bounds[0].lLbound = 1;
  bounds[1].cElements = static_cast<ULONG>(column_count);
  bounds[1].lLbound = 1;
  auto array = com::SafeArray::adopt(SafeArrayCreate(VT_VARIANT, 2, bounds.data()));
  if (!array) return {};
  {
    const com::ArrayLock lock(array.get());
    if (!lock.locked()) return {};
    for (std::size_t r = 0; r < row_count; ++r) {
      const auto row = rows.row(r);
      for (std::size_t c = 0; c < row.size(); ++c) {
        LONG index[2] = {static_cast<LONG>(r + 1), static_cast<LONG>(c + 1)};
        void* element = nullptr;
        if (FAILED(SafeArrayPtrOfIndex(array.get(), index, &element))) return {};
        com::Bstr text(row[c]);
        if (!text.ok()) return {};
        VARIANT* cell = static_cast<VARIANT*>(element);
        V_BSTR(cell) = text.release();
        V_VT(cell) = VT_BSTR;
      }
    }
  }
  return array;
}

}  // namespace

HRESULT createExcelApplication(IDispatch** application) {
  if (application == nullptr) return E_POINTER;
  *application = nullptr;
  CLSID clsid{};
  HRESULT hr = CLSIDFromProgID(L"Excel.Application", &clsid);
  if (FAILED(hr)) return hr;
  return CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, reinterpret_cast<void**>(application));
}

AutomationExcelDriver::AutomationExcelDriver(ApplicationFactory factory) : factory_(std::move(factory)) {}

AutomationExcelDriver::~AutomationExcelDriver() { close(); }

bool AutomationExcelDriver::open(std::wstring_view sheet_name) {
  if (application_ || com_.initialised()) return false;
  // A thread already in the multithreaded apartment can still use COM; only
  // an initialisation of our own is balanced later.
  com_.initialise();
  {
    IDispatch* created = nullptr;
    const HRESULT hr = factory_ ? factory_(&created) : E_POINTER;
    auto application = ComPtr<IDispatch>::adopt(created);
    if (FAILED(hr) || !application) {
      com_.reset();
      return false;
    }
    application_ = std::move(application);
  }
  if (!putInt(application_.get(), L"Visible", 0)) return false;
  workbooks_ = getObject(application_.get(), L"Workbooks");
  if (!workbooks_) return false;
  workbook_ = getObject(workbooks_.get(), L"Add");
  if (!workbook_) return false;
  worksheet_ = getObject(application_.get(), L"ActiveSheet");
  if (!worksheet_) return false;
  return SUCCEEDED(put(worksheet_.get(), L"Name", Variant::text(sheet_name)));
}

bool AutomationExcelDriver::disableAlerts() {
  if (!application_) return false;
  return putInt(application_.get(), L"DisplayAlerts", 0);
}

bool AutomationExcelDriver::writeBlock(std::int32_t first_row, const TextRows& rows) {
  if (!worksheet_) return false;
  const std::optional<std::wstring> address = blockRangeAddress(first_row, rows.rowCount(), rows.columnCount());
  if (!address) return false;
  ComPtr<IDispatch> range = getObject(worksheet_.get(), L"Range", *address);
  if (!range) return false;
  Variant block;
  {
    com::SafeArray array = blockArray(rows);
    if (!array) return false;
    V_ARRAY(block.ptr()) = array.release();
    V_VT(block.ptr()) = VT_ARRAY | VT_VARIANT;
  }
  const HRESULT hr = com::call(range.get(), L"Value", CallKind::put, {&block.get(), 1});
  block.reset();  // the array goes before the range
  range.reset();
  return SUCCEEDED(hr);
}

bool AutomationExcelDriver::setNumberFormat(std::wstring_view range_text, std::wstring_view format) {
  if (!worksheet_) return false;
  ComPtr<IDispatch> range = getObject(worksheet_.get(), L"Range", range_text);
  if (!range) return false;
  return SUCCEEDED(put(range.get(), L"NumberFormatLocal", Variant::text(format)));
}

bool AutomationExcelDriver::autoFitColumns(std::wstring_view column_range) {
  if (!worksheet_) return false;
  ComPtr<IDispatch> columns = getObject(worksheet_.get(), L"Columns", column_range);
  if (!columns) return false;
  return callMethod(columns.get(), L"AutoFit");
}

bool AutomationExcelDriver::merge(std::wstring_view range_text) {
  if (!worksheet_) return false;
  ComPtr<IDispatch> range = getObject(worksheet_.get(), L"Range", range_text);
  if (!range) return false;
  return callMethod(range.get(), L"Merge");
}

bool AutomationExcelDriver::drawGrid(std::wstring_view range_text) {
  if (!worksheet_) return false;
  ComPtr<IDispatch> range = getObject(worksheet_.get(), L"Range", range_text);
  if (!range) return false;
  // The inner lines are best effort: only the outline decides the result.
  const auto borders = [&](LONG edge) {
    const Variant which = Variant::int32(edge);
    ComPtr<IDispatch> border = getObject(range.get(), L"Borders", &which);
    if (border) {
      putInt(border.get(), L"LineStyle", continuous_line);
      putInt(border.get(), L"Weight", thin_weight);
      putInt(border.get(), L"ColorIndex", automatic_colour);
    }
    return border;
  };
  ComPtr<IDispatch> vertical = borders(inside_vertical);
  ComPtr<IDispatch> horizontal = borders(inside_horizontal);
  const std::array<Variant, 3> around = {Variant::int32(continuous_line), Variant::int32(thin_weight),
                                         Variant::int32(automatic_colour)};
  const std::array<VARIANT, 3> arguments = {around[0].get(), around[1].get(), around[2].get()};
  const bool drawn = callMethod(range.get(), L"BorderAround", arguments);
  vertical.reset();
  horizontal.reset();
  range.reset();
  return drawn;
}

bool AutomationExcelDriver::saveAs(std::wstring_view path) {
  if (!workbook_) return false;
  const Variant file_name = Variant::text(path);
  if (file_name.type() != VT_BSTR) return false;
  const Variant file_format = Variant::int32(xls_file_format);
  const std::array<VARIANT, 2> arguments = {file_name.get(), file_format.get()};
  return callMethod(workbook_.get(), L"SaveAs", arguments);
}

bool AutomationExcelDriver::applyPageSetup(std::wstring_view paper_name, bool portrait, std::int32_t zoom,
                                           std::int32_t top_mm, std::int32_t bottom_mm, std::int32_t left_mm,
                                           std::int32_t right_mm) {
  if (!worksheet_) return false;
  ComPtr<IDispatch> page_setup = getObject(worksheet_.get(), L"PageSetup");
  if (!page_setup) return false;
  const auto& papers = excel_paper_code_table();
  const auto paper = papers.find(std::wstring(paper_name));
  if (paper == papers.end()) return false;
  if (!putInt(page_setup.get(), L"PaperSize", paper->second)) return false;
  // The printer may refuse any of these; the page setup still counts as
  // applied once the paper size was taken.
  putInt(page_setup.get(), L"Orientation", portrait ? 1 : 2);
  putInt(page_setup.get(), L"Zoom", zoom);
  const std::pair<std::wstring_view, std::int32_t> margins[] = {
      {L"TopMargin", top_mm}, {L"BottomMargin", bottom_mm}, {L"LeftMargin", left_mm}, {L"RightMargin", right_mm}};
  for (const auto& [member, millimetres] : margins) {
    put(page_setup.get(), member, Variant::real(millimetres * points_per_millimetre));
  }
  return true;
}

bool AutomationExcelDriver::printOut() {
  if (!worksheet_) return false;
  Variant result;
  if (!callMethod(worksheet_.get(), L"PrintOut", {}, &result)) return false;
  return com::isNonZero(result.get());
}

void AutomationExcelDriver::close() {
  if (application_) callMethod(application_.get(), L"Quit");
  worksheet_.reset();
  workbook_.reset();
  workbooks_.reset();
  application_.reset();
  com_.reset();
}

bool excelApplicationRegistered() {
  com::ComInitScope scope;
  scope.initialise();
  CLSID clsid{};
  return SUCCEEDED(CLSIDFromProgID(L"Excel.Application", &clsid));
}

std::unique_ptr<ExcelDriver> makeAutomationExcelDriver() { return std::make_unique<AutomationExcelDriver>(); }

}  // namespace kj::sheet
