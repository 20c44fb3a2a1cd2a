#pragma once
// The records the main window shows: the last displayed block and the two
// detail dialogs.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "app/detail_dialog.h"
#include "app/ui.h"
#include "record/record_types.h"
#include "records_io/loaded_block.h"

namespace kj::app {

struct RecordSet {
  explicit RecordSet(DetailDialogUi& ui) : plain_detail(ui), battery_detail(ui) {}

  // The file last loaded (or saved); empty until then and after an unsaved
  // receive.
  std::wstring current_path;
  // Block kind of what was loaded last: Headerless33 and Headerless39 plain
  // records, TaggedBT battery records; TaggedPK and TaggedOther show nothing
  // and leave `displayed` as it was.
  BlockKind block_kind = BlockKind::Headerless33;
  // The block last displayed, also when it was rejected; none before the first
  // display.
  std::optional<LoadedBlock> displayed;
  PlainDetailDialog plain_detail;
  BatteryDetailDialog battery_detail;

  // The displayed records of each type; null when the displayed block holds
  // the other type, was rejected, or nothing has been displayed.
  const RecordVector<file::Efdx>& plainRecords() const { return records<file::Efdx>(); }
  const RecordVector<file::EfdxBattery>& batteryRecords() const { return records<file::EfdxBattery>(); }
  template <class Record>
  const RecordVector<Record>& records() const {
    static const RecordVector<Record> none;
    return displayed ? displayed->records<Record>() : none;
  }
};

// The five column texts of list row `index` for `record`; "***" for the
// joint kind and size of a record without a decoded barcode.
ListRow listRowOf(std::size_t index, const file::Efdx& record);
// Column `column` (0-4) of that row alone; empty for other columns.
std::wstring listCellOf(std::size_t index, const file::Efdx& record, int column);

}  // namespace kj::app
