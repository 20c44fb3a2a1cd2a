#include "app/com_port_dialog.h"

#include <utility>

namespace kj::app {

ComPortDialogModel::ComPortDialogModel(PortList ports, std::wstring port_name)
    : ports_(std::move(ports)), port_name_(std::move(port_name)) {
  entries_.emplace_back();
  if (ports_) entries_.insert(entries_.end(), ports_->begin(), ports_->end());
}

int ComPortDialogModel::initialSelection() const {
  if (port_name_.empty()) return -1;
  for (std::size_t i = 1; i < entries_.size(); ++i) {
    if (entries_[i] == port_name_) return static_cast<int>(i);
  }
  return -1;
}

int ComPortDialogModel::accept(int selected_entry) {
  if (selected_entry >= 0 && static_cast<std::size_t>(selected_entry) < entries_.size()) {
    port_name_ = entries_[static_cast<std::size_t>(selected_entry)];
  }
  return accepted_result;
}

}  // namespace kj::app
