#include "tests/support/record_fixture.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "record/conversions.h"
#include "base/fs_path.h"
#include "records_io/record_file_reader.h"

namespace kj::test {

RecordFields soundRecord(std::size_t fields, int index) {
  RecordFields r;
  r.f = {
      std::to_wstring(index),      // 0 index on the controller
      L"ORD-001",                  // 1 order
      L"A1",                       // 2
      L"YAMADA",                   // 3 operator
      L"2403151430",               // 4 date and time
      L"0",                        // 5
      L"123",                      // 6 lifetime fusion count
      L"00000000",                 // 7 flags
      L"0",                        // 8
      L"0",                        // 9 input mode
      L"310203040633391230080000", // 10 24-digit barcode
      L"0",                        // 11 usage
      L"24",                       // 12 barcode kind
      L"123",                      // 13 resistance in hundredths
      L"25",                       // 14 temperature
      L"395",                      // 15 output voltage max
      L"390",                      // 16 output voltage min
      L"1000",                     // 17 input voltage max
      L"990",                      // 18 input voltage min
      L"60",                       // 19 target seconds
      L"0",                        // 20 remaining seconds
      L"1234",                     // 21 energy
      L"500",                      // 22 end code
      L"120",                      // 23 output current max
      L"110",                      // 24 output current min
      L"0",                        // 25 traceability length
      L"",                         // 26 traceability text
      L"0C0B01",                   // 27 lot number part
      L"105",                      // 28 version
      L"240315",                   // 29 inspection date
      L"1A03",                     // 30 lot number part
      L"15",                       // 31
      L"0",                        // 32 check sum
      L"0312345",                  // 33 lot number
      L"1",                        // 34 position flag
      L"N",                        // 35
      L"3541.1234",                // 36
      L"E",                        // 37
      L"13945.6789",               // 38
      L"1",                        // 39 battery type
      L"BAT-01",                   // 40 battery identifier
      L"12",                       // 41 battery cycles
      L"2500",                     // 42 full capacity in hundredths
      L"80",                       // 43 charge before
      L"75",                       // 44 charge after
      L"2534",                     // 45 temperature before in hundredths
      L"2600",                     // 46 temperature after in hundredths
      L"0",                        // 47 battery check sum
  };
  if (fields > r.f.size()) throw std::invalid_argument("soundRecord: too many fields");
  r.f.resize(fields);
  fixChecksums(r);
  return r;
}

std::int64_t recordChecksum(const RecordFields& r) {
  std::int64_t sum = 0;
  for (std::size_t i : {13U, 14U, 15U, 16U, 17U, 18U, 19U, 20U, 22U}) sum += parseInt32(r[i]);
  return sum;
}

std::int64_t batteryChecksum(const RecordFields& r) {
  std::int64_t sum = 0;
  for (std::size_t i : {43U, 44U, 45U, 46U}) sum += parseInt32(r[i]);
  return sum;
}

void fixChecksums(RecordFields& r) {
  if (r.f.size() > 32) r[32] = std::to_wstring(recordChecksum(r) & 0xFF);
  if (r.f.size() > 47) r[47] = std::to_wstring(batteryChecksum(r) & 0xFF);
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
