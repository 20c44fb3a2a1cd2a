#include "records_io/record_file_reader.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "record/control_chars.h"
#include "base/fs_path.h"
#include "records_io/paths.h"

namespace kj {

std::wstring decodeRecordFileBytes(const std::string& stored) {
  std::wstring text;
  text.reserve(stored.size());
  for (char s : stored) {
    const unsigned char d = substituteByte(static_cast<unsigned char>(s));
    if (d == ctl::SOH || d == ctl::STX || d == ctl::ETX) {
      text.push_back(static_cast<wchar_t>(d));
    } else if (d < 0x20 || d == 0x7F) {
      continue;  // line breaks and other control characters carry no meaning
    } else {
      text.push_back(widenByte(d));
    }
  }
  return text;
}

std::uint32_t countStx(const std::wstring& text) {
  return static_cast<std::uint32_t>(std::count(text.begin(), text.end(), ctl::STX));
}

template <class Record>
bool RecordFileReader<Record>::open(const std::wstring& path) {
  close();
  text_.clear();
  path_ = path;
  const std::filesystem::path file = fsPath(path);
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) return false;
  stream_.open(file, std::ios::binary);
  if (!stream_.is_open()) return false;
  std::string stored;
  std::error_code size_error;
  const auto size = std::filesystem::file_size(file, size_error);
  if (!size_error) stored.reserve(static_cast<std::size_t>(size));
  char chunk[1 << 16];
  while (stream_.read(chunk, sizeof chunk) || stream_.gcount() > 0) {
    stored.append(chunk, static_cast<std::size_t>(stream_.gcount()));
  }
  if (stream_.bad()) {
    stream_.close();
    return false;
  }
  stream_.clear();  // reaching the end is not an error; the stream stays open
  text_ = decodeRecordFileBytes(stored);
  try {
    header_ = parseHeader(text_, extensionOf(path) == L"efd");
  } catch (const std::logic_error&) {
    header_ = file::Header{};
    return false;
  }
  return true;
}

template <class Record>
void RecordFileReader<Record>::close() {
  if (!stream_.is_open()) return;
  text_.clear();
  stream_.close();
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
  std::uint32_t n = header_.record_count;
  if (isMergedPath(path_)) {
    n = countStx(text_);
    header_.record_count = static_cast<std::uint16_t>(n);
  }
  return splitRecords(text_, n);
}

namespace {
template <class Record>
constexpr RecordDecoder<Record> decoderFor() {
  if constexpr (std::is_same_v<Record, file::EfdxBattery>) {
    return &decodeEfdxBattery;
  } else {
    return &decodeEfdx;
  }
}
}  // namespace

template <class Record>
RecordVector<Record> RecordFileReader<Record>::parseRecords(bool& any_coord, int& bad_count,
                                                            int& abnormal_end_count) {
  DecodeCounts counts;
  auto records = decodeRecordSet<Record>(readRows(), header_, decoderFor<Record>(), counts);
  any_coord = counts.any_coord;
  bad_count = counts.bad_count;
  abnormal_end_count = counts.abnormal_end_count;
  if (records) records_ = records;
  return records;
}

template class RecordFileReader<file::Efdx>;
template class RecordFileReader<file::EfdxBattery>;

}  // namespace kj
