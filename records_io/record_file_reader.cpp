#include "records_io/record_file_reader.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <utility>
#include <stdexcept>
#include <system_error>

#include "record/control_chars.h"
#include "base/fs_path.h"
#include "records_io/paths.h"

namespace kj {

namespace {

bool keptByte(unsigned char d) {
  // Line breaks and other control characters carry no meaning.
  return d == ctl::SOH || d == ctl::STX || d == ctl::ETX || (d >= 0x20 && d != 0x7F);
}

// Un-substitutes the n stored bytes at `bytes` in place and keeps only the
// block bytes among them, moved to the front; returns how many were kept.
std::size_t unsubstituteKept(char* bytes, std::size_t n) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char d = substituteByte(static_cast<unsigned char>(bytes[i]));
    bytes[kept] = static_cast<char>(d);
    if (keptByte(d)) ++kept;
  }
  return kept;
}

// The rows of a merged file: its STX characters, wide or as bytes.
template <class CharT>
std::uint32_t rowCount(std::basic_string_view<CharT> text, const std::wstring& path, file::Header& header) {
  if (!isMergedPath(path)) return header.record_count;
  const auto n = static_cast<std::uint32_t>(std::count(text.begin(), text.end(), static_cast<CharT>(ctl::STX)));
  header.record_count = static_cast<std::uint16_t>(n);
  return n;
}

}  // namespace

std::wstring decodeRecordFileBytes(const std::string& stored) {
  std::string bytes = stored;
  bytes.resize(unsubstituteKept(bytes.data(), bytes.size()));
  return widenBlockBytes(bytes);
}

std::optional<std::string> readRecordFileBytes(const std::wstring& path) {
  const std::filesystem::path file = fsPath(path);
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) return std::nullopt;
  std::ifstream stream(file, std::ios::binary);
  if (!stream.is_open()) return std::nullopt;
  std::string bytes;
  std::error_code size_error;
  const auto size = std::filesystem::file_size(file, size_error);
  if (!size_error && size < bytes.max_size()) bytes.reserve(static_cast<std::size_t>(size));
  char chunk[1 << 16];
  while (stream.read(chunk, sizeof chunk) || stream.gcount() > 0) {
    bytes.append(chunk, unsubstituteKept(chunk, static_cast<std::size_t>(stream.gcount())));
  }
  if (stream.bad()) return std::nullopt;
  return bytes;
}

std::optional<std::wstring> readRecordFileText(const std::wstring& path) {
  const std::optional<std::string> bytes = readRecordFileBytes(path);
  if (!bytes) return std::nullopt;
  return widenBlockBytes(*bytes);
}

std::uint32_t recordRowCount(std::wstring_view text, const std::wstring& path, file::Header& header) {
  return rowCount(text, path, header);
}

std::uint32_t recordRowCount(std::string_view bytes, const std::wstring& path, file::Header& header) {
  return rowCount(bytes, path, header);
}

template <class Record>
bool RecordFileReader<Record>::open(const std::wstring& path) {
  open_ = false;
  text_.clear();
  path_ = path;
  std::optional<std::wstring> text = readRecordFileText(path);
  std::optional<file::Header> header;
  if (text) {
    try {
      header = parseHeader(*text, extensionOf(path) == L"efd");
    } catch (const std::logic_error&) {
      header.reset();
    }
  }
  if (!header) {
    // Nothing of an earlier file may pass for this one's.
    header_ = file::Header{};
    records_.reset();
    return false;
  }
  header_ = *header;
  text_ = std::move(*text);
  open_ = true;
  return true;
}

template <class Record>
void RecordFileReader<Record>::close() {
  if (!open_) return;
  text_.clear();
  open_ = false;
}

template <class Record>
bool RecordFileReader<Record>::setReceived(const file::Header& header, const std::wstring& text) {
  path_.clear();
  text_ = text;
  header_ = header;
  return true;
}

template <class Record>
Rows RecordFileReader<Record>::readRows() {
  return splitRecords(text_, recordRowCount(text_, path_, header_));
}

template <class Record>
RecordVector<Record> RecordFileReader<Record>::parseRecords(bool& any_coord, int& bad_count,
                                                            int& abnormal_end_count) {
  DecodeCounts counts;
  const std::uint32_t n = recordRowCount(text_, path_, header_);
  auto records = decodeRecordText<Record>(text_, n, header_, recordDecoder<Record>(), counts);
  any_coord = counts.any_coord;
  bad_count = counts.bad_count;
  abnormal_end_count = counts.abnormal_end_count;
  if (records) records_ = records;
  return records;
}

template class RecordFileReader<file::Efdx>;
template class RecordFileReader<file::EfdxBattery>;

}  // namespace kj
