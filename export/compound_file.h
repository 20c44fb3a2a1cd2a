#pragma once
// A compound file (version 3, 512-byte sectors) holding one stream beside its
// root storage, written in one pass: the stream's bytes go to the file as
// they come, sector 0 onward, and the allocation table, its extension sectors
// (beyond 109 table sectors), the directory and the header follow when the
// stream is finished. A stream shorter than 4096 bytes is padded with zeros to
// 4096, so it never belongs in the mini stream.

#include <cstdint>
#include <ostream>
#include <span>
#include <string_view>
#include <vector>

namespace kj::cfb {

inline constexpr std::size_t sector_size = 512;
inline constexpr std::uint64_t min_stream_size = 4096;
inline constexpr std::uint32_t end_of_chain = 0xFFFFFFFE;
inline constexpr std::uint32_t free_sector = 0xFFFFFFFF;
inline constexpr std::uint32_t fat_sector = 0xFFFFFFFD;
inline constexpr std::uint32_t difat_sector = 0xFFFFFFFC;
inline constexpr std::size_t header_difat_entries = 109;

// Where the sectors of a file with a stream of `stream_size` bytes go: the
// stream first, then the allocation table, then its extension sectors, then
// the one directory sector.
struct SectorPlan {
  std::uint32_t stream_sectors = 0;
  std::uint32_t fat_sectors = 0;
  std::uint32_t difat_sectors = 0;
  std::uint32_t total() const { return stream_sectors + fat_sectors + difat_sectors + 1; }
  std::uint32_t firstFatSector() const { return stream_sectors; }
  std::uint32_t firstDifatSector() const { return stream_sectors + fat_sectors; }
  std::uint32_t directorySector() const { return stream_sectors + fat_sectors + difat_sectors; }
};
SectorPlan planSectors(std::uint64_t stream_size);

class StreamWriter {
 public:
  // `out` must be positioned at its start and seekable; the header sector is
  // reserved at once.
  explicit StreamWriter(std::ostream& out);
  StreamWriter(const StreamWriter&) = delete;
  StreamWriter& operator=(const StreamWriter&) = delete;

  void write(std::span<const std::uint8_t> bytes);
  // Overwrites bytes written before at `stream_offset` (the stream must hold them).
  void patch(std::uint64_t stream_offset, std::span<const std::uint8_t> bytes);
  std::uint64_t size() const { return size_; }

  // Pads the stream, writes the tables, the directory naming the stream
  // `stream_name` (at most 31 characters) and the header. True when every
  // byte reached the output.
  bool finish(std::u16string_view stream_name);

 private:
  void flush();

  std::ostream& out_;
  std::vector<std::uint8_t> buffer_;
  std::uint64_t flushed_ = 0;  // stream bytes already handed to out_
  std::uint64_t size_ = 0;
  bool failed_ = false;
};

}  // namespace kj::cfb
