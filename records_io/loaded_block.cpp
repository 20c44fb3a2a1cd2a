#include "records_io/loaded_block.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "record/control_chars.h"
#include "records_io/paths.h"
#include "records_io/record_file_reader.h"

namespace kj {

namespace {

// The header of a block's bytes. Only the text up to the comma after the record
// count is read, so only that much is widened: up to the first comma of a
// headerless block, or the first at or after the record count of a tagged
// header; everything when there is no such comma.
file::Header headerOfBytes(std::string_view bytes, bool short_block) {
  constexpr std::size_t tagged_data_start = 11;
  const bool tagged = !bytes.empty() && bytes[0] == static_cast<char>(ctl::SOH);
  const std::size_t comma = bytes.find(',', tagged ? std::min(bytes.size(), tagged_data_start) : 0);
  const std::string_view head = comma == std::string_view::npos ? bytes : bytes.substr(0, comma + 1);
  return parseHeader(widenBlockBytes(head), short_block);
}

}  // namespace

std::optional<LoadedBlock> LoadedBlock::fromFile(const std::wstring& path, PathRule rule) {
  if (rule == PathRule::record_files && !isRecordFilePath(path)) return std::nullopt;
  // The bytes take a quarter (Linux) or half (Windows) of the wide text: the
  // records are widened one at a time while they are decoded.
  const std::optional<std::string> bytes = readRecordFileBytes(path);
  if (!bytes) return std::nullopt;
  LoadedBlock block;
  try {
    block.header_ = headerOfBytes(*bytes, extensionOf(path) == L"efd");
  } catch (const std::logic_error&) {
    return std::nullopt;
  }
  block.path_ = path;
  const std::uint32_t rows = recordRowCount(std::string_view(*bytes), path, block.header_);
  block.decode(std::string_view(*bytes), rows);
  return block;  // the bytes go here: the records hold their own texts
}

LoadedBlock LoadedBlock::fromReceived(const file::Header& header, std::wstring_view text, std::wstring path) {
  LoadedBlock block;
  block.header_ = header;
  block.path_ = std::move(path);
  block.decode(text, header.record_count);
  return block;
}

template <class Text>
void LoadedBlock::decode(Text text, std::uint32_t rows) {
  switch (kind()) {
    case BlockKind::Headerless33:
    case BlockKind::Headerless39:
      plain_ = decodeRecordText<file::Efdx>(text, rows, header_, recordDecoder<file::Efdx>(), counts_);
      outcome_ = plain_ ? LoadOutcome::records : LoadOutcome::invalid;
      break;
    case BlockKind::TaggedBT:
      battery_ = decodeRecordText<file::EfdxBattery>(text, rows, header_, recordDecoder<file::EfdxBattery>(), counts_);
      outcome_ = battery_ ? LoadOutcome::records : LoadOutcome::invalid;
      break;
    default:
      outcome_ = LoadOutcome::not_decoded;
      break;
  }
}

std::size_t LoadedBlock::recordCount() const {
  if (plain_) return plain_->size();
  if (battery_) return battery_->size();
  return 0;
}

}  // namespace kj
