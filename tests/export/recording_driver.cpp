#include "tests/export/recording_driver.h"

#include <algorithm>
#include <ostream>

#include "base/text_encoding.h"

namespace kj::test {

void PrintTo(const DriverCall& call, std::ostream* out) {
  std::wstring text = call.operation + L'(';
  for (std::size_t i = 0; i < call.arguments.size(); ++i) text += (i ? L", " : L"") + call.arguments[i];
  text += L')';
  for (const auto& row : call.rows) {
    text += L" [";
    for (std::size_t i = 0; i < row.size(); ++i) text += (i ? L"|" : L"") + row[i];
    text += L']';
  }
  *out << toUtf8(text);
}

bool RecordingDriver::record(DriverCall call) {
  const std::size_t earlier = static_cast<std::size_t>(std::count_if(
      calls_.begin(), calls_.end(), [&](const DriverCall& c) { return c.operation == call.operation; }));
  const bool fails = fail_operation_ && *fail_operation_ == call.operation && earlier == fail_occurrence_;
  calls_.push_back(std::move(call));
  return !fails;
}

bool RecordingDriver::open(std::wstring_view sheet_name) {
  return record({L"open", {std::wstring(sheet_name)}, {}});
}

bool RecordingDriver::disableAlerts() { return record({L"disableAlerts", {}, {}}); }

bool RecordingDriver::writeBlock(std::int32_t first_row, const sheet::TextRows& rows) {
  DriverCall call{L"writeBlock", {std::to_wstring(first_row)}, {}};
  for (std::size_t r = 0; r < rows.rowCount(); ++r) {
    auto& row = call.rows.emplace_back();
    for (std::wstring_view text : rows.row(r)) row.emplace_back(text);
  }
  return record(std::move(call));
}

bool RecordingDriver::setNumberFormat(std::wstring_view range, std::wstring_view format) {
  return record({L"setNumberFormat", {std::wstring(range), std::wstring(format)}, {}});
}

bool RecordingDriver::autoFitColumns(std::wstring_view column_range) {
  return record({L"autoFitColumns", {std::wstring(column_range)}, {}});
}

bool RecordingDriver::merge(std::wstring_view range) { return record({L"merge", {std::wstring(range)}, {}}); }

bool RecordingDriver::drawGrid(std::wstring_view range) {
  return record({L"drawGrid", {std::wstring(range)}, {}});
}

bool RecordingDriver::saveAs(std::wstring_view path) { return record({L"saveAs", {std::wstring(path)}, {}}); }

bool RecordingDriver::applyPageSetup(std::wstring_view paper_name, bool portrait, std::int32_t zoom,
                                     std::int32_t top_mm, std::int32_t bottom_mm, std::int32_t left_mm,
                                     std::int32_t right_mm) {
  return record({L"applyPageSetup",
                 {std::wstring(paper_name), portrait ? L"portrait" : L"landscape", std::to_wstring(zoom),
                  std::to_wstring(top_mm), std::to_wstring(bottom_mm), std::to_wstring(left_mm),
                  std::to_wstring(right_mm)},
                 {}});
}

bool RecordingDriver::printOut() { return record({L"printOut", {}, {}}); }

void RecordingDriver::close() { record({L"close", {}, {}}); }

}  // namespace kj::test
