#include "app/output_item_dialog.h"

#include <stdexcept>

namespace kj::app {

OutputItemDialogModel::OutputItemDialogModel(OutputItemVariant variant, std::span<bool> selection)
    : variant_(variant), selection_(selection) {
  if (selection.size() != outputItemCount(variant)) {
    throw std::invalid_argument("output item selection of the wrong size");
  }
}

std::vector<bool> OutputItemDialogModel::initialChecks() const {
  return std::vector<bool>(selection_.begin(), selection_.end());
}

int OutputItemDialogModel::accept(const std::vector<bool>& checked) {
  if (checked.size() != selection_.size()) throw std::invalid_argument("one state per check box");
  result_.accepted = true;
  result_.checked_count = 0;
  for (std::size_t i = 0; i < selection_.size(); ++i) {
    selection_[i] = checked[i];
    if (checked[i]) ++result_.checked_count;
  }
  return ok_result;
}

int OutputItemDialogModel::cancel() {
  result_.accepted = false;
  return cancel_result;
}

}  // namespace kj::app
