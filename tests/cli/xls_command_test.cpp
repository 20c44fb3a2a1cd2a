#include "cli/file_command.h"
#include "cli/xls.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/fs_path.h"
#include "base/text_encoding.h"
#include "cli/dump.h"
#include "tests/support/record_fixture.h"
#include "tests/support/xls_reader.h"

namespace kj::cli {
namespace {

using test::soundRecord;

// What a workbook holds, as far as the command decides it: the sheet's rows
// and columns (its DIMENSIONS record) and its shared texts.
struct Workbook {
  std::uint32_t rows = 0, columns = 0;
  std::vector<std::u16string> strings;
};

std::optional<Workbook> readWorkbook(const std::wstring& path) {
  const auto bytes = test::readFileBytes(fsPath(path).string());
  std::string error;
  const auto file = test::readCompoundFile(bytes, error);
  if (!file) {
    ADD_FAILURE() << error;
    return std::nullopt;
  }
  const auto globals = test::readSubstream(file->stream, 0, error);
  const auto strings = globals ? test::readSharedStrings(*globals, error) : std::nullopt;
  if (!strings) {
    ADD_FAILURE() << error;
    return std::nullopt;
  }
  Workbook book;
  book.strings = *strings;
  for (const auto& r : *globals) {
    if (r.type != 0x0085) continue;
    const auto sheet = test::readSubstream(file->stream, test::le32(r.data, 0), error, 0x0200);
    if (!sheet) {
      ADD_FAILURE() << error;
      return std::nullopt;
    }
    for (const auto& s : *sheet) {
      if (s.type == 0x0200) {
        book.rows = test::le32(s.data, 4);
        book.columns = test::le16(s.data, 10);
      }
    }
  }
  return book;
}

bool holds(const Workbook& book, std::u16string_view text) {
  return std::find(book.strings.begin(), book.strings.end(), text) != book.strings.end();
}

class XlsCommandTest : public testing::Test {
 protected:
  std::wstring write(const std::wstring& name, const std::wstring& text) {
    const std::wstring path = dir_.file(name);
    test::writeBytes(path, test::storedBytes(text));
    return path;
  }
  int run(std::vector<std::wstring> args) {
    out_.clear();
    err_.clear();
    args.insert(args.begin(), L"xls");
    return runCli(args, out_, err_);
  }
  std::size_t fileCount() const {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(fsPath(dir_.file(L"")))) ++n;
    return n;
  }
  test::TempDir dir_;
  std::string out_;
  std::string err_;
};

TEST_F(XlsCommandTest, WritesEveryOutputItemBesideTheRecordFile) {
  struct Case {
    std::wstring name;
    std::wstring text;
    std::wstring workbook;
    std::uint32_t columns;
    std::u16string battery_text;
  } const cases[] = {
      {L"site1.efdx", test::headerlessBlock({soundRecord(39, 0), soundRecord(39, 1)}), L"site1.xls", 33, u""},
      {L"bt.v2.efdx", test::blockText(test::taggedHeader(L"BT", 1, 48, 2), {soundRecord(48, 0), soundRecord(48, 1)}),
       L"bt.v2.xls", 41, u"電池タイプ"},
      {L"copied", test::headerlessBlock({soundRecord(39, 0), soundRecord(39, 1)}), L"copied.xls", 33, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(toUtf8(c.name));
    const std::wstring path = write(c.name, c.text);
    ASSERT_EQ(run({path}), exit_ok) << err_;
    EXPECT_EQ(out_, "wrote " + toUtf8(dir_.file(c.workbook)) + " (2 records)\n");
    EXPECT_EQ(err_, "");
    const auto book = readWorkbook(dir_.file(c.workbook));
    ASSERT_TRUE(book);
    EXPECT_EQ(book->rows, 4u);
    EXPECT_EQ(book->columns, c.columns);
    EXPECT_TRUE(holds(*book, u"トレーサビリティーバーコードデータ"));
    EXPECT_TRUE(holds(*book, u"融着記録"));
    EXPECT_TRUE(c.battery_text.empty() || holds(*book, c.battery_text));
  }
  // --output names the workbook; an existing file is replaced.
  const std::wstring source = dir_.file(L"site1.efdx");
  const std::wstring target = dir_.file(L"report.xls");
  test::writeBytes(target, "old");
  ASSERT_EQ(run({source, L"--output", target}), exit_ok) << err_;
  EXPECT_EQ(out_, "wrote " + toUtf8(target) + " (2 records)\n");
  ASSERT_TRUE(readWorkbook(target));
}

TEST_F(XlsCommandTest, NothingIsWrittenForAFileThatCannotBeConverted) {
  // Records of 39 empty fields: bad data, but records all the same.
  const std::wstring empty_record = L"\x02" + std::wstring(38, L',') + L"\x03";
  std::wstring most = L"1,";
  for (int i = 0; i < 65534; ++i) most += empty_record;
  const std::wstring many = most + empty_record;
  struct Case {
    const char* what;
    std::wstring path;
    int status;
  } const cases[] = {
      {"missing", dir_.file(L"missing.efdx"), exit_unreadable},
      {"a folder", dir_.file(L""), exit_unreadable},
      {"records that do not fit the header", write(L"short.efdx", test::blockText(L"3,", {soundRecord(39)})), exit_rejected},
      {"a block kind that is not decoded",
       write(L"pk.efdx", test::blockText(test::taggedHeader(L"PK", 1, 40, 1), {soundRecord(39)})), exit_rejected},
      {"more records than a sheet holds", write(L"many.mrgx", many), exit_not_written},
  };
  const std::size_t files = fileCount();
  for (const Case& c : cases) {
    EXPECT_EQ(run({c.path}), c.status) << c.what;
    EXPECT_EQ(out_, "") << c.what;
    EXPECT_EQ(std::count(err_.begin(), err_.end(), '\n'), 1) << c.what << ": " << err_;
    EXPECT_EQ(fileCount(), files) << c.what;
  }
  // A workbook that cannot be written.
  const std::wstring good = write(L"good.efdx", test::headerlessBlock({soundRecord(39)}));
  EXPECT_EQ(run({good, L"--output", dir_.file(L"missing") + L"/x.xls"}), exit_not_written);
  EXPECT_NE(err_.find("cannot write"), std::string::npos);
  // The last record count that fits: 65,534 records under the two header rows
  // (a merged file counts the records it frames).
  ASSERT_EQ(run({write(L"most.mrgx", most)}), exit_ok) << err_;
  const auto book = readWorkbook(dir_.file(L"most.xls"));
  ASSERT_TRUE(book);
  EXPECT_EQ(book->rows, 65536u);
}

TEST_F(XlsCommandTest, UsageErrors) {
  const std::wstring good = write(L"good.efdx", test::headerlessBlock({soundRecord(39)}));
  const std::vector<std::vector<std::wstring>> cases = {
      {}, {good, good}, {good, L"--output"}, {good, L"--columns", L"all"}, {good, L"-o", L"a.xls", L"-o", L"b.xls"}};
  for (const auto& args : cases) {
    EXPECT_EQ(run(args), exit_usage) << testing::PrintToString(args);
    EXPECT_EQ(out_, "");
    EXPECT_FALSE(err_.empty());
  }
  EXPECT_EQ(run({}), exit_usage);
  EXPECT_FALSE(std::filesystem::exists(fsPath(dir_.file(L"good.xls"))));
  EXPECT_EQ(besideWithExtension(L"dir.v1/a.b.efdx", L".xls"), L"dir.v1/a.b.xls");
  EXPECT_EQ(besideWithExtension(L"dir.v1/noext", L".xls"), L"dir.v1/noext.xls");
}

}  // namespace
}  // namespace kj::cli
