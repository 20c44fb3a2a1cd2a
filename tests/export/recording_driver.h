#pragma once
// A spreadsheet driver that records every call with its arguments and can be
// told to fail any one call (by operation name and occurrence).

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "export/excel_driver.h"

namespace kj::test {

struct DriverCall {
  std::wstring operation;
  std::vector<std::wstring> arguments;          // texts and numbers as decimal text
  std::vector<std::vector<std::wstring>> rows;  // writeBlock only

  bool operator==(const DriverCall&) const = default;
};

// For GoogleTest's messages.
void PrintTo(const DriverCall& call, std::ostream* out);

class RecordingDriver : public sheet::ExcelDriver {
 public:
  // The `occurrence`-th call (from 0) of `operation` returns false.
  void failOn(std::wstring operation, std::size_t occurrence = 0) {
    fail_operation_ = std::move(operation);
    fail_occurrence_ = occurrence;
  }

  const std::vector<DriverCall>& calls() const { return calls_; }

  bool open(std::wstring_view sheet_name) override;
  bool disableAlerts() override;
  bool writeBlock(std::int32_t first_row, const sheet::TextRows& rows) override;
  bool setNumberFormat(std::wstring_view range, std::wstring_view format) override;
  bool autoFitColumns(std::wstring_view column_range) override;
  bool merge(std::wstring_view range) override;
  bool drawGrid(std::wstring_view range) override;
  bool saveAs(std::wstring_view path) override;
  bool applyPageSetup(std::wstring_view paper_name, bool portrait, std::int32_t zoom, std::int32_t top_mm,
                      std::int32_t bottom_mm, std::int32_t left_mm, std::int32_t right_mm) override;
  bool printOut() override;
  void close() override;

 private:
  bool record(DriverCall call);

  std::vector<DriverCall> calls_;
  std::optional<std::wstring> fail_operation_;
  std::size_t fail_occurrence_ = 0;
};

}  // namespace kj::test
