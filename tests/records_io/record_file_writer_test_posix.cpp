// Writing into a folder the program may not write to (POSIX permissions).

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "base/text_encoding.h"
#include "records_io/record_file_writer.h"
#include "tests/support/record_fixture.h"

namespace kj {
namespace {

TEST(WriterTest, AReadOnlyFolderKeepsItsFile) {
  // Permissions do not hold back the superuser.
  if (::geteuid() == 0) GTEST_SKIP() << "running as root: a read-only folder is still writable";
  test::TempDir dir;
  const std::wstring path = dir.file(L"old.efdx");
  ASSERT_TRUE(writeRecordFile(path, L"1,", true, code_page_ansi));
  const auto before = test::folderContents(dir.path());
  const std::filesystem::perms writable = std::filesystem::status(dir.path()).permissions();
  std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const bool written = writeRecordFile(path, L"2,", true, code_page_ansi);
  std::filesystem::permissions(dir.path(), writable);
  EXPECT_FALSE(written);
  EXPECT_EQ(test::folderContents(dir.path()), before);
}

TEST(WriterTest, AReplacedFileKeepsItsPermissions) {
  test::TempDir dir;
  const std::wstring path = dir.file(L"old.efdx");
  ASSERT_TRUE(writeRecordFile(path, L"1,", true, code_page_ansi));
  const auto mode = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                    std::filesystem::perms::group_read;
  std::filesystem::permissions(dir.path() / "old.efdx", mode);
  ASSERT_TRUE(writeRecordFile(path, L"2,", true, code_page_ansi));
  EXPECT_EQ(std::filesystem::status(dir.path() / "old.efdx").permissions(), mode);
  EXPECT_EQ(test::readBytes(path), test::storedBytes(L"2,"));
}

}  // namespace
}  // namespace kj
