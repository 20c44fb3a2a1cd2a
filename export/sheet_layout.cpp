#include "export/sheet_layout.h"

namespace kj::sheet {

namespace {

template <class Record, std::size_t N>
SheetLayout build(const std::array<bool, N>& selection, const std::vector<Record>& records,
                  bool battery_sheet) {
  SheetLayout layout;
  layout.group_count = battery_sheet ? 5 : 4;
  layout.record_count = records.size();

  // The columns of the selected items, in item order.
  std::vector<const catalogue::TextField*> columns;
  for (std::size_t i = 0; i < N; ++i) {
    if (!selection[i]) continue;
    const catalogue::OutputItem& item = catalogue::output_items[i];
    for (std::size_t c = 0; c < item.column_count; ++c) {
      const catalogue::TextField& field = item.columns[c];
      columns.push_back(&field);
      layout.group_row.push_back(catalogue::sheetGroupText(field.texts.group));
      layout.header_row.push_back(field.texts.header(battery_sheet));
      layout.formats.push_back(field.texts.format);
      ++layout.group_columns[static_cast<std::size_t>(field.texts.group)];
    }
  }

  layout.data.reserve(columns.size() * records.size());
  for (const Record& record : records) {
    for (const catalogue::TextField* field : columns) layout.data.push_back(field->of(record));
  }
  return layout;
}

}  // namespace

SheetLayout buildSheetLayout(const PlainSelection& selection, const std::vector<file::Efdx>& records) {
  return build(selection, records, false);
}

SheetLayout buildSheetLayout(const BatterySelection& selection,
                             const std::vector<file::EfdxBattery>& records) {
  return build(selection, records, true);
}

}  // namespace kj::sheet
