#include "export/sheet_writer.h"

#include <cstdint>

#include "export/sheet_address.h"

namespace kj::sheet {

bool writeSheet(const SheetLayout& layout, ExcelDriver& driver) {
  if (!fitsOneSheet(layout.record_count)) return false;
  if (!driver.open(sheet_name)) return false;
  // From here on a failing step is passed over, except the data block: the
  // sheet is written as far as the application lets it.
  driver.disableAlerts();

  const std::size_t columns = layout.columnCount();
  if (columns == 0) return true;
  const std::size_t records = layout.record_count;
  const std::size_t last_row = records + 2;

  driver.writeBlock(1, TextRows::oneRow(layout.group_row));
  std::size_t first = 1;
  for (std::size_t g = 0; g < layout.group_count; ++g) {
    const std::size_t count = layout.group_columns[g];
    if (count == 0) continue;
    driver.merge(rangeAddress(first, 1, first + count - 1, 1));
    first += count;
  }
  driver.writeBlock(2, TextRows::oneRow(layout.header_row));

  if (records > 0) {
    // Formats go first, so that text columns keep their digits as they are.
    for (std::size_t c = 1; c <= layout.formats.size(); ++c) {
      driver.setNumberFormat(rangeAddress(c, 3, c, last_row), layout.formats[c - 1]);
    }
    // A sheet without its records must not pass for a written one.
    if (!driver.writeBlock(3, layout.dataRows())) return false;
  }

  driver.autoFitColumns(columnRangeAddress(1, columns));
  driver.drawGrid(rangeAddress(1, 1, columns, last_row));
  return true;
}

bool writeEfdxSheet(const PlainSelection& selection, const std::vector<file::Efdx>& records,
                    ExcelDriver& driver) {
  if (!fitsOneSheet(records.size())) return false;
  return writeSheet(buildSheetLayout(selection, records), driver);
}

bool writeEfdxBatterySheet(const BatterySelection& selection,
                           const std::vector<file::EfdxBattery>& records, ExcelDriver& driver) {
  if (!fitsOneSheet(records.size())) return false;
  return writeSheet(buildSheetLayout(selection, records), driver);
}

}  // namespace kj::sheet
