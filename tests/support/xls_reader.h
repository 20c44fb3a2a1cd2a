#pragma once
// Small readers of what the workbook writer produces, written apart from it:
// the compound file (header, extension sectors, allocation table, directory,
// one stream followed along its chain) and the BIFF records of the stream.
// Every inconsistency is an error text, never a guess.

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kj::test {

struct CompoundFile {
  std::u16string stream_name;
  std::vector<std::uint8_t> stream;
  std::uint32_t fat_sectors = 0;
  std::uint32_t difat_sectors = 0;
};

// The one stream beside the root storage; `error` says what was wrong.
std::optional<CompoundFile> readCompoundFile(std::span<const std::uint8_t> file, std::string& error);

struct BiffRecord {
  std::uint16_t type = 0;
  std::uint64_t offset = 0;  // of the record header in the stream
  std::vector<std::uint8_t> data;
};

// The records from `offset` up to and including the next EOF (or the first
// record of type `stop_at`).
std::optional<std::vector<BiffRecord>> readSubstream(std::span<const std::uint8_t> stream, std::uint64_t offset,
                                                     std::string& error, std::uint16_t stop_at = 0x000A);

// The shared strings of an SST record and its CONTINUE records; checks that a
// string continued in the next record starts it with its option byte and that
// no record ends inside a character or between the halves of a surrogate pair.
std::optional<std::vector<std::u16string>> readSharedStrings(const std::vector<BiffRecord>& records,
                                                             std::string& error);

std::uint16_t le16(std::span<const std::uint8_t> bytes, std::size_t at);
std::uint32_t le32(std::span<const std::uint8_t> bytes, std::size_t at);
double leDouble(std::span<const std::uint8_t> bytes, std::size_t at);

std::vector<std::uint8_t> readFileBytes(const std::string& path);

}  // namespace kj::test
