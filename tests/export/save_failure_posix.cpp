// A save that fails half-way: the file size limit of the process stops the
// temporary file after a few kilobytes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>

#include "base/text_encoding.h"
#include "export/native_excel_driver.h"
#include "export/sheet_layout.h"

namespace kj::sheet {
namespace {

namespace fs = std::filesystem;

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, previous_);
  }

 private:
  rlimit saved_{};
  void (*previous_)(int) = nullptr;
};

TEST(NativeExcelDriverPosix, AWriteThatFailsHalfWayLeavesTheTargetAsItWas) {
  const fs::path folder = fs::temp_directory_path() / "kj_xls_save_failure";
  fs::remove_all(folder);
  fs::create_directories(folder);
  const fs::path target = folder / "book.xls";
  std::ofstream(target, std::ios::binary) << "the earlier workbook";

  NativeExcelDriver driver;
  ASSERT_TRUE(driver.open(sheet_name));
  std::vector<std::wstring> texts;
  for (int i = 0; i < 20000; ++i) texts.push_back(L"text" + std::to_wstring(i));
  const std::vector<std::wstring_view> cells(texts.begin(), texts.end());
  ASSERT_TRUE(driver.writeBlock(1, TextRows(cells, 20)));
  bool saved = true;
  {
    const FileSizeLimit limit(64 * 1024);
    saved = driver.saveAs(fromUtf8(target.string()));
  }
  EXPECT_FALSE(saved);
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"book.xls"});
  std::ifstream in(target, std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, "the earlier workbook");
  // Without the limit the same save succeeds.
  EXPECT_TRUE(driver.saveAs(fromUtf8(target.string())));
  EXPECT_GT(fs::file_size(target), 64u * 1024u);
  fs::remove_all(folder);
}

}  // namespace
}  // namespace kj::sheet
