#pragma once
// The record text format (header, STX...ETX records, comma fields) and the pass
// that decodes a whole block.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "record/control_chars.h"
#include "record/record_types.h"

namespace kj {

// Parses the block header. short_block selects 33 fields (true) or 39 fields
// (false) for a text without a tagged header. Raises std::invalid_argument or
// std::out_of_range when the header cannot be read; the block is then unreadable.
file::Header parseHeader(std::wstring_view text, bool short_block);

// Exactly `count` rows; row k holds the fields between the k-th STX and the k-th
// ETX, rows beyond the last pair have no fields. The rows view into `text`.
Rows splitRecords(std::wstring_view text, std::uint32_t count);

// Calls visit(record_text) for the rows of the first `count` STX...ETX pairs, in
// order, as splitRecords cuts them; stops early when visit returns false.
// Returns the number of rows visited: the rows after them have no fields.
template <class Visit>
std::uint32_t forEachRecordText(std::wstring_view text, std::uint32_t count, Visit&& visit);

// The pieces between commas, empty ones included; never empty. Views into
// record_text.
Row splitFields(std::wstring_view record_text);
// The same into `fields`, whose earlier content goes (its capacity stays).
void splitFields(std::wstring_view record_text, Row& fields);

// Shares one decoded barcode between the records of a block that carry the same
// barcode: a fitting type is usually welded many times. The keys view into the
// block text, which must outlive the cache; the cache is one decode pass's.
class BarcodeCache {
 public:
  std::shared_ptr<const DecodedBarcode> get(int kind, std::wstring_view text, int variant);

 private:
  struct Key {
    int kind;
    int variant;
    std::wstring_view text;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    std::size_t operator()(const Key& k) const noexcept;
  };
  // A block of all different barcodes is not worth more bookkeeping than this.
  static constexpr std::size_t max_entries = 4096;
  std::unordered_map<Key, std::shared_ptr<const DecodedBarcode>, KeyHash> entries_;
};

// Fill one record from its fields; true when the record is sound (its check sums
// match). They raise the standard conversion errors (and std::out_of_range for a
// field the row does not have); members filled before the error keep their values.
// With a cache, records of the same barcode share its decoding.
bool decodeEfdx(file::Efdx& record, const file::Header& header, const Row& fields,
                BarcodeCache* barcodes = nullptr);
bool decodeEfdxBattery(file::EfdxBattery& record, const file::Header& header, const Row& fields,
                       BarcodeCache* barcodes = nullptr);

struct DecodeCounts {
  bool any_coord = false;
  int bad_count = 0;
  int abnormal_end_count = 0;
};

template <class Record>
using RecordDecoder = bool (*)(Record&, const file::Header&, const Row&, BarcodeCache*);

// decodeEfdx for plain records, decodeEfdxBattery for battery records.
template <class Record>
constexpr RecordDecoder<Record> recordDecoder() {
  if constexpr (std::is_same_v<Record, file::EfdxBattery>) {
    return &decodeEfdxBattery;
  } else {
    return &decodeEfdx;
  }
}

namespace detail {

// One record of the decode pass: runs the decoder and counts the result.
template <class Record>
void decodeCounted(Record& record, const file::Header& header, const Row& fields, RecordDecoder<Record> decoder,
                   BarcodeCache& barcodes, DecodeCounts& found) {
  bool sound = false;
  try {
    sound = decoder(record, header, fields, &barcodes);
  } catch (const std::logic_error&) {  // invalid_argument, out_of_range
    ++found.bad_count;
    return;
  }
  if (sound) {
    if (record.end_code != 500) ++found.abnormal_end_count;
  } else {
    ++found.bad_count;
  }
  if (record.has_coord) found.any_coord = true;
}

}  // namespace detail

// Decodes every row. Null (and all counts zero) when a row's field count differs
// from the header's: the block is rejected as a whole. A row whose decoder raises
// or reports it unsound counts as bad and stays in the vector as far as filled.
template <class Record>
RecordVector<Record> decodeRecordSet(const Rows& rows, const file::Header& header, RecordDecoder<Record> decoder,
                                     DecodeCounts& counts) {
  counts = DecodeCounts{};
  for (const Row& row : rows) {
    if (row.size() != header.field_count) return nullptr;
  }
  auto records = std::make_shared<std::vector<Record>>(rows.size());
  DecodeCounts found;
  BarcodeCache barcodes;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    detail::decodeCounted((*records)[i], header, rows[i], decoder, barcodes, found);
  }
  counts = found;
  return records;
}

// True when each of the first `count` rows of text has field_count fields (a
// row without its STX...ETX pair has none): the check of decodeRecordSet, made
// without cutting a single field.
bool recordTextsFit(std::wstring_view text, std::uint32_t count, std::uint16_t field_count);

// decodeRecordSet(splitRecords(text, count), header, decoder, counts) with the
// same results, but the rows are checked before anything is built and then cut
// one at a time: time and memory follow the records the block really holds.
template <class Record>
RecordVector<Record> decodeRecordText(std::wstring_view text, std::uint32_t count, const file::Header& header,
                                      RecordDecoder<Record> decoder, DecodeCounts& counts) {
  counts = DecodeCounts{};
  if (!recordTextsFit(text, count, header.field_count)) return nullptr;
  auto records = std::make_shared<std::vector<Record>>(count);
  DecodeCounts found;
  BarcodeCache barcodes;
  Row fields;
  fields.reserve(header.field_count);
  const std::uint32_t cut_rows = forEachRecordText(text, count, [&, i = std::size_t{0}](std::wstring_view t) mutable {
    splitFields(t, fields);
    detail::decodeCounted((*records)[i++], header, fields, decoder, barcodes, found);
    return true;
  });
  fields.clear();
  for (std::size_t i = cut_rows; i < count; ++i) {
    detail::decodeCounted((*records)[i], header, fields, decoder, barcodes, found);
  }
  counts = found;
  return records;
}

template <class Visit>
std::uint32_t forEachRecordText(std::wstring_view text, std::uint32_t count, Visit&& visit) {
  constexpr std::size_t npos = std::wstring_view::npos;
  // Positions are carried as in std::wstring arithmetic: a missing first STX is
  // npos (so the row starts at 0), a missing first ETX is npos (the row runs to the
  // end), and an ETX before its STX gives a row that runs to the end of the text.
  std::size_t s = text.find(ctl::STX);
  std::size_t e = text.find(ctl::ETX);
  for (std::uint32_t k = 0; k < count;) {
    const bool go_on = visit(text.substr(s + 1, e - s - 1));
    ++k;
    if (!go_on || s == npos || e == npos) return k;
    s = text.find(ctl::STX, s + 1);
    e = text.find(ctl::ETX, e + 1);
    if (s == npos || e == npos) return k;
  }
  return count;
}

}  // namespace kj
