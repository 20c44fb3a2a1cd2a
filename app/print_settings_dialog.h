#pragma once
// What the print settings dialog (resource 164) shows, how it corrects a
// number while it is typed, and what "OK" and "キャンセル" do. The Windows
// layer runs the dialog and asks this model; it holds no window.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"

namespace kj::app {

// One number field of the dialog: its edit, the up-down attached to it, its
// range and the setting it edits.
struct PrintNumberField {
  int edit_id;
  int updown_id;
  std::int32_t low;
  std::int32_t high;
  std::int32_t Settings::*setting;
  // Characters the edit takes: the digits of `high`.
  int maxChars() const;
};

// Zoom first, then the margins in the order top, bottom, left, right.
extern const std::array<PrintNumberField, 5> print_number_fields;

class PrintSettingsDialogModel {
 public:
  // Dialog results.
  static constexpr int accepted_result = 1;   // "OK"
  static constexpr int cancelled_result = 2;  // "キャンセル" or the close box

  // Edits `settings` when "OK" is pressed; it must outlive the model.
  explicit PrintSettingsDialogModel(Settings& settings) : settings_(settings) {}

  // The texts of the paper list 1043, in key order of the paper size table.
  std::vector<std::wstring> paperEntries() const;
  // The entry to select: the stored paper size index (out of the list's range
  // it selects nothing).
  int initialPaperSelection() const { return settings_.paper_size; }
  // "縦" (portrait) is checked when the orientation is not 0, else "横".
  bool initialPortrait() const { return settings_.print_orientation != 0; }
  // The up-down position of a field when the dialog opens.
  std::int32_t initialValue(const PrintNumberField& field) const { return settings_.*field.setting; }

  // The edit's text changed to `text`: the text to put into it instead (the
  // bound it crossed), or nothing to leave it. An empty text, and one that
  // does not start with a digit, is left alone.
  static std::optional<std::wstring> correctedText(const PrintNumberField& field, std::wstring_view text);

  // "OK" with the selected paper entry (-1 when none), the state of "横" and
  // the texts of the five number edits in the order of print_number_fields.
  // No selection and an empty edit (or one without a leading digit) keep
  // their settings; numbers are stored as typed. Returns accepted_result.
  int accept(int paper_selection, bool landscape_checked, const std::array<std::wstring, 5>& texts);
  // "キャンセル" and the close box: nothing changes.
  static int cancel() { return cancelled_result; }

 private:
  Settings& settings_;
};

}  // namespace kj::app
