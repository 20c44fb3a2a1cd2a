#include "tests/support/xls_reader.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace kj::test {

std::uint16_t le16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(le16(b, at)) | (static_cast<std::uint32_t>(le16(b, at + 2)) << 16);
}
double leDouble(std::span<const std::uint8_t> b, std::size_t at) {
  const std::uint64_t bits = le32(b, at) | (std::uint64_t{le32(b, at + 4)} << 32);
  double v;
  std::memcpy(&v, &bits, 8);
  return v;
}

std::vector<std::uint8_t> readFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::optional<CompoundFile> readCompoundFile(std::span<const std::uint8_t> file, std::string& error) {
  constexpr std::uint32_t end_of_chain = 0xFFFFFFFE, fat_mark = 0xFFFFFFFD, difat_mark = 0xFFFFFFFC;
  const auto fail = [&](std::string why) -> std::optional<CompoundFile> {
    error = std::move(why);
    return std::nullopt;
  };
  if (file.size() < 512 || file.size() % 512 != 0) return fail("size is not a whole number of sectors");
  static constexpr std::uint8_t signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  if (std::memcmp(file.data(), signature, 8) != 0) return fail("no signature");
  if (le16(file, 26) != 3 || le16(file, 28) != 0xFFFE || le16(file, 30) != 9 || le16(file, 32) != 6) {
    return fail("not version 3 with 512-byte sectors");
  }
  const std::size_t sectors = file.size() / 512 - 1;
  const auto sector = [&](std::uint32_t s) { return file.subspan(512 + std::size_t{s} * 512, 512); };
  CompoundFile result;
  result.fat_sectors = le32(file, 44);
  result.difat_sectors = le32(file, 72);
  // The table sectors: 109 in the header, the rest in the chained extension sectors.
  std::vector<std::uint32_t> fat_list;
  for (std::size_t i = 0; i < 109 && fat_list.size() < result.fat_sectors; ++i) fat_list.push_back(le32(file, 76 + 4 * i));
  std::vector<std::uint32_t> difat_list;
  std::uint32_t next = le32(file, 68);
  for (std::uint32_t d = 0; d < result.difat_sectors; ++d) {
    if (next >= sectors) return fail("extension sector chain leaves the file");
    difat_list.push_back(next);
    const auto s = sector(next);
    for (std::size_t i = 0; i < 127 && fat_list.size() < result.fat_sectors; ++i) fat_list.push_back(le32(s, 4 * i));
    next = le32(s, 508);
  }
  if (next != end_of_chain && !(result.difat_sectors == 0 && next == end_of_chain)) {
    return fail("extension sector chain does not end");
  }
  if (fat_list.size() != result.fat_sectors) return fail("fewer table sectors than the header counts");
  std::vector<std::uint32_t> fat;
  for (const std::uint32_t s : fat_list) {
    if (s >= sectors) return fail("table sector outside the file");
    const auto bytes = sector(s);
    for (std::size_t i = 0; i < 128; ++i) fat.push_back(le32(bytes, 4 * i));
  }
  if (fat.size() < sectors) return fail("the table does not cover every sector");
  for (const std::uint32_t s : fat_list) {
    if (fat[s] != fat_mark) return fail("a table sector is not marked as one");
  }
  for (const std::uint32_t s : difat_list) {
    if (fat[s] != difat_mark) return fail("an extension sector is not marked as one");
  }
  const auto chain = [&](std::uint32_t start, std::vector<std::uint8_t>& out) {
    std::size_t steps = 0;
    for (std::uint32_t s = start; s != end_of_chain; s = fat[s]) {
      if (s >= sectors || ++steps > sectors) return false;
      const auto bytes = sector(s);
      out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return true;
  };
  std::vector<std::uint8_t> directory;
  if (!chain(le32(file, 48), directory)) return fail("broken directory chain");
  if (directory.size() < 256) return fail("directory too short");
  const auto entry = std::span<const std::uint8_t>(directory);
  if (entry[66] != 5 || le32(entry, 76) != 1) return fail("the root does not lead to entry 1");
  const auto stream_entry = entry.subspan(128, 128);
  if (stream_entry[66] != 2) return fail("entry 1 is not a stream");
  const std::size_t name_bytes = le16(stream_entry, 64);
  if (name_bytes < 2 || name_bytes > 64) return fail("bad name length");
  for (std::size_t i = 0; i + 2 < name_bytes; i += 2) result.stream_name.push_back(static_cast<char16_t>(le16(stream_entry, i)));
  const std::uint64_t size = le32(stream_entry, 120);
  if (size < le32(file, 56)) return fail("the stream belongs in the mini stream");
  if (!chain(le32(stream_entry, 116), result.stream)) return fail("broken stream chain");
  if (result.stream.size() < size) return fail("stream chain shorter than its size");
  result.stream.resize(static_cast<std::size_t>(size));
  return result;
}

std::optional<std::vector<BiffRecord>> readSubstream(std::span<const std::uint8_t> stream, std::uint64_t offset,
                                                     std::string& error, std::uint16_t stop_at) {
  std::vector<BiffRecord> records;
  for (std::uint64_t at = offset;;) {
    if (at + 4 > stream.size()) {
      error = "the records run past the stream without EOF";
      return std::nullopt;
    }
    BiffRecord r;
    r.type = le16(stream, static_cast<std::size_t>(at));
    r.offset = at;
    const std::size_t length = le16(stream, static_cast<std::size_t>(at + 2));
    if (length > 8224 || at + 4 + length > stream.size()) {
      error = "record " + std::to_string(r.type) + " too long";
      return std::nullopt;
    }
    r.data.assign(stream.begin() + static_cast<std::ptrdiff_t>(at + 4),
                  stream.begin() + static_cast<std::ptrdiff_t>(at + 4 + length));
    at += 4 + length;
    const bool eof = r.type == 0x000A || r.type == stop_at;
    records.push_back(std::move(r));
    if (eof) return records;
  }
}

std::optional<std::vector<std::u16string>> readSharedStrings(const std::vector<BiffRecord>& records,
                                                             std::string& error) {
  std::size_t first = 0;
  while (first < records.size() && records[first].type != 0x00FC) ++first;
  if (first == records.size()) {
    error = "no SST";
    return std::nullopt;
  }
  std::size_t record = first;
  std::size_t at = 8;
  const std::uint32_t unique = le32(records[first].data, 4);
  std::vector<std::u16string> strings;
  const auto fail = [&](std::string why) -> std::optional<std::vector<std::u16string>> {
    error = std::move(why) + " (string " + std::to_string(strings.size()) + ")";
    return std::nullopt;
  };
  const auto nextRecord = [&] {
    ++record;
    at = 0;
    return record < records.size() && records[record].type == 0x003C;
  };
  while (strings.size() < unique) {
    if (at == records[record].data.size() && !nextRecord()) return fail("strings missing");
    const std::vector<std::uint8_t>* data = &records[record].data;
    if (at + 3 > data->size()) return fail("a string header is split");
    std::size_t units = le16(*data, at);
    bool wide = (*data)[at + 2] & 1;
    if ((*data)[at + 2] & ~1) return fail("rich or phonetic string");
    at += 3;
    std::u16string s;
    while (units > 0) {
      if (at == data->size()) {
        if (!nextRecord()) return fail("a string is cut short");
        data = &records[record].data;
        if (data->empty()) return fail("an empty CONTINUE");
        wide = (*data)[0] & 1;  // the continuation repeats the option byte
        at = 1;
        if (!s.empty() && s.back() >= 0xD800 && s.back() <= 0xDBFF) return fail("a surrogate pair is split");
      }
      const std::size_t unit = wide ? 2 : 1;
      if (at + unit > data->size()) return fail("a record ends inside a character");
      s.push_back(wide ? static_cast<char16_t>(le16(*data, at)) : static_cast<char16_t>((*data)[at]));
      at += unit;
      --units;
    }
    strings.push_back(std::move(s));
  }
  if (at != records[record].data.size()) return fail("bytes after the last string");
  return strings;
}

}  // namespace kj::test
