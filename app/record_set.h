#pragma once
// The records the main window shows: the last loaded or received block, its
// readers and the two detail dialogs.

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/detail_dialog.h"
#include "app/ui.h"
#include "record/record_types.h"
#include "records_io/record_file_reader.h"

namespace kj::app {

struct RecordSet {
  explicit RecordSet(DetailDialogUi& ui) : plain_detail(ui), battery_detail(ui) {}

  // The file last loaded (or saved); empty until then and after an unsaved
  // receive.
  std::wstring current_path;
  // Block kind of what was loaded last (a BlockKind value): 0 and 1 plain
  // records, 2 battery records; 3 and 4 show nothing.
  std::int32_t block_kind = 0;
  // Null until the first load of their type, and after a failed display.
  RecordVector<file::Efdx> plain_records;
  RecordVector<file::EfdxBattery> battery_records;
  EfdxReader plain_reader;
  EfdxBatteryReader battery_reader;
  PlainDetailDialog plain_detail;
  BatteryDetailDialog battery_detail;
};

// The five column texts of list row `index` for `record`; "***" for the
// joint kind and size of a record without a decoded barcode.
ListRow listRowOf(std::size_t index, const file::Efdx& record);
// Column `column` (0-4) of that row alone; empty for other columns.
std::wstring listCellOf(std::size_t index, const file::Efdx& record, int column);

}  // namespace kj::app
