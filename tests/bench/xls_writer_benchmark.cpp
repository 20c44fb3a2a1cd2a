// The native .xls writer at its largest: 65,534 records of 41 columns, every
// cell its own 8-character text, written to a file in the steps the sheet
// builders take (open, formats, data, widths, grid, save). The texts come in
// blocks of 1,024 rows, so that the process's peak memory is the writer's
// own: the peak_rss counter is the process's maximum resident size.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "base/fs_path.h"
#include "export/native_excel_driver.h"
#include "export/sheet_address.h"
#include "export/sheet_layout.h"

namespace {

constexpr std::size_t kRows = kj::sheet::max_sheet_records;
constexpr std::size_t kColumns = 41;
constexpr std::size_t kBlockRows = 1024;

// Text number `n` as 8 characters, distinct for every n below 36^8.
void cellText(std::size_t n, std::wstring& out) {
  static constexpr wchar_t digits[] = L"0123456789abcdefghijklmnopqrstuvwxyz";
  out.assign(8, L'0');
  for (std::size_t i = 8; i-- > 0; n /= 36) out[i] = digits[n % 36];
}

bool writeWorkbook(const std::filesystem::path& path) {
  kj::sheet::NativeExcelDriver driver;
  if (!driver.open(kj::sheet::sheet_name)) return false;
  driver.disableAlerts();
  std::vector<std::wstring> header(kColumns);
  for (std::size_t c = 0; c < kColumns; ++c) header[c] = L"列" + std::to_wstring(c + 1) + L"\n見出し";
  std::vector<std::wstring_view> header_views(header.begin(), header.end());
  driver.writeBlock(2, kj::sheet::TextRows::oneRow(header_views));
  for (std::size_t c = 1; c <= kColumns; ++c) {
    driver.setNumberFormat(kj::sheet::rangeAddress(c, 3, c, kRows + 2), c % 2 == 1 ? L"@" : L"");
  }
  std::vector<std::wstring> texts(kBlockRows * kColumns);
  std::vector<std::wstring_view> views(texts.size());
  for (std::size_t first = 0; first < kRows; first += kBlockRows) {
    const std::size_t rows = std::min(kBlockRows, kRows - first);
    for (std::size_t i = 0; i < rows * kColumns; ++i) {
      cellText(first * kColumns + i, texts[i]);
      views[i] = texts[i];
    }
    const std::span<const std::wstring_view> cells(views.data(), rows * kColumns);
    if (!driver.writeBlock(static_cast<std::int32_t>(first + 3), kj::sheet::TextRows(cells, kColumns))) return false;
  }
  driver.autoFitColumns(kj::sheet::columnRangeAddress(1, kColumns));
  driver.drawGrid(kj::sheet::rangeAddress(1, 1, kColumns, kRows + 2));
  const bool saved = driver.saveAs(kj::widePath(path));
  driver.close();
  return saved;
}

void BM_NativeWorkbook65534x41(benchmark::State& state) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "kj_bench_workbook.xls";
  for (auto _ : state) {
    if (!writeWorkbook(path)) {
      state.SkipWithError("the workbook was not written");
      return;
    }
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const double file_mb = static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024.0);
  state.counters["file_MB"] = file_mb;
  state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  state.counters["peak_per_file"] = static_cast<double>(usage.ru_maxrss) / 1024.0 / file_mb;
  std::filesystem::remove(path);
}
BENCHMARK(BM_NativeWorkbook65534x41)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
