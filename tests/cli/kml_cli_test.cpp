#include "cli/kml.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/fs_path.h"
#include "base/text_encoding.h"
#include "cli/dump.h"
#include "record/record_fields.h"
#include "tests/support/record_fixture.h"

namespace kj::cli {
namespace {

namespace rf = kj::record_field;

class KmlCli : public testing::Test {
 protected:
  std::wstring write(const std::wstring& name, const std::vector<test::RecordFields>& records) {
    const std::wstring path = dir_.file(name);
    test::writeBytes(path, test::storedBytes(test::headerlessBlock(records)));
    return path;
  }
  int run(std::vector<std::wstring> args) {
    out_.clear();
    err_.clear();
    return runCli(args, out_, err_);
  }
  bool exists(const std::wstring& path) { return std::filesystem::exists(fsPath(path)); }
  test::TempDir dir_;
  std::string out_;
  std::string err_;
};

TEST_F(KmlCli, WritesBesideTheRecordFileOrToTheGivenOutput) {
  const std::wstring file = write(L"site 1.efdx", {test::soundRecord(39, 0), test::soundRecord(39, 1)});
  ASSERT_EQ(run({L"kml", file}), exit_ok) << err_;
  const std::wstring beside = dir_.file(L"site 1.kml");
  EXPECT_EQ(out_, toUtf8(beside) + "\n");
  const std::string bytes = test::readBytes(beside);
  EXPECT_EQ(bytes.rfind("<?xml", 0), 0u);
  EXPECT_TRUE(bytes.ends_with("</kml>"));
  EXPECT_NE(bytes.find("<coordinates>139.761315,35.685390,0</coordinates>"), std::string::npos);

  const std::wstring chosen = dir_.file(L"chosen.xml");
  ASSERT_EQ(run({L"kml", file, L"--output", chosen}), exit_ok) << err_;
  EXPECT_EQ(test::readBytes(chosen), bytes);
}

TEST_F(KmlCli, NothingIsWrittenForFilesWithoutAMap) {
  test::RecordFields unpositioned = test::soundRecord(39, 0);
  unpositioned[rf::position_flag] = L"0";
  const std::wstring none = write(L"none.efdx", {unpositioned});
  EXPECT_EQ(run({L"kml", none}), exit_no_positions);
  EXPECT_NE(err_.find("no record"), std::string::npos);
  EXPECT_FALSE(exists(dir_.file(L"none.kml")));

  EXPECT_EQ(run({L"kml", dir_.file(L"missing.efdx")}), exit_unreadable);
  // The header announces three records but the block holds one.
  const std::wstring cut = dir_.file(L"cut.efdx");
  test::writeBytes(cut, test::storedBytes(test::blockText(test::taggedHeader(L"BT", 1, 48, 3),
                                                           {test::soundRecord(48, 0)})));
  EXPECT_EQ(run({L"kml", cut}), exit_rejected);
  EXPECT_FALSE(exists(dir_.file(L"cut.kml")));

  const std::wstring file = write(L"a.efdx", {test::soundRecord(39, 0)});
  EXPECT_EQ(run({L"kml", file, dir_.file(L"b.efdx")}), exit_usage);
  EXPECT_EQ(run({L"kml", file, L"--output"}), exit_usage);
  EXPECT_EQ(run({L"kml"}), exit_usage);
  EXPECT_EQ(run({L"kml", file, L"--output", dir_.file(L"no folder") + L"/x.kml"}), exit_map_not_written);
}

// Texts of the controller end up in the document; whatever bytes they hold,
// an XML parser must read it.
TEST_F(KmlCli, DocumentsWithAwkwardTextsAreWellFormedXml) {
  if (std::system("xmllint --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "xmllint is not installed";
  test::RecordFields r = test::soundRecord(39, 0);
  r[rf::datetime] = std::wstring(L"2&<3>") + L'\x01' + L'\xFFFE' + L'\xFFFF' + L"\xFF80" + L"01430";
  const std::wstring file = write(L"awkward.efdx", {r, test::soundRecord(39, 1)});
  const std::wstring target = dir_.file(L"awkward.kml");
  ASSERT_EQ(run({L"kml", file, L"--output", target}), exit_ok) << err_;
  const std::string bytes = test::readBytes(target);
  EXPECT_NE(bytes.find("&amp;"), std::string::npos);
  EXPECT_NE(bytes.find("&lt;"), std::string::npos);
  const std::string command = "xmllint --noout '" + toUtf8(target) + "' 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << bytes;
}

}  // namespace
}  // namespace kj::cli
