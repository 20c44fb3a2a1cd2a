// Writes the workbooks that the independent readers check (check_workbooks.py),
// each with a description of what it must hold: the texts handed to the
// driver row by row, the number format of each column, the merged ranges and
// the grid. The readers decide themselves what a text becomes.
//
//   kj_xls_workbooks SAMPLES_DIR OUT_DIR
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "base/fs_path.h"
#include "base/text_encoding.h"
#include "cli/json_writer.h"
#include "export/native_excel_driver.h"
#include "export/sheet_layout.h"
#include "export/sheet_writer.h"
#include "records_io/loaded_block.h"
#include "tests/export/sheet_fixture.h"

namespace kj {
namespace {

std::string rowJson(std::span<const std::wstring_view> row) {
  std::string out = "[";
  for (std::size_t i = 0; i < row.size(); ++i) {
    if (i > 0) out += ",";
    out += json::quote(std::wstring(row[i]));
  }
  return out + "]";
}

struct PageSetupCall {
  std::wstring paper;
  bool portrait;
  std::int32_t zoom, top, bottom, left, right;
};

// Builds the sheet of `records` through the native driver, saves it as
// NAME.xls and describes it in NAME.json.
template <class Selection, class Record>
bool writeCase(const std::filesystem::path& out_dir, const std::string& name, const Selection& selection,
               const std::vector<Record>& records, const std::optional<PageSetupCall>& setup = {}) {
  const sheet::SheetLayout layout = sheet::buildSheetLayout(selection, records);
  sheet::NativeExcelDriver driver;
  bool built = false;
  if constexpr (std::is_same_v<Record, file::EfdxBattery>) {
    built = sheet::writeEfdxBatterySheet(selection, records, driver);
  } else {
    built = sheet::writeEfdxSheet(selection, records, driver);
  }
  if (setup) {
    built = built && driver.applyPageSetup(setup->paper, setup->portrait, setup->zoom, setup->top, setup->bottom,
                                           setup->left, setup->right);
  }
  const std::filesystem::path xls = out_dir / (name + ".xls");
  if (!built || !driver.saveAs(widePath(xls))) {
    std::fprintf(stderr, "cannot write %s\n", xls.string().c_str());
    return false;
  }
  driver.close();

  std::string j = "{\"sheet\": " + json::quote(std::wstring(sheet::sheet_name)) + ", \"rows\": [";
  j += rowJson(layout.group_row) + ",\n" + rowJson(layout.header_row);
  const sheet::TextRows data = layout.dataRows();
  for (std::size_t r = 0; r < layout.record_count; ++r) j += ",\n" + rowJson(data.row(r));
  j += "], \"formats\": " + rowJson(layout.formats) + ", \"merges\": [";
  std::size_t first = 0;
  bool any = false;
  for (std::size_t g = 0; g < layout.group_count; ++g) {
    const std::size_t n = layout.group_columns[g];
    if (n > 1) {
      j += std::string(any ? ", " : "") + "[" + std::to_string(first) + ", " + std::to_string(first + n - 1) + "]";
      any = true;
    }
    first += n;
  }
  j += "]";
  if (setup) {
    j += ", \"page_setup\": {\"paper\": " + json::quote(setup->paper) + ", \"portrait\": " +
         json::boolean(setup->portrait) + ", \"zoom\": " + std::to_string(setup->zoom) +
         ", \"top\": " + std::to_string(setup->top) + ", \"bottom\": " + std::to_string(setup->bottom) +
         ", \"left\": " + std::to_string(setup->left) + ", \"right\": " + std::to_string(setup->right) + "}";
  }
  j += "}\n";
  std::ofstream(out_dir / (name + ".json"), std::ios::binary) << j;
  return true;
}

template <class Selection>
Selection every() {
  Selection s;
  s.fill(true);
  return s;
}

template <class Record>
std::vector<Record> recordsOf(const std::filesystem::path& file) {
  const auto block = LoadedBlock::fromFile(widePath(file), PathRule::any_file);
  if (!block || !block->records<Record>()) return {};
  return *block->records<Record>();
}

int run(const std::filesystem::path& samples, const std::filesystem::path& out_dir) {
  std::filesystem::create_directories(out_dir);
  using sheet::BatterySelection;
  using sheet::PlainSelection;
  bool ok = true;
  const auto plain = recordsOf<file::Efdx>(samples / "plain.efd");
  const auto battery = recordsOf<file::EfdxBattery>(samples / "battery.efdx");
  const auto positions = recordsOf<file::Efdx>(samples / "positions.efdx");
  if (plain.empty() || battery.empty() || positions.empty()) {
    std::fprintf(stderr, "the sample record files cannot be read from %s\n", samples.string().c_str());
    return 1;
  }
  ok &= writeCase(out_dir, "plain", every<PlainSelection>(), plain);
  ok &= writeCase(out_dir, "battery", every<BatterySelection>(), battery);
  ok &= writeCase(out_dir, "positions", every<PlainSelection>(), positions,
                  PageSetupCall{L"B5", false, 85, 10, 20, 15, 5});
  ok &= writeCase(out_dir, "empty", every<PlainSelection>(), std::vector<file::Efdx>{});
  ok &= writeCase(out_dir, "empty_battery", every<BatterySelection>(), std::vector<file::EfdxBattery>{});

  // Long texts, and texts long enough that the shared strings continue in
  // the middle of a text (one byte and two bytes a character, surrogate pairs).
  std::vector<file::Efdx> long_texts = test::labelledRecords<file::Efdx>(6);
  long_texts[0].remarks = std::wstring(32767, L'x');
  long_texts[1].remarks = std::wstring(12000, L'融');
  long_texts[2].remarks = L"a" + std::wstring(9000, L'é');
  std::wstring pairs;
  for (int i = 0; i < 5000; ++i) {
    if constexpr (sizeof(wchar_t) == 2) {
      pairs += L"\xD842\xDFB7";
    } else {
      pairs += static_cast<wchar_t>(0x20BB7);
    }
  }
  long_texts[3].remarks = pairs;
  long_texts[4].worker = L"改行を含む\n備考\n三行目";
  long_texts[5].order = std::wstring(8000, L'9');
  ok &= writeCase(out_dir, "long_texts", every<PlainSelection>(), long_texts);

  // A block of many distinct strings (every cell its own text).
  ok &= writeCase(out_dir, "many_strings", every<BatterySelection>(), test::labelledRecords<file::EfdxBattery>(1500));

  // Numbers against "@" texts, and full-width characters.
  std::vector<file::Efdx> numbers = test::labelledRecords<file::Efdx>(4);
  const std::wstring values[4][4] = {
      {L"00123", L"007", L"-12.5", L"０１２"},
      {L"12345678901234567890", L"1.", L"0.000", L"1e5"},
      {L"-0", L"+3", L".5", L"３．５"},
      {L"12.50", L"-", L"65535", L"１２３４５６７８９０"},
  };
  for (std::size_t i = 0; i < 4; ++i) {
    numbers[i].lot_number = values[i][0];  // "@"
    numbers[i].number = values[i][1];      // general
    numbers[i].temperature = values[i][2]; // general
    numbers[i].remarks = values[i][3];     // general, full-width
    numbers[i].order = values[i][2];       // "@"
  }
  ok &= writeCase(out_dir, "numbers", every<PlainSelection>(), numbers);
  PlainSelection two{};
  two[0] = two[31] = true;  // lot_number, remarks
  ok &= writeCase(out_dir, "two_items", two, numbers, PageSetupCall{L"A3", true, 100, 0, 0, 0, 0});
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace kj

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kj_xls_workbooks SAMPLES_DIR OUT_DIR\n");
    return 2;
  }
  return kj::run(kj::fsPath(kj::fromUtf8(argv[1])), kj::fsPath(kj::fromUtf8(argv[2])));
}
