#include "app/print_settings_dialog.h"

#include <limits>

#include "app/ids.h"
#include "record/code_tables.h"

namespace kj::app {

const std::array<PrintNumberField, 5> print_number_fields{{
    {IDC_PRINT_ZOOM, IDC_PRINT_ZOOM_SPIN, 10, 400, &Settings::zoom},
    {IDC_PRINT_MARGIN_TOP, IDC_PRINT_MARGIN_TOP_SPIN, 0, 100, &Settings::margin_top},
    {IDC_PRINT_MARGIN_BOTTOM, IDC_PRINT_MARGIN_BOTTOM_SPIN, 0, 100, &Settings::margin_bottom},
    {IDC_PRINT_MARGIN_LEFT, IDC_PRINT_MARGIN_LEFT_SPIN, 0, 100, &Settings::margin_left},
    {IDC_PRINT_MARGIN_RIGHT, IDC_PRINT_MARGIN_RIGHT_SPIN, 0, 100, &Settings::margin_right},
}};

int PrintNumberField::maxChars() const { return static_cast<int>(std::to_wstring(high).size()); }

namespace {

// The number the text starts with, as the C library's atoi reads the digits
// of an edit that takes only digits, held at the int32 limit when it is
// longer; nothing when the text does not start with a digit.
std::optional<std::int32_t> leadingNumber(std::wstring_view text) {
  if (text.empty() || text.front() < L'0' || text.front() > L'9') return std::nullopt;
  std::int64_t value = 0;
  for (const wchar_t c : text) {
    if (c < L'0' || c > L'9') break;
    value = value * 10 + (c - L'0');
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace

std::vector<std::wstring> PrintSettingsDialogModel::paperEntries() const {
  std::vector<std::wstring> entries;
  for (const auto& [index, text] : paper_size_table()) entries.push_back(text);
  return entries;
}

std::optional<std::wstring> PrintSettingsDialogModel::correctedText(const PrintNumberField& field,
                                                                   std::wstring_view text) {
  const std::optional<std::int32_t> value = leadingNumber(text);
  if (!value) return std::nullopt;
  if (*value < field.low) return std::to_wstring(field.low);
  if (*value > field.high) return std::to_wstring(field.high);
  return std::nullopt;
}

int PrintSettingsDialogModel::accept(int paper_selection, bool landscape_checked,
                                     const std::array<std::wstring, 5>& texts) {
  if (paper_selection >= 0) settings_.paper_size = paper_selection;
  settings_.print_orientation = landscape_checked ? 0 : 1;
  for (std::size_t i = 0; i < print_number_fields.size(); ++i) {
    if (const std::optional<std::int32_t> value = leadingNumber(texts[i])) {
      settings_.*print_number_fields[i].setting = *value;
    }
  }
  return accepted_result;
}

}  // namespace kj::app
