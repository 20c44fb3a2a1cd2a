#pragma once
// The record text format (header, STX...ETX records, comma fields) and the pass
// that decodes a whole block.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <map>
#include <vector>

#include "base/memory_advice.h"
#include "record/control_chars.h"
#include "record/record_types.h"

namespace kj {

// The text character of one block byte: bytes 0x80-0xFF are widened with sign
// extension to U+FF80-U+FFFF, as they arrive from the serial line.
constexpr wchar_t widenByte(unsigned char b) {
  return b < 0x80 ? static_cast<wchar_t>(b) : static_cast<wchar_t>(0xFF00U | b);
}

// The block text of block bytes (one char per block byte), each widened by
// widenByte; the second form reuses the capacity of `text`.
std::wstring widenBlockBytes(std::string_view bytes);
void widenBlockBytes(std::string_view bytes, std::wstring& text);

// Parses the block header. short_block selects 33 fields (true) or 39 fields
// (false) for a text without a tagged header. Raises std::invalid_argument or
// std::out_of_range when the header cannot be read; the block is then unreadable.
file::Header parseHeader(std::wstring_view text, bool short_block);

// Exactly `count` rows; row k holds the fields between the k-th STX and the k-th
// ETX, rows beyond the last pair have no fields. The rows view into `text`.
Rows splitRecords(std::wstring_view text, std::uint32_t count);

// Calls visit(record_text) for the rows of the first `count` STX...ETX pairs, in
// order, as splitRecords cuts them; stops early when visit returns false.
// Returns the number of rows visited: the rows after them have no fields. The
// text is the wide block text or its bytes (one char per block byte).
template <class CharT, class Visit>
std::uint32_t forEachRecordText(std::basic_string_view<CharT> text, std::uint32_t count, Visit&& visit);

// The pieces between commas, empty ones included; never empty. Views into
// record_text.
Row splitFields(std::wstring_view record_text);
// The same into `fields`, whose earlier content goes (its capacity stays).
void splitFields(std::wstring_view record_text, Row& fields);

// Shares one decoded barcode between the records of a block that carry the same
// barcode: a fitting type is usually welded many times. One per decode pass.
class BarcodeCache {
 public:
  std::shared_ptr<const DecodedBarcode> get(int kind, std::wstring_view text, int variant);

 private:
  struct Key {
    int kind;
    int variant;
    std::wstring text;
  };
  struct KeyView {
    int kind;
    int variant;
    std::wstring_view text;
  };
  struct Less {
    using is_transparent = void;
    template <class A, class B>
    bool operator()(const A& a, const B& b) const {
      if (a.kind != b.kind) return a.kind < b.kind;
      if (a.variant != b.variant) return a.variant < b.variant;
      return std::wstring_view(a.text) < std::wstring_view(b.text);
    }
  };
  // A block of all different barcodes is not worth more bookkeeping than this.
  static constexpr std::size_t max_entries = 4096;
  std::map<Key, std::shared_ptr<const DecodedBarcode>, Less> entries_;
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
  // Every row is checked before the records are made: a damaged header that
  // announces thousands of records the text does not hold is rejected without
  // building them first.
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
// without cutting a single field. The text is the wide block text or its bytes.
bool recordTextsFit(std::wstring_view text, std::uint32_t count, std::uint16_t field_count);
bool recordTextsFit(std::string_view bytes, std::uint32_t count, std::uint16_t field_count);

namespace detail {

template <class Record, class CharT>
RecordVector<Record> decodeRecordText(std::basic_string_view<CharT> text, std::uint32_t count,
                                      const file::Header& header, RecordDecoder<Record> decoder,
                                      DecodeCounts& counts) {
  counts = DecodeCounts{};
  if (!recordTextsFit(text, count, header.field_count)) return nullptr;
  auto records = std::make_shared<std::vector<Record>>();
  // A full block's records take tens of megabytes, all touched at once here.
  records->reserve(count);
  preferLargePages(records->data(), count * sizeof(Record));
  records->resize(count);
  DecodeCounts found;
  BarcodeCache barcodes;
  Row fields;
  fields.reserve(header.field_count);
  std::wstring wide;  // the record's text widened from bytes; its capacity is reused
  const std::uint32_t cut_rows =
      forEachRecordText(text, count, [&, i = std::size_t{0}](std::basic_string_view<CharT> t) mutable {
        if constexpr (std::is_same_v<CharT, wchar_t>) {
          splitFields(t, fields);
        } else {
          widenBlockBytes(t, wide);
          splitFields(wide, fields);
        }
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

}  // namespace detail

// decodeRecordSet(splitRecords(text, count), header, decoder, counts) with the
// same results, but the rows are checked before anything is built and then cut
// one at a time: time and memory follow the records the block really holds.
// The text is the wide block text or its bytes, widened record by record.
template <class Record>
RecordVector<Record> decodeRecordText(std::wstring_view text, std::uint32_t count, const file::Header& header,
                                      RecordDecoder<Record> decoder, DecodeCounts& counts) {
  return detail::decodeRecordText<Record, wchar_t>(text, count, header, decoder, counts);
}
template <class Record>
RecordVector<Record> decodeRecordText(std::string_view bytes, std::uint32_t count, const file::Header& header,
                                      RecordDecoder<Record> decoder, DecodeCounts& counts) {
  return detail::decodeRecordText<Record, char>(bytes, count, header, decoder, counts);
}

template <class CharT, class Visit>
std::uint32_t forEachRecordText(std::basic_string_view<CharT> text, std::uint32_t count, Visit&& visit) {
  constexpr std::size_t npos = std::basic_string_view<CharT>::npos;
  constexpr auto stx = static_cast<CharT>(ctl::STX);
  constexpr auto etx = static_cast<CharT>(ctl::ETX);
  // Positions are carried as in std::wstring arithmetic: a missing first STX is
  // npos (so the row starts at 0), a missing first ETX is npos (the row runs to the
  // end), and an ETX before its STX gives a row that runs to the end of the text.
  std::size_t s = text.find(stx);
  std::size_t e = text.find(etx);
  for (std::uint32_t k = 0; k < count;) {
    const bool go_on = visit(text.substr(s + 1, e - s - 1));
    ++k;
    if (!go_on || s == npos || e == npos) return k;
    s = text.find(stx, s + 1);
    e = text.find(etx, e + 1);
    if (s == npos || e == npos) return k;
  }
  return count;
}

}  // namespace kj
