#pragma once
// One loaded or received record block: what every consumer of a block takes
// (the main window's list and detail dialogs, the save flow, the exporters, the
// simple mode window).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "record/record_text.h"
#include "record/record_types.h"

namespace kj {

// What became of a block's records.
enum class LoadOutcome {
  records,      // decoded (possibly none, possibly with bad ones among them)
  invalid,      // a row's field count differs from the header's: rejected whole
  not_decoded,  // kinds 3 and 4 are never decoded
};

// Which paths fromFile reads.
enum class PathRule {
  record_files,  // only the record file extensions (efd, efdx, mrg, mrgx)
  any_file,      // any path; one without a record file extension reads as .efdx
};

// A block with its header, where it came from, the outcome, the counts of the
// decode and the records of the one record type it holds: plain records for
// kinds 0 and 1, battery records for kind 2. The records are shared and never
// changed; a copy shares them, so copies are cheap.
class LoadedBlock {
 public:
  // Reads the record file at path once: nothing for a path that is not a record
  // file (by its extension, under PathRule::record_files), a file that cannot
  // be opened or read, or a header that cannot be parsed. A merged file's
  // record count is the number of its STX characters, whatever its kind. The
  // windows read record files only; the command-line tool reads what it is
  // given.
  static std::optional<LoadedBlock> fromFile(const std::wstring& path, PathRule rule = PathRule::record_files);

  // A block received over the serial line with the header parsed from it. path
  // is where it was saved (empty when it was not); it does not change how the
  // block is read.
  static LoadedBlock fromReceived(const file::Header& header, std::wstring_view text, std::wstring path = {});

  const file::Header& header() const { return header_; }
  BlockKind kind() const { return static_cast<BlockKind>(header_.kind); }
  // The file read, or the saved path of a received block; empty for an unsaved
  // receive.
  const std::wstring& path() const { return path_; }
  LoadOutcome outcome() const { return outcome_; }
  // All zero unless the outcome is `records`.
  const DecodeCounts& counts() const { return counts_; }

  // The decoded records; null unless the outcome is `records` and the block is
  // of their type.
  const RecordVector<file::Efdx>& plainRecords() const { return plain_; }
  const RecordVector<file::EfdxBattery>& batteryRecords() const { return battery_; }
  // The records of this type (file::Efdx or file::EfdxBattery).
  template <class Record>
  const RecordVector<Record>& records() const {
    if constexpr (std::is_same_v<Record, file::EfdxBattery>) {
      return battery_;
    } else {
      return plain_;
    }
  }
  // True for blocks of battery records (kind 2).
  bool holdsBatteryRecords() const { return kind() == BlockKind::TaggedBT; }
  // Number of decoded records; 0 without records.
  std::size_t recordCount() const;

 private:
  // Decodes the text (wide, or the block's bytes) of the block whose header
  // is header_; rows is the number of rows to cut.
  template <class Text>
  void decode(Text text, std::uint32_t rows);

  file::Header header_;
  std::wstring path_;
  LoadOutcome outcome_ = LoadOutcome::not_decoded;
  DecodeCounts counts_;
  RecordVector<file::Efdx> plain_;
  RecordVector<file::EfdxBattery> battery_;
};

}  // namespace kj
