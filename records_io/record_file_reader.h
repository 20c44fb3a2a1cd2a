#pragma once
// Reading record files: the byte substitution, the block header and the decode
// of the rows into records.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "record/record_text.h"
#include "record/record_types.h"

namespace kj {

// The one-byte substitution of record files; it is its own inverse.
inline constexpr unsigned char substitution_constant = 0xC5;
constexpr unsigned char substituteByte(unsigned char b) {
  return static_cast<unsigned char>(substitution_constant - b);
}

// Text of stored file bytes: each byte is un-substituted; SOH, STX and ETX are
// kept, other control characters dropped, and the remaining bytes widened with
// sign extension (0x80-0xFF become U+FF80-U+FFFF), as bytes from the serial line.
std::wstring decodeRecordFileBytes(const std::string& stored);

// The block bytes of the record file at path: each stored byte un-substituted,
// SOH, STX and ETX kept and other control characters dropped, one char per block
// byte (not yet widened). Read whole and closed again; nothing when the file
// cannot be opened or read (a folder cannot).
std::optional<std::string> readRecordFileBytes(const std::wstring& path);

// The same bytes widened to the block text (decodeRecordFileBytes).
std::optional<std::wstring> readRecordFileText(const std::wstring& path);

// The number of rows a block's text is cut into: the header's record count, or
// for a merged file (by its path) the number of STX characters, which then also
// replaces the header's record count.
std::uint32_t recordRowCount(std::wstring_view text, const std::wstring& path, file::Header& header);
std::uint32_t recordRowCount(std::string_view bytes, const std::wstring& path, file::Header& header);


// One reader per record type: RecordFileReader<file::Efdx> for plain records and
// RecordFileReader<file::EfdxBattery> for battery records. Used on one thread.
template <class Record>
class RecordFileReader {
 public:
  // Reads and decodes the whole file and parses its header; the file itself is
  // closed again at once. False when the file cannot be opened or read, or its
  // header cannot be parsed: the reader is then closed and holds no text,
  // header or records of an earlier file.
  bool open(const std::wstring& path);

  // Empties the text of an opened file; nothing when no file is open.
  void close();

  // Takes a block that arrived over the serial line; the path becomes empty.
  bool setReceived(const file::Header& header, const std::wstring& text);

  // The rows of the text. For merged files the count is the number of STX
  // characters, which also replaces the header's record count.
  Rows readRows();

  // Decodes the rows; null when a row's field count differs from the header's.
  // The reader keeps a non-null result.
  RecordVector<Record> parseRecords(bool& any_coord, int& bad_count, int& abnormal_end_count);

  const std::wstring& text() const { return text_; }
  const std::wstring& path() const { return path_; }
  const file::Header& header() const { return header_; }
  const RecordVector<Record>& records() const { return records_; }
  // Between a successful open and the next open or close.
  bool isOpen() const { return open_; }

 private:
  bool open_ = false;
  std::wstring text_;
  std::wstring path_;
  file::Header header_;
  RecordVector<Record> records_;
};

extern template class RecordFileReader<file::Efdx>;
extern template class RecordFileReader<file::EfdxBattery>;

using EfdxReader = RecordFileReader<file::Efdx>;
using EfdxBatteryReader = RecordFileReader<file::EfdxBattery>;

}  // namespace kj
