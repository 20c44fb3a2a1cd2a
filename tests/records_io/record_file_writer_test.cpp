#include "records_io/record_file_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

#include "base/fs_path.h"
#include "records_io/record_file_reader.h"
#include "base/text_encoding.h"
#include "tests/support/record_fixture.h"

namespace kj {
namespace {

TEST(WriterTest, WritesExactlyTheSubstitutedBytes) {
  test::TempDir dir;
  // Text bytes and the bytes a record file stores for them (0xC5 minus the
  // byte), worked out by hand.
  struct Case {
    wchar_t text;
    unsigned char stored;
  };
  const Case cases[] = {{L'\x01', 0xC4}, {L'\x02', 0xC3}, {L'\x03', 0xC2}, {L'5', 0x90}, {L',', 0x99},
                        {L'A', 0x84},    {L'z', 0x4B},    {L'~', 0x47},    {L'\r', 0xB8}, {L'\n', 0xBB}};
  std::wstring known;
  for (const Case& c : cases) known += c.text;
  const std::wstring known_path = dir.file(L"known.efd");
  ASSERT_TRUE(writeRecordFile(known_path, known, true, code_page_ansi));
  const std::string known_bytes = test::readBytes(known_path);
  ASSERT_EQ(known_bytes.size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(static_cast<unsigned char>(known_bytes[i]), cases[i].stored) << i;
  }

  // A whole block: one stored byte per text byte, and it reads back to the
  // same text (line breaks are dropped).
  const std::wstring text = test::headerlessBlock({test::soundRecord(39)});
  const std::wstring path = dir.file(L"out.efdx");
  ASSERT_TRUE(writeRecordFile(path, text, true, code_page_ansi));
  ASSERT_EQ(test::readBytes(path).size(), text.size());
  EfdxReader reader;
  ASSERT_TRUE(reader.open(path));
  std::wstring without_breaks;
  for (wchar_t c : text) {
    if (c != L'\r' && c != L'\n') without_breaks += c;
  }
  EXPECT_EQ(reader.text(), without_breaks);
}

TEST(WriterTest, TruncatesAnExistingFile) {
  test::TempDir dir;
  const std::wstring path = dir.file(L"out.efd");
  ASSERT_TRUE(writeRecordFile(path, std::wstring(100, L'x'), true, code_page_ansi));
  ASSERT_TRUE(writeRecordFile(path, L"ab", true, code_page_ansi));
  EXPECT_EQ(test::readBytes(path).size(), 2U);
  ASSERT_TRUE(writeRecordFile(path, L"", true, code_page_ansi));
  EXPECT_TRUE(test::readBytes(path).empty());
}

TEST(WriterTest, Utf8WithoutSubstitutionOrByteOrderMark) {
  test::TempDir dir;
  const std::wstring path = dir.file(L"map.kml");
  ASSERT_TRUE(writeRecordFile(path, L"<a>融着</a>", false, code_page_utf8));
  EXPECT_EQ(test::readBytes(path), "<a>\xE8\x9E\x8D\xE7\x9D\x80</a>");
}

TEST(WriterTest, AFailedWriteLeavesEverythingAsItWas) {
  // A code page the conversion does not know stands for any failed conversion.
  constexpr unsigned unknown_code_page = 54321;
  struct Case {
    const char* name;
    std::wstring target;  // below the folder
    unsigned code_page;
  };
  const Case cases[] = {
      {"folder missing", L"no-such-folder/out.efdx", code_page_ansi},
      {"target is a folder", L"sub", code_page_ansi},
      {"target is a folder holding a file", L"full", code_page_ansi},
      {"text cannot be converted", L"old.efdx", unknown_code_page},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    ASSERT_TRUE(writeRecordFile(dir.file(L"old.efdx"), L"1,", true, code_page_ansi));
    std::filesystem::create_directory(dir.path() / "sub");
    std::filesystem::create_directory(dir.path() / "full");
    ASSERT_TRUE(writeRecordFile(dir.file(L"full/inner.efd"), L"2,", true, code_page_ansi));
    const auto before = test::folderContents(dir.path());

    EXPECT_FALSE(writeRecordFile(dir.file(c.target), L"3,", true, c.code_page)) << c.name;
    // The same entries with the same bytes: the old file is intact and no
    // temporary file is left.
    EXPECT_EQ(test::folderContents(dir.path()), before) << c.name;
  }
}

TEST(WriterTest, ASuccessfulWriteLeavesOnlyTheTarget) {
  test::TempDir dir;
  const std::wstring path = dir.file(L"out.efdx");
  ASSERT_TRUE(writeRecordFile(path, L"1,", true, code_page_ansi));
  ASSERT_TRUE(writeRecordFile(path, L"22,", true, code_page_ansi));
  const auto contents = test::folderContents(dir.path());
  ASSERT_EQ(contents.size(), 1U);
  EXPECT_EQ(contents.begin()->first, "out.efdx");
  EXPECT_EQ(contents.begin()->second, test::storedBytes(L"22,"));
}

TEST(TimestampNameTest, PadsEveryPartAfterTheYear) {
  EXPECT_EQ(makeTimestampName([] { return LocalDateTime{2024, 3, 5, 9, 7, 2}; }), L"2024_0305_090702");
  EXPECT_EQ(makeTimestampName([] { return LocalDateTime{1999, 12, 31, 23, 59, 59}; }), L"1999_1231_235959");
  // A clock out of its range must not overrun anything: the values are
  // written in full.
  EXPECT_EQ(makeTimestampName([] { return LocalDateTime{123456789, 99, -1, 2147483647, 0, 0}; }),
            L"123456789_99-01_21474836470000");
  EXPECT_EQ(makeTimestampName([] { return LocalDateTime{-2147483647 - 1, 1, 1, 0, 0, 0}; }),
            L"-2147483648_0101_000000");
  const std::wstring now = makeTimestampName();
  ASSERT_EQ(now.size(), 16U);
  EXPECT_EQ(now[4], L'_');
  EXPECT_EQ(now[9], L'_');
}

TEST(TextEncodingTest, Utf8RoundTrip) {
  const std::wstring text = L"融着記録 KJ-VT58 \x00B0\x2267";
  EXPECT_EQ(fromUtf8(toUtf8(text)), text);
  EXPECT_EQ(toUtf8(std::wstring(1, wchar_t(0xFF80))), "\xEF\xBE\x80");
  EXPECT_EQ(fromUtf8("\xC3\x28"), L"\xFFFD(");
}

}  // namespace
}  // namespace kj
