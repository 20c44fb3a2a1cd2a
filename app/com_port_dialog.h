#pragma once
// What the COM port dialog (resource 165) shows and what its "OK" does. The
// Windows layer runs the dialog and asks this model; it holds no window.

#include <string>
#include <vector>

#include "link/com_ports.h"

namespace kj::app {

class ComPortDialogModel {
 public:
  // Dialog results.
  static constexpr int accepted_result = 1;  // "OK"
  static constexpr int closed_result = 0;    // close box; the setting is kept

  // `ports` from enumerate_ports (null counts as none); `port_name` the
  // current COM setting. The model keeps the list alive while it exists.
  ComPortDialogModel(PortList ports, std::wstring port_name);

  // The texts of drop-down list 1055, in order: an empty entry, then every
  // port name of the list.
  const std::vector<std::wstring>& entries() const { return entries_; }

  // The entry to select when the dialog opens: the one whose text equals the
  // setting, or -1 (no selection) when the setting is empty or not listed.
  int initialSelection() const;

  // "OK" with the selected entry (-1 when none): a valid entry sets the port
  // name (entry 0 the empty text, entry k the k-th port); anything else keeps
  // it. Returns accepted_result, which the dialog ends with.
  int accept(int selected_entry);

  // The COM setting as the dialog leaves it.
  const std::wstring& portName() const { return port_name_; }

 private:
  PortList ports_;
  std::vector<std::wstring> entries_;
  std::wstring port_name_;
};

}  // namespace kj::app
