#include "records_io/loaded_block.h"

#include <stdexcept>
#include <utility>

#include "records_io/paths.h"
#include "records_io/record_file_reader.h"

namespace kj {

std::optional<LoadedBlock> LoadedBlock::fromFile(const std::wstring& path) {
  if (!isRecordFilePath(path)) return std::nullopt;
  std::optional<std::wstring> text = readRecordFileText(path);
  if (!text) return std::nullopt;
  LoadedBlock block;
  try {
    block.header_ = parseHeader(*text, extensionOf(path) == L"efd");
  } catch (const std::logic_error&) {
    return std::nullopt;
  }
  block.path_ = path;
  const std::uint32_t rows = recordRowCount(*text, path, block.header_);
  block.decode(*text, rows);
  return block;  // the text goes here: the records hold their own copies
}

LoadedBlock LoadedBlock::fromReceived(const file::Header& header, std::wstring_view text, std::wstring path) {
  LoadedBlock block;
  block.header_ = header;
  block.path_ = std::move(path);
  block.decode(text, header.record_count);
  return block;
}

void LoadedBlock::decode(std::wstring_view text, std::uint32_t rows) {
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
