#pragma once
// Builds record texts and record files for tests from field values.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "record/record_types.h"

namespace kj::test {

// The fields of one record, numbered as the controller sends them.
struct RecordFields {
  std::vector<std::wstring> f;

  std::wstring& operator[](std::size_t i) { return f.at(i); }
  const std::wstring& operator[](std::size_t i) const { return f.at(i); }
  // The fields as the decoder takes them; valid while this object lives.
  Row row() const { return Row(f.begin(), f.end()); }
};

// A sound record that ended normally: 24-digit barcode, usage 0, a position,
// check sum set. `fields` is 33 (kind 0), 39 (kinds 1) or 48 (battery).
RecordFields soundRecord(std::size_t fields = 39, int index = 0);

// `count` sound records of `fields` fields that differ from each other in
// their index, date, resistance, end code (every 17th ended with 303) and
// latitude: the material of the large files of the benchmarks.
std::vector<RecordFields> variedRecords(std::size_t count, std::size_t fields = 39);

// Sets field 32 to the record check sum (and field 47 to the battery check sum
// when the record has it), so the record is sound.
void fixChecksums(RecordFields& r);

// The record check sum of fields 13-20 and 22, and the battery sum of 43-46.
std::int64_t recordChecksum(const RecordFields& r);
std::int64_t batteryChecksum(const RecordFields& r);

// STX + fields joined by commas + ETX.
std::wstring framed(const RecordFields& r);

// A tagged header: SOH, letters, ",", revision (2 digits), ",", field count
// (3 digits), ",", record count (4 digits), ",".
std::wstring taggedHeader(const std::wstring& letters, int revision, int field_count, int record_count);

// A block: header (or the bare count and "," when header is empty), then every
// record framed, separated by CR LF as the controller's files often are.
std::wstring blockText(const std::wstring& header, const std::vector<RecordFields>& records);
std::wstring headerlessBlock(const std::vector<RecordFields>& records);

// The stored bytes of a record file holding text (ASCII and widened bytes).
std::string storedBytes(const std::wstring& text);

void writeBytes(const std::wstring& path, const std::string& bytes);
std::string readBytes(const std::wstring& path);

// Everything below `folder`: each entry's path relative to it (generic form,
// UTF-8) with its bytes, or "<folder>" for a folder.
std::map<std::string, std::string> folderContents(const std::filesystem::path& folder);

// A fresh temporary folder removed with everything in it at the end of the scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::wstring file(const std::wstring& name) const;

 private:
  std::filesystem::path path_;
};

}  // namespace kj::test
