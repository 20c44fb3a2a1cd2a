#include "record/record_fields.h"
#include "records_io/record_file_reader.h"

#include <gtest/gtest.h>

#include "base/fs_path.h"
#include "records_io/paths.h"
#include "tests/support/record_fixture.h"

namespace kj {
namespace {

using test::RecordFields;
using test::soundRecord;

class ReaderTest : public testing::Test {
 protected:
  std::wstring write(const std::wstring& name, const std::wstring& text) {
    const std::wstring path = dir_.file(name);
    test::writeBytes(path, test::storedBytes(text));
    return path;
  }
  test::TempDir dir_;
};

TEST(SubstitutionTest, EveryByteRoundTrips) {
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    EXPECT_EQ(substituteByte(substituteByte(byte)), byte);
  }
  EXPECT_EQ(substituteByte(0x02), 0xC3);
  EXPECT_EQ(substituteByte(0xC6), 0xFF);
}

TEST(SubstitutionTest, KnownStoredBytesDecodeToTheirText) {
  // Stored bytes worked out by hand: each is 0xC5 minus its text byte, modulo 256.
  const unsigned char stored[] = {0xC4, 0xC3, 0x90, 0x99, 0x84, 0x45, 0xC6, 0xB8, 0xBB, 0xC5, 0xC2};
  const std::string bytes(reinterpret_cast<const char*>(stored), sizeof stored);
  // SOH STX "5,A" 0x80 0xFF (CR LF NUL dropped) ETX
  EXPECT_EQ(decodeRecordFileBytes(bytes),
            std::wstring(L"\x01\x02" L"5,A") + wchar_t(0xFF80) + wchar_t(0xFFFF) + L"\x03");
}

TEST(SubstitutionTest, DecodingKeepsFramesDropsControlsAndWidensHighBytes) {
  std::string stored;
  for (int d : {0x01, 0x02, 0x03, 0x00, 0x0A, 0x0D, 0x09, 0x1F, 0x7F, 0x41, 0x80, 0xFF, 0x7E}) {
    stored.push_back(static_cast<char>(substituteByte(static_cast<unsigned char>(d))));
  }
  EXPECT_EQ(decodeRecordFileBytes(stored), std::wstring(L"\x01\x02\x03" L"A") + wchar_t(0xFF80) + wchar_t(0xFFFF) + L"~");
}

TEST_F(ReaderTest, HeaderlessExtensionDecidesTheFieldCount) {
  const std::wstring text = test::headerlessBlock({soundRecord(33)});
  struct Case {
    const wchar_t* name;
    std::int32_t kind;
    std::uint16_t fields;
  };
  for (const Case c : {Case{L"a.EFD", 0, 33}, Case{L"a.efd", 0, 33}, Case{L"a.efdx", 1, 39}, Case{L"a.mrg", 1, 39},
                       Case{L"noext", 1, 39}, Case{L"a.efd.txt", 1, 39}}) {
    EfdxReader reader;
    ASSERT_TRUE(reader.open(write(c.name, text))) << c.name;
    EXPECT_EQ(reader.header().kind, c.kind) << c.name;
    EXPECT_EQ(reader.header().field_count, c.fields) << c.name;
  }
}

TEST_F(ReaderTest, ParsesRecordsAndCounts) {
  RecordFields bad = soundRecord(39, 1);
  bad[record_field::checksum] = L"0";
  RecordFields forced = soundRecord(39, 2);
  forced[record_field::end_code] = L"303";
  test::fixChecksums(forced);
  EfdxReader reader;
  ASSERT_TRUE(reader.open(write(L"r.efdx", test::headerlessBlock({soundRecord(39, 0), bad, forced}))));
  bool any_coord = false;
  int bad_count = -1;
  int abnormal = -1;
  const auto records = reader.parseRecords(any_coord, bad_count, abnormal);
  ASSERT_TRUE(records);
  EXPECT_EQ(records->size(), 3U);
  EXPECT_EQ(records, reader.records());
  EXPECT_TRUE(any_coord);
  EXPECT_EQ(bad_count, 1);
  EXPECT_EQ(abnormal, 1);
  EXPECT_EQ((*records)[2].exit_code, L"強制終了:過電流保護 (303)");
}

TEST_F(ReaderTest, BatteryBlock) {
  const std::wstring text = test::blockText(test::taggedHeader(L"BT", 1, 48, 3),
                                            {soundRecord(48, 0), soundRecord(48, 1), soundRecord(48, 2)});
  EfdxBatteryReader reader;
  ASSERT_TRUE(reader.open(write(L"b.efdx", text)));
  EXPECT_EQ(reader.header().kind, 2);
  EXPECT_EQ(reader.header().revision, 1);
  EXPECT_EQ(reader.header().field_count, 48);
  EXPECT_EQ(reader.header().record_count, 3);
  EXPECT_EQ(reader.header().data_start, 11);
  bool any_coord = false;
  int bad = -1;
  int abnormal = -1;
  const auto records = reader.parseRecords(any_coord, bad, abnormal);
  ASSERT_TRUE(records);
  ASSERT_EQ(records->size(), 3U);
  EXPECT_EQ((*records)[2].number, L"3");
  EXPECT_EQ((*records)[2].battery_type, L"BQT-2261(HX)");
  EXPECT_EQ(bad, 0);
}

TEST_F(ReaderTest, RecordCountRules) {
  const RecordFields r = soundRecord(39);
  struct Case {
    const wchar_t* name;
    std::wstring text;
    bool valid;
    std::size_t records;
    std::uint16_t count_after;
  };
  const Case cases[] = {
      // Announced more than present: trailing rows have no fields, so invalid.
      {L"more.efdx", test::blockText(L"3,", {r, r}), false, 0, 3},
      // Announced fewer: the rest is ignored.
      {L"fewer.efdx", test::blockText(L"1,", {r, r}), true, 1, 1},
      {L"zero.efdx", test::blockText(L"0,", {r}), true, 0, 0},
      // Merged files count STX characters instead.
      {L"merged.mrgx", test::blockText(L"1,", {r, r, r}), true, 3, 3},
      {L"merged.MRG", test::blockText(L"9,", {r, r}), true, 2, 2},
  };
  for (const Case& c : cases) {
    EfdxReader reader;
    ASSERT_TRUE(reader.open(write(c.name, c.text))) << c.name;
    bool any_coord = false;
    int bad = -1;
    int abnormal = -1;
    const auto records = reader.parseRecords(any_coord, bad, abnormal);
    EXPECT_EQ(records != nullptr, c.valid) << c.name;
    if (records) {
      EXPECT_EQ(records->size(), c.records) << c.name;
    }
    EXPECT_EQ(reader.header().record_count, c.count_after) << c.name;
  }
}

TEST_F(ReaderTest, AFailedParseKeepsThePreviousRecords) {
  EfdxReader reader;
  ASSERT_TRUE(reader.open(write(L"good.efdx", test::headerlessBlock({soundRecord(39)}))));
  bool any_coord = false;
  int bad = 0;
  int abnormal = 0;
  const auto first = reader.parseRecords(any_coord, bad, abnormal);
  ASSERT_TRUE(first);
  ASSERT_TRUE(reader.open(write(L"bad.efdx", test::blockText(L"2,", {soundRecord(39)}))));
  EXPECT_FALSE(reader.parseRecords(any_coord, bad, abnormal));
  EXPECT_EQ(reader.records(), first);
}

TEST_F(ReaderTest, LineBreaksAndTabsAnywhereAreIgnored) {
  std::wstring text = test::headerlessBlock({soundRecord(39)});
  text.insert(text.find(L"YAMADA"), L"\t\r\n");
  EfdxReader reader;
  ASSERT_TRUE(reader.open(write(L"breaks.efdx", text)));
  bool any_coord = false;
  int bad = -1;
  int abnormal = -1;
  const auto records = reader.parseRecords(any_coord, bad, abnormal);
  ASSERT_TRUE(records);
  EXPECT_EQ((*records)[0].worker, L"YAMADA");
  EXPECT_EQ(bad, 0);
}

TEST_F(ReaderTest, OpenFailures) {
  EfdxReader reader;
  EXPECT_FALSE(reader.open(dir_.file(L"missing.efdx")));
  EXPECT_EQ(reader.path(), dir_.file(L"missing.efdx"));
  EXPECT_FALSE(reader.open(widePath(dir_.path())));
  EXPECT_FALSE(reader.open(write(L"empty.efdx", L"")));
  EXPECT_FALSE(reader.open(write(L"nocount.efdx", L",\x02" L"1\x03")));
  EXPECT_FALSE(reader.open(write(L"short.efdx", L"\x01" L"BT,01")));
  EXPECT_FALSE(reader.open(write(L"huge.efdx", L"99999999999,")));
}

TEST_F(ReaderTest, JapaneseFolderNames) {
  std::filesystem::create_directories(fsPath(dir_.file(L"融着記録")));
  EfdxReader reader;
  EXPECT_TRUE(reader.open(write(L"融着記録/記録.efdx", test::headerlessBlock({soundRecord(39)}))));
}

TEST_F(ReaderTest, OpenReadsTheWholeFileAndKeepsNoHandle) {
  EfdxReader reader;
  const std::wstring path = write(L"a.efdx", test::headerlessBlock({soundRecord(39), soundRecord(39, 1)}));
  ASSERT_TRUE(reader.open(path));
  EXPECT_TRUE(reader.isOpen());
  // Windows refuses to remove a file that is still open.
  std::filesystem::remove(fsPath(path));
  EXPECT_FALSE(std::filesystem::exists(fsPath(path)));
  bool any_coord = false;
  int bad = -1;
  int abnormal = -1;
  const auto records = reader.parseRecords(any_coord, bad, abnormal);
  ASSERT_TRUE(records);
  EXPECT_EQ(records->size(), 2U);
  reader.close();
  EXPECT_FALSE(reader.isOpen());
  EXPECT_TRUE(reader.text().empty());
}

TEST_F(ReaderTest, AFailedOpenKeepsNothingOfTheEarlierFile) {
  const std::wstring good = write(L"good.efdx", test::blockText(test::taggedHeader(L"BT", 1, 48, 1), {soundRecord(48)}));
  struct Case {
    const char* name;
    std::wstring path;
  };
  const Case cases[] = {
      {"missing", dir_.file(L"missing.efdx")},
      {"unreadable header", write(L"header.efdx", L"abc,")},
      {"folder", widePath(dir_.path())},
  };
  for (const Case& c : cases) {
    EfdxBatteryReader reader;
    ASSERT_TRUE(reader.open(good));
    bool any_coord = false;
    int bad = -1;
    int abnormal = -1;
    ASSERT_TRUE(reader.parseRecords(any_coord, bad, abnormal));
    EXPECT_FALSE(reader.open(c.path)) << c.name;
    EXPECT_FALSE(reader.isOpen()) << c.name;
    EXPECT_TRUE(reader.text().empty()) << c.name;
    EXPECT_EQ(reader.header().kind, 0) << c.name;
    EXPECT_EQ(reader.header().record_count, 0) << c.name;
    EXPECT_FALSE(reader.records()) << c.name;
    EXPECT_TRUE(reader.readRows().empty()) << c.name;
  }
}

TEST(ReceivedTextTest, SetReceivedUsesTheGivenHeaderAndNoPath) {
  EfdxReader reader;
  const std::wstring text = test::blockText(L"1,", {soundRecord(39)});
  const file::Header header{1, 0, 39, 1, 0};
  EXPECT_TRUE(reader.setReceived(header, text));
  EXPECT_TRUE(reader.path().empty());
  EXPECT_EQ(reader.text(), text);
  bool any_coord = false;
  int bad = -1;
  int abnormal = -1;
  const auto records = reader.parseRecords(any_coord, bad, abnormal);
  ASSERT_TRUE(records);
  EXPECT_EQ(records->size(), 1U);
}

TEST(PathsTest, ExtensionStemAndMerged) {
  struct Case {
    const wchar_t* path;
    const wchar_t* ext;
    const wchar_t* stem;
    bool merged;
    bool record;
  };
  const Case cases[] = {
      {L"C:\\data\\a.EFD", L"efd", L"C:\\data\\a", false, true},
      {L"a.b.MrGx", L"mrgx", L"a.b", true, true},
      {L"a.mrg", L"mrg", L"a", true, true},
      {L"noext", L"", L"noext", false, false},
      {L"dir.v2\\file", L"v2\\file", L"dir", false, false},
      {L"a.", L"", L"a", false, false},
      {L"a.efdx ", L"efdx ", L"a", false, false},
      {L"記録.ＥＦＤ", L"ＥＦＤ", L"記録", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(extensionOf(c.path), c.ext) << testing::PrintToString(std::wstring(c.path));
    EXPECT_EQ(stem(c.path), c.stem);
    EXPECT_EQ(isMergedPath(c.path), c.merged);
    EXPECT_EQ(isRecordFilePath(c.path), c.record);
  }
}

}  // namespace
}  // namespace kj
