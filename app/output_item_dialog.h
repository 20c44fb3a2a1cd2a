#pragma once
// The output item dialogs: one auto check box per output item of the Excel
// conversion, template IDD_OUTPUT_ITEMS (items 1-32, plain records) or
// IDD_BATTERY_OUTPUT_ITEMS (items 1-40, battery records). The dialog edits
// the in-memory selection only and reports how many boxes were checked; the
// export command loads and stores the selection and refuses fewer than two
// items.

#include <array>
#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "app/ids.h"
#include "record/field_catalogue.h"

namespace kj::app {

enum class OutputItemVariant { plain, battery };

constexpr int outputItemTemplateId(OutputItemVariant variant) {
  return variant == OutputItemVariant::plain ? IDD_OUTPUT_ITEMS : IDD_BATTERY_OUTPUT_ITEMS;
}

constexpr std::size_t outputItemCount(OutputItemVariant variant) {
  return variant == OutputItemVariant::plain ? catalogue::plain_output_item_count
                                             : catalogue::battery_output_item_count;
}

// The check box of each output item, in item order (item n at n - 1). There is
// no box 1059, and item 36 has the box 1082.
inline constexpr std::array<int, catalogue::battery_output_item_count> output_item_check_boxes{
    IDC_ITEM_LOT_NUMBER,
    IDC_ITEM_NUMBER,
    IDC_ITEM_DATETIME,
    IDC_ITEM_JOINT_KIND,
    IDC_ITEM_JOINT_SIZE,
    IDC_ITEM_JOINT_MANUFACTURER,
    IDC_ITEM_JOINT_MANAGEMENT_ID,
    IDC_ITEM_JOINT_RESISTANCE,
    IDC_ITEM_JOINT_OUTPUT_VOLTAGE,
    IDC_ITEM_JOINT_OUTPUT_SECONDS,
    IDC_ITEM_JOINT_BARCODE,
    IDC_ITEM_TRACEABILITY_BARCODE,
    IDC_ITEM_EXIT_CODE,
    IDC_ITEM_TEMPERATURE,
    IDC_ITEM_RESISTANCE,
    IDC_ITEM_OUTPUT_VOLTAGE_MIN,
    IDC_ITEM_OUTPUT_VOLTAGE_MAX,
    IDC_ITEM_OUTPUT_CURRENT_MIN,
    IDC_ITEM_OUTPUT_CURRENT_MAX,
    IDC_ITEM_INPUT_VOLTAGE_MIN,
    IDC_ITEM_INPUT_VOLTAGE_MAX,
    IDC_ITEM_OUTPUT_SECONDS,
    IDC_ITEM_ACTUAL_OUTPUT_SECONDS,
    IDC_ITEM_REMAIN_OUTPUT_SECONDS,
    IDC_ITEM_ENERGY,
    IDC_ITEM_COORD,
    IDC_ITEM_ORDER,
    IDC_ITEM_WORKER,
    IDC_ITEM_VERSION,
    IDC_ITEM_MAINTENANCE_DATE,
    IDC_ITEM_LIFECYCLE_COUNTS,
    IDC_ITEM_REMARKS,
    IDC_ITEM_BATTERY_TYPE,
    IDC_ITEM_BATTERY_IDENTIFIER,
    IDC_ITEM_BATTERY_CYCLE,
    IDC_ITEM_BATTERY_FULL_CAPACITY,
    IDC_ITEM_BATTERY_CAPACITY_BEFORE,
    IDC_ITEM_BATTERY_CAPACITY_AFTER,
    IDC_ITEM_BATTERY_TEMPERATURE_BEFORE,
    IDC_ITEM_BATTERY_TEMPERATURE_AFTER,
};

// What the dialog reports when it has closed: "OK" sets `accepted` and counts
// the checked boxes; "キャンセル", the close box and Escape clear it.
struct OutputItemDialogResult {
  bool accepted = false;
  std::size_t checked_count = 0;
  bool operator==(const OutputItemDialogResult&) const = default;
};

// One run of an output item dialog over a selection it edits in place. The
// selection (32 or 40 flags) must outlive the model.
class OutputItemDialogModel {
 public:
  static constexpr int ok_result = 1;
  static constexpr int cancel_result = 2;

  // `selection` holds outputItemCount(variant) flags.
  OutputItemDialogModel(OutputItemVariant variant, std::span<bool> selection);

  OutputItemVariant variant() const { return variant_; }
  int templateId() const { return outputItemTemplateId(variant_); }
  // Number of check boxes: 32 or 40.
  std::size_t itemCount() const { return selection_.size(); }
  // Check box id and text of item `index` (from 0), below itemCount().
  int checkBoxId(std::size_t index) const { return output_item_check_boxes.at(index); }
  std::wstring_view label(std::size_t index) const { return catalogue::output_items.at(index).label; }
  // The state each box starts with: the item's flag.
  bool initiallyChecked(std::size_t index) const { return selection_[index]; }
  std::vector<bool> initialChecks() const;

  // "OK" with the boxes in item order (itemCount() of them): every flag takes
  // its box's state. Returns ok_result, the dialog's end code.
  int accept(const std::vector<bool>& checked);
  // "キャンセル", the close box, Escape: the selection stays. Returns
  // cancel_result.
  int cancel();

  const OutputItemDialogResult& result() const { return result_; }

 private:
  OutputItemVariant variant_;
  std::span<bool> selection_;
  OutputItemDialogResult result_;
};

}  // namespace kj::app
