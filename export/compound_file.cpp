#include "export/compound_file.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kj::cfb {

namespace {

constexpr std::size_t buffer_capacity = 1 << 20;
constexpr std::uint32_t entries_per_sector = sector_size / 4;
constexpr std::uint32_t difat_entries_per_sector = entries_per_sector - 1;
constexpr std::uint32_t no_stream = 0xFFFFFFFF;

void put16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t divideUp(std::uint64_t n, std::uint64_t d) { return static_cast<std::uint32_t>((n + d - 1) / d); }

using Sector = std::array<std::uint8_t, sector_size>;

// One 128-byte directory entry.
void putEntry(std::uint8_t* p, std::u16string_view name, std::uint8_t type, std::uint32_t child,
              std::uint32_t start, std::uint64_t size) {
  for (std::size_t i = 0; i < name.size(); ++i) put16(p + 2 * i, static_cast<std::uint16_t>(name[i]));
  put16(p + 64, static_cast<std::uint16_t>((name.size() + 1) * 2));
  p[66] = type;
  p[67] = 1;  // black
  put32(p + 68, no_stream);
  put32(p + 72, no_stream);
  put32(p + 76, child);
  put32(p + 116, start);
  put32(p + 120, static_cast<std::uint32_t>(size));
  put32(p + 124, static_cast<std::uint32_t>(size >> 32));
}

}  // namespace

SectorPlan planSectors(std::uint64_t stream_size) {
  SectorPlan plan;
  plan.stream_sectors = divideUp(std::max(stream_size, min_stream_size), sector_size);
  // The table must cover its own sectors and the extension sectors, which in
  // turn depend on the table's size: grow both until they settle.
  for (;;) {
    const std::uint32_t fat = divideUp(plan.total(), entries_per_sector);
    const std::uint32_t difat =
        fat > header_difat_entries ? divideUp(fat - header_difat_entries, difat_entries_per_sector) : 0;
    if (fat == plan.fat_sectors && difat == plan.difat_sectors) return plan;
    plan.fat_sectors = std::max(fat, plan.fat_sectors);
    plan.difat_sectors = std::max(difat, plan.difat_sectors);
  }
}

StreamWriter::StreamWriter(std::ostream& out) : out_(out) {
  buffer_.reserve(buffer_capacity);
  const Sector header{};
  out_.write(reinterpret_cast<const char*>(header.data()), header.size());
  if (!out_) failed_ = true;
}

void StreamWriter::flush() {
  if (buffer_.empty()) return;
  out_.write(reinterpret_cast<const char*>(buffer_.data()), static_cast<std::streamsize>(buffer_.size()));
  if (!out_) failed_ = true;
  flushed_ += buffer_.size();
  buffer_.clear();
}

void StreamWriter::write(std::span<const std::uint8_t> bytes) {
  if (buffer_.size() + bytes.size() > buffer_capacity) flush();
  if (bytes.size() >= buffer_capacity) {
    out_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out_) failed_ = true;
    flushed_ += bytes.size();
  } else {
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
  }
  size_ += bytes.size();
}

void StreamWriter::patch(std::uint64_t stream_offset, std::span<const std::uint8_t> bytes) {
  if (stream_offset + bytes.size() > size_) {
    failed_ = true;
    return;
  }
  // The part still in the buffer.
  if (stream_offset + bytes.size() > flushed_) {
    const std::uint64_t from = std::max(stream_offset, flushed_);
    const std::size_t skip = static_cast<std::size_t>(from - stream_offset);
    std::memcpy(buffer_.data() + (from - flushed_), bytes.data() + skip, bytes.size() - skip);
    if (skip == 0) return;
  }
  // The part already in the file.
  const std::size_t in_file = static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), flushed_ - stream_offset));
  out_.seekp(static_cast<std::streamoff>(sector_size + stream_offset));
  out_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(in_file));
  out_.seekp(static_cast<std::streamoff>(sector_size + flushed_));
  if (!out_) failed_ = true;
}

bool StreamWriter::finish(std::u16string_view stream_name) {
  if (stream_name.size() > 31) return false;
  const std::uint64_t padded = std::max(size_, min_stream_size);
  const SectorPlan plan = planSectors(padded);
  // Zeros up to the end of the stream's last sector.
  const std::vector<std::uint8_t> zeros(
      static_cast<std::size_t>(std::uint64_t{plan.stream_sectors} * sector_size - size_), 0);
  const std::uint64_t stream_size = padded;
  write(zeros);
  flush();

  // The allocation table.
  std::vector<std::uint32_t> fat(std::size_t{plan.fat_sectors} * entries_per_sector, free_sector);
  for (std::uint32_t s = 0; s + 1 < plan.stream_sectors; ++s) fat[s] = s + 1;
  fat[plan.stream_sectors - 1] = end_of_chain;
  for (std::uint32_t i = 0; i < plan.fat_sectors; ++i) fat[plan.firstFatSector() + i] = fat_sector;
  for (std::uint32_t i = 0; i < plan.difat_sectors; ++i) fat[plan.firstDifatSector() + i] = difat_sector;
  fat[plan.directorySector()] = end_of_chain;
  std::vector<std::uint8_t> bytes(fat.size() * 4);
  for (std::size_t i = 0; i < fat.size(); ++i) put32(bytes.data() + 4 * i, fat[i]);
  out_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));

  // The extension sectors: the table sectors after the first 109, chained.
  for (std::uint32_t d = 0; d < plan.difat_sectors; ++d) {
    Sector sector;
    sector.fill(0xFF);
    for (std::uint32_t i = 0; i < difat_entries_per_sector; ++i) {
      const std::uint64_t index = header_difat_entries + std::uint64_t{d} * difat_entries_per_sector + i;
      if (index < plan.fat_sectors) put32(sector.data() + 4 * i, plan.firstFatSector() + static_cast<std::uint32_t>(index));
    }
    put32(sector.data() + sector_size - 4,
          d + 1 < plan.difat_sectors ? plan.firstDifatSector() + d + 1 : end_of_chain);
    out_.write(reinterpret_cast<const char*>(sector.data()), sector.size());
  }

  // The directory: the root storage and the stream; two unused entries.
  Sector directory{};
  putEntry(directory.data(), u"Root Entry", 5, 1, end_of_chain, 0);
  putEntry(directory.data() + 128, stream_name, 2, no_stream, 0, stream_size);
  for (int unused = 2; unused < 4; ++unused) {
    std::uint8_t* p = directory.data() + 128 * unused;
    put32(p + 68, no_stream);
    put32(p + 72, no_stream);
    put32(p + 76, no_stream);
  }
  out_.write(reinterpret_cast<const char*>(directory.data()), directory.size());

  // The header.
  Sector header{};
  static constexpr std::uint8_t signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  std::memcpy(header.data(), signature, 8);
  put16(header.data() + 24, 0x003E);  // minor version
  put16(header.data() + 26, 0x0003);  // major version 3
  put16(header.data() + 28, 0xFFFE);  // little-endian
  put16(header.data() + 30, 9);       // 512-byte sectors
  put16(header.data() + 32, 6);       // 64-byte mini sectors
  put32(header.data() + 44, plan.fat_sectors);
  put32(header.data() + 48, plan.directorySector());
  put32(header.data() + 56, static_cast<std::uint32_t>(min_stream_size));
  put32(header.data() + 60, end_of_chain);  // no mini table
  put32(header.data() + 68, plan.difat_sectors > 0 ? plan.firstDifatSector() : end_of_chain);
  put32(header.data() + 72, plan.difat_sectors);
  for (std::uint32_t i = 0; i < header_difat_entries; ++i) {
    put32(header.data() + 76 + 4 * i, i < plan.fat_sectors ? plan.firstFatSector() + i : free_sector);
  }
  out_.seekp(0);
  out_.write(reinterpret_cast<const char*>(header.data()), header.size());
  out_.flush();
  if (!out_) failed_ = true;
  return !failed_;
}

}  // namespace kj::cfb
