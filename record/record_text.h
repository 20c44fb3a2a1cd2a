#pragma once
// The record text format (header, STX...ETX records, comma fields) and the pass
// that decodes a whole block.

#include <stdexcept>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "record/record_types.h"

namespace kj {

// Parses the block header. short_block selects 33 fields (true) or 39 fields
// (false) for a text without a tagged header. Raises std::invalid_argument or
// std::out_of_range when the header cannot be read; the block is then unreadable.
file::Header parseHeader(std::wstring_view text, bool short_block);

// Exactly `count` rows; row k holds the fields between the k-th STX and the k-th
// ETX, rows beyond the last pair have no fields. The rows view into `text`.
Rows splitRecords(std::wstring_view text, std::uint32_t count);

// The pieces between commas, empty ones included; never empty. Views into
// record_text.
Row splitFields(std::wstring_view record_text);

// Fill one record from its fields; true when the record is sound (its check sums
// match). They raise the standard conversion errors (and std::out_of_range for a
// field the row does not have); members filled before the error keep their values.
bool decodeEfdx(file::Efdx& record, const file::Header& header, const Row& fields);
bool decodeEfdxBattery(file::EfdxBattery& record, const file::Header& header, const Row& fields);

struct DecodeCounts {
  bool any_coord = false;
  int bad_count = 0;
  int abnormal_end_count = 0;
};

template <class Record>
using RecordDecoder = bool (*)(Record&, const file::Header&, const Row&);

// Decodes every row. Null (and all counts zero) when a row's field count differs
// from the header's: the block is rejected as a whole. A row whose decoder raises
// or reports it unsound counts as bad and stays in the vector as far as filled.
template <class Record>
RecordVector<Record> decodeRecordSet(const Rows& rows, const file::Header& header, RecordDecoder<Record> decoder,
                                     DecodeCounts& counts) {
  counts = DecodeCounts{};
  // Every row is checked before the records are made: a damaged header that
  // announces thousands of records the text does not hold is rejected without
  // building them first.
  for (const Row& row : rows) {
    if (row.size() != header.field_count) return nullptr;
  }
  auto records = std::make_shared<std::vector<Record>>(rows.size());
  DecodeCounts found;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    Record& record = (*records)[i];
    bool sound = false;
    try {
      sound = decoder(record, header, rows[i]);
    } catch (const std::logic_error&) {  // invalid_argument, out_of_range
      ++found.bad_count;
      continue;
    }
    if (sound) {
      if (record.end_code != 500) ++found.abnormal_end_count;
    } else {
      ++found.bad_count;
    }
    if (record.has_coord) found.any_coord = true;
  }
  counts = found;
  return records;
}

}  // namespace kj
