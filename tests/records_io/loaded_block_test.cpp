#include "record/record_fields.h"
#include "records_io/loaded_block.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/fs_path.h"
#include "records_io/record_file_reader.h"
#include "tests/records_io/allocation_meter.h"
#include "tests/support/record_fixture.h"

namespace kj {
namespace {

using test::RecordFields;
using test::soundRecord;

class LoadedBlockTest : public testing::Test {
 protected:
  std::wstring write(const std::wstring& name, const std::wstring& text) {
    const std::wstring path = dir_.file(name);
    test::writeBytes(path, test::storedBytes(text));
    return path;
  }
  // A file of `repeat` copies of the decoded text `unit`, written without
  // building the wide text first.
  std::wstring writeRepeated(const std::wstring& name, const std::string& unit, std::size_t repeat,
                             const std::string& head = {}) {
    std::string stored;
    stored.reserve(head.size() + unit.size() * repeat);
    for (char c : head) stored.push_back(static_cast<char>(substituteByte(static_cast<unsigned char>(c))));
    std::string stored_unit;
    for (char c : unit) stored_unit.push_back(static_cast<char>(substituteByte(static_cast<unsigned char>(c))));
    for (std::size_t i = 0; i < repeat; ++i) stored += stored_unit;
    const std::wstring path = dir_.file(name);
    test::writeBytes(path, stored);
    return path;
  }
  test::TempDir dir_;
};

RecordFields withEndCode(RecordFields r, const std::wstring& code) {
  r[record_field::end_code] = code;
  test::fixChecksums(r);
  return r;
}

TEST_F(LoadedBlockTest, KindDecidesTheRecordsAndTheOutcome) {
  RecordFields bad = soundRecord(39, 1);
  bad[record_field::checksum] = L"0";
  struct Case {
    const wchar_t* name;
    std::wstring text;
    BlockKind kind;
    LoadOutcome outcome;
    std::size_t plain;    // records of each type; npos: null
    std::size_t battery;
    std::uint16_t record_count;
    DecodeCounts counts;
  };
  constexpr std::size_t none = std::wstring::npos;
  const Case cases[] = {
      {L"plain.efdx", test::headerlessBlock({soundRecord(39, 0), bad, withEndCode(soundRecord(39, 2), L"303")}),
       BlockKind::Headerless39, LoadOutcome::records, 3, none, 3, {true, 1, 1}},
      {L"short.EFD", test::headerlessBlock({soundRecord(33, 0)}), BlockKind::Headerless33, LoadOutcome::records, 1,
       none, 1, {false, 0, 0}},
      {L"battery.efdx", test::blockText(test::taggedHeader(L"BT", 1, 48, 2), {soundRecord(48, 0), soundRecord(48, 1)}),
       BlockKind::TaggedBT, LoadOutcome::records, none, 2, 2, {true, 0, 0}},
      {L"zero.efdx", test::blockText(L"0,", {soundRecord(39)}), BlockKind::Headerless39, LoadOutcome::records, 0,
       none, 0, {false, 0, 0}},
      {L"rejected.efdx", test::blockText(L"3,", {bad, bad}), BlockKind::Headerless39, LoadOutcome::invalid, none, none,
       3, {false, 0, 0}},
      {L"rejected.efdx", test::blockText(test::taggedHeader(L"BT", 1, 47, 1), {soundRecord(48)}),
       BlockKind::TaggedBT, LoadOutcome::invalid, none, none, 1, {false, 0, 0}},
      {L"pk.efdx", test::blockText(test::taggedHeader(L"PK", 1, 39, 1), {soundRecord(39)}), BlockKind::TaggedPK,
       LoadOutcome::not_decoded, none, none, 1, {false, 0, 0}},
      {L"other.efd", test::blockText(test::taggedHeader(L"QQ", 1, 39, 1), {soundRecord(39)}), BlockKind::TaggedOther,
       LoadOutcome::not_decoded, none, none, 1, {false, 0, 0}},
      // Merged files count their STX characters, whatever the header says and
      // whatever the kind.
      {L"merged.mrgx", test::blockText(L"1,", {soundRecord(39, 0), bad, soundRecord(39, 2)}),
       BlockKind::Headerless39, LoadOutcome::records, 3, none, 3, {true, 1, 0}},
      {L"merged-pk.MRG", test::blockText(test::taggedHeader(L"PK", 1, 39, 9), {soundRecord(39), soundRecord(39)}),
       BlockKind::TaggedPK, LoadOutcome::not_decoded, none, none, 2, {false, 0, 0}},
  };
  for (const Case& c : cases) {
    const std::wstring path = write(c.name, c.text);
    const std::optional<LoadedBlock> block = LoadedBlock::fromFile(path);
    const std::string name = testing::PrintToString(std::wstring(c.name));
    ASSERT_TRUE(block) << name;
    EXPECT_EQ(block->path(), path) << name;
    EXPECT_EQ(block->kind(), c.kind) << name;
    EXPECT_EQ(block->header().kind, static_cast<std::int32_t>(c.kind)) << name;
    EXPECT_EQ(block->outcome(), c.outcome) << name;
    EXPECT_EQ(block->header().record_count, c.record_count) << name;
    EXPECT_EQ(block->plainRecords() ? block->plainRecords()->size() : none, c.plain) << name;
    EXPECT_EQ(block->batteryRecords() ? block->batteryRecords()->size() : none, c.battery) << name;
    EXPECT_EQ(block->recordCount(), c.outcome == LoadOutcome::records ? std::min(c.plain, c.battery) : 0U) << name;
    EXPECT_EQ(block->counts().any_coord, c.counts.any_coord) << name;
    EXPECT_EQ(block->counts().bad_count, c.counts.bad_count) << name;
    EXPECT_EQ(block->counts().abnormal_end_count, c.counts.abnormal_end_count) << name;
  }
}

TEST_F(LoadedBlockTest, WhatCannotBeReadGivesNothing) {
  std::filesystem::create_directories(fsPath(dir_.file(L"folder.efdx")));
  const std::wstring good = test::headerlessBlock({soundRecord(39)});
  const std::wstring cases[] = {
      write(L"records.txt", good),
      write(L"records", good),
      dir_.file(L"missing.efdx"),
      dir_.file(L"folder.efdx"),
      write(L"empty.efdx", L""),
      write(L"nocount.efdx", L",\x02" L"1\x03"),
      write(L"tagged.mrgx", L"\x01" L"BT,xx,048,0001,"),
      L"",
  };
  for (const std::wstring& path : cases) {
    EXPECT_FALSE(LoadedBlock::fromFile(path)) << testing::PrintToString(path);
  }
}

TEST_F(LoadedBlockTest, TheFileIsReadOnceAndReleased) {
  const std::wstring path = write(L"once.efdx", test::headerlessBlock({soundRecord(39), soundRecord(39, 1)}));
  const std::optional<LoadedBlock> block = LoadedBlock::fromFile(path);
  ASSERT_TRUE(block);
  // Neither a handle (Windows would refuse the removal) nor a need for the file.
  std::filesystem::remove(fsPath(path));
  EXPECT_FALSE(std::filesystem::exists(fsPath(path)));
  ASSERT_EQ(block->recordCount(), 2U);
  EXPECT_EQ((*block->plainRecords())[1].worker, L"YAMADA");
}

TEST_F(LoadedBlockTest, ACopySharesTheRecords) {
  const std::optional<LoadedBlock> block = LoadedBlock::fromFile(write(L"a.efdx", test::headerlessBlock({soundRecord(39)})));
  ASSERT_TRUE(block);
  const LoadedBlock copy = *block;
  EXPECT_EQ(copy.plainRecords().get(), block->plainRecords().get());
  EXPECT_EQ(copy.records<file::Efdx>().get(), block->plainRecords().get());
  EXPECT_FALSE(copy.records<file::EfdxBattery>());
}

TEST(ReceivedBlockTest, TakesTheHeaderAsGivenAndKeepsThePath) {
  const std::wstring text = test::blockText(L"2,", {soundRecord(39, 0), soundRecord(39, 1), soundRecord(39, 2)});
  // A received block keeps the header's count even when saved under a merged
  // file's name.
  for (const std::wstring& path : {std::wstring(), std::wstring(L"C:\\data\\2024_0305_090702.efdx"),
                                   std::wstring(L"C:\\data\\saved.mrg")}) {
    const LoadedBlock block = LoadedBlock::fromReceived(file::Header{1, 0, 39, 2, 0}, text, path);
    EXPECT_EQ(block.path(), path);
    EXPECT_EQ(block.outcome(), LoadOutcome::records);
    EXPECT_EQ(block.header().record_count, 2);
    EXPECT_EQ(block.recordCount(), 2U);
  }
  const LoadedBlock battery = LoadedBlock::fromReceived(
      file::Header{2, 1, 48, 1, 11}, test::blockText(test::taggedHeader(L"BT", 1, 48, 1), {soundRecord(48)}));
  EXPECT_TRUE(battery.holdsBatteryRecords());
  ASSERT_TRUE(battery.batteryRecords());
  EXPECT_EQ((*battery.batteryRecords())[0].battery_identifier, L"BAT-01");
  const LoadedBlock pk = LoadedBlock::fromReceived(file::Header{3, 1, 39, 1, 11}, text);
  EXPECT_EQ(pk.outcome(), LoadOutcome::not_decoded);
  EXPECT_EQ(pk.recordCount(), 0U);
}

// Blocks that announce (or, merged, frame) far more records than they hold:
// the memory taken follows the records really decoded, about the size of the
// text and nothing per announced record. The meter refuses anything beyond the
// cap, so a decoder that allocates per announced record fails here at once.
TEST_F(LoadedBlockTest, AnnouncedRecordsCostNothingUntilTheyAreThere) {
  struct Case {
    const char* name;
    std::wstring path;
    std::uint16_t record_count;
  };
  const Case cases[] = {
      {"5 MB of STX characters, merged", writeRepeated(L"stx.mrgx", "\x02", 5'000'000, "1,"), 0x4B40},
      {"3 million empty records, merged", writeRepeated(L"empty.mrg", "\x02\x03", 3'000'000, "1,"), 0xC6C0},
      {"a header announcing 65,535 records", writeRepeated(L"count.efdx", "65535,", 1), 65535},
      {"65,535 records announced, one present",
       writeRepeated(L"one.efdx", "\x02" "1,2,3\x03", 1, "65535,"), 65535},
  };
  for (const Case& c : cases) {
    const auto file_bytes = static_cast<std::size_t>(std::filesystem::file_size(fsPath(c.path)));
    // The decoded text is one character per byte; a little besides it.
    const std::size_t cap = file_bytes * sizeof(wchar_t) + (1U << 20);
    std::optional<LoadedBlock> block;
    {
      test::AllocationMeter meter(cap);
      EXPECT_NO_THROW(block = LoadedBlock::fromFile(c.path)) << c.name;
      EXPECT_LE(meter.peak(), cap) << c.name;
    }
    if (!block) {
      ADD_FAILURE() << c.name << ": not read";
      continue;
    }
    EXPECT_EQ(block->outcome(), LoadOutcome::invalid) << c.name;
    EXPECT_EQ(block->header().record_count, c.record_count) << c.name;
    EXPECT_EQ(block->counts().bad_count, 0) << c.name;
  }
}

// The reader decodes the same way.
TEST_F(LoadedBlockTest, TheReaderRejectsAnnouncedRecordsAsCheaply) {
  const std::wstring path = writeRepeated(L"empty.mrgx", "\x02\x03", 3'000'000, "0,");
  EfdxReader reader;
  ASSERT_TRUE(reader.open(path));
  bool any_coord = true;
  int bad = -1;
  int abnormal = -1;
  RecordVector<file::Efdx> records;
  {
    test::AllocationMeter meter(1U << 20);
    ASSERT_NO_THROW(records = reader.parseRecords(any_coord, bad, abnormal));
  }
  EXPECT_FALSE(records);
  EXPECT_EQ(bad, 0);
  EXPECT_FALSE(any_coord);
}

}  // namespace
}  // namespace kj
