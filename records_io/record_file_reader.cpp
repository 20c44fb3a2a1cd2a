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

// Appends the text of stored bytes to text.
void appendDecoded(const char* stored, std::size_t size, std::wstring& text) {
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned char d = substituteByte(static_cast<unsigned char>(stored[i]));
    if (d == ctl::SOH || d == ctl::STX || d == ctl::ETX) {
      text.push_back(static_cast<wchar_t>(d));
    } else if (d < 0x20 || d == 0x7F) {
      continue;  // line breaks and other control characters carry no meaning
    } else {
      text.push_back(widenByte(d));
    }
  }
}

}  // namespace

std::wstring decodeRecordFileBytes(const std::string& stored) {
  std::wstring text;
  text.reserve(stored.size());
  appendDecoded(stored.data(), stored.size(), text);
  return text;
}

std::optional<std::wstring> readRecordFileText(const std::wstring& path) {
  const std::filesystem::path file = fsPath(path);
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) return std::nullopt;
  std::ifstream stream(file, std::ios::binary);
  if (!stream.is_open()) return std::nullopt;
  std::wstring text;
  // The bytes are decoded chunk by chunk: the stored bytes are never held whole
  // beside their text.
  std::error_code size_error;
  const auto size = std::filesystem::file_size(file, size_error);
  if (!size_error && size < text.max_size()) text.reserve(static_cast<std::size_t>(size));
  char chunk[1 << 16];
  while (stream.read(chunk, sizeof chunk) || stream.gcount() > 0) {
    appendDecoded(chunk, static_cast<std::size_t>(stream.gcount()), text);
  }
  if (stream.bad()) return std::nullopt;
  return text;
}

std::uint32_t countStx(const std::wstring& text) {
  return static_cast<std::uint32_t>(std::count(text.begin(), text.end(), ctl::STX));
}

std::uint32_t recordRowCount(const std::wstring& text, const std::wstring& path, file::Header& header) {
  if (!isMergedPath(path)) return header.record_count;
  const std::uint32_t n = countStx(text);
  header.record_count = static_cast<std::uint16_t>(n);
  return n;
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
