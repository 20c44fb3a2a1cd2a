#include "tests/support/record_fixture.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "record/conversions.h"
#include "record/record_fields.h"
#include "base/fs_path.h"
#include "records_io/record_file_reader.h"

namespace kj::test {

namespace rf = record_field;

RecordFields soundRecord(std::size_t fields, int index) {
  RecordFields r;
  r.f.resize(rf::count_battery);
  r[rf::number] = std::to_wstring(index);
  r[rf::order] = L"ORD-001";
  r[rf::aux_text] = L"A1";
  r[rf::worker] = L"YAMADA";
  r[rf::datetime] = L"2403151430";
  r[rf::unused_5] = L"0";
  r[rf::lifecycle_counts] = L"123";
  r[rf::flags] = L"00000000";
  r[rf::unused_8] = L"0";
  r[rf::input_mode] = L"0";
  r[rf::barcode] = L"310203040633391230080000";
  r[rf::usage] = L"0";
  r[rf::barcode_kind] = L"24";
  r[rf::resistance] = L"123";
  r[rf::temperature] = L"25";
  r[rf::output_voltage_max] = L"395";
  r[rf::output_voltage_min] = L"390";
  r[rf::input_voltage_max] = L"1000";
  r[rf::input_voltage_min] = L"990";
  r[rf::output_seconds] = L"60";
  r[rf::remain_output_seconds] = L"0";
  r[rf::energy] = L"1234";
  r[rf::end_code] = L"500";
  r[rf::output_current_max] = L"120";
  r[rf::output_current_min] = L"110";
  r[rf::traceability_length] = L"0";
  r[rf::traceability_barcode] = L"";
  r[rf::lot_hex6] = L"0C0B01";
  r[rf::version] = L"105";
  r[rf::maintenance_date] = L"240315";
  r[rf::lot_hex4] = L"1A03";
  r[rf::value_31] = L"15";
  r[rf::checksum] = L"0";
  r[rf::lot_number] = L"0312345";
  r[rf::position_flag] = L"1";
  r[rf::latitude_hemisphere] = L"N";
  r[rf::latitude] = L"3541.1234";
  r[rf::longitude_hemisphere] = L"E";
  r[rf::longitude] = L"13945.6789";
  r[rf::battery_type] = L"1";
  r[rf::battery_identifier] = L"BAT-01";
  r[rf::battery_cycle] = L"12";
  r[rf::battery_full_capacity] = L"2500";
  r[rf::battery_capacity_before] = L"80";
  r[rf::battery_capacity_after] = L"75";
  r[rf::battery_temperature_before] = L"2534";
  r[rf::battery_temperature_after] = L"2600";
  r[rf::battery_checksum] = L"0";
  if (fields > r.f.size()) throw std::invalid_argument("soundRecord: too many fields");
  r.f.resize(fields);
  fixChecksums(r);
  return r;
}

std::vector<RecordFields> variedRecords(std::size_t count, std::size_t fields) {
  std::vector<RecordFields> records;
  records.reserve(count);
  for (std::size_t n = 0; n < count; ++n) {
    const int i = static_cast<int>(n);
    RecordFields r = soundRecord(fields, i);
    r[rf::datetime] = L"24" + std::to_wstring(10 + i % 3) + L"1" + std::to_wstring(i % 10) + L"1430";
    r[rf::resistance] = std::to_wstring(100 + i % 400);
    r[rf::end_code] = i % 17 == 0 ? L"303" : L"500";
    if (fields > rf::latitude) r[rf::latitude] = L"35" + std::to_wstring(10 + i % 50) + L".1234";
    fixChecksums(r);
    records.push_back(std::move(r));
  }
  return records;
}

std::int64_t recordChecksum(const RecordFields& r) {
  std::int64_t sum = 0;
  for (std::size_t i : rf::record_checksum_fields) sum += parseInt32(r[i]);
  return sum;
}

std::int64_t batteryChecksum(const RecordFields& r) {
  std::int64_t sum = 0;
  for (std::size_t i : rf::battery_checksum_fields) sum += parseInt32(r[i]);
  return sum;
}

void fixChecksums(RecordFields& r) {
  if (r.f.size() > rf::checksum) r[rf::checksum] = std::to_wstring(recordChecksum(r) & 0xFF);
  if (r.f.size() > rf::battery_checksum) r[rf::battery_checksum] = std::to_wstring(batteryChecksum(r) & 0xFF);
}

std::wstring framed(const RecordFields& r) {
  std::wstring text(1, L'\x02');
  for (std::size_t i = 0; i < r.f.size(); ++i) {
    if (i) text += L',';
    text += r.f[i];
  }
  text += L'\x03';
  return text;
}

namespace {
std::wstring padded(int value, std::size_t width) {
  std::wstring s = std::to_wstring(value);
  if (s.size() < width) s.insert(0, width - s.size(), L'0');
  return s;
}
}  // namespace

std::wstring taggedHeader(const std::wstring& letters, int revision, int field_count, int record_count) {
  return L"\x01" + letters + L"," + padded(revision, 2) + L"," + padded(field_count, 3) + L"," +
         padded(record_count, 4) + L",";
}

std::wstring blockText(const std::wstring& header, const std::vector<RecordFields>& records) {
  std::wstring text = header.empty() ? std::to_wstring(records.size()) + L"," : header;
  for (const RecordFields& r : records) text += L"\r\n" + framed(r);
  return text + L"\r\n";
}

std::wstring headerlessBlock(const std::vector<RecordFields>& records) { return blockText(L"", records); }

std::string storedBytes(const std::wstring& text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (wchar_t c : text) {
    const auto u = static_cast<unsigned long>(c);
    unsigned char b = 0;
    if (u < 0x80) b = static_cast<unsigned char>(u);
    else if (u >= 0xFF80 && u <= 0xFFFF) b = static_cast<unsigned char>(u & 0xFF);
    else throw std::invalid_argument("storedBytes: character is not a block byte");
    bytes.push_back(static_cast<char>(substituteByte(b)));
  }
  return bytes;
}

void writeBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(fsPath(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("writeBytes failed");
}

std::string readBytes(const std::wstring& path) {
  std::ifstream in(fsPath(path), std::ios::binary);
  if (!in) throw std::runtime_error("readBytes failed");
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::map<std::string, std::string> folderContents(const std::filesystem::path& folder) {
  std::map<std::string, std::string> contents;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    const std::filesystem::path relative = entry.path().lexically_relative(folder);
    // The tests' names are ASCII, the same bytes on every system.
    contents[relative.generic_string()] = entry.is_directory() ? std::string("<folder>") : readBytes(widePath(entry.path()));
  }
  return contents;
}

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = std::filesystem::temp_directory_path() /
          ("kjvt58-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(path_);
}

std::wstring TempDir::file(const std::wstring& name) const { return widePath(path_) + L"/" + name; }

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace kj::test
