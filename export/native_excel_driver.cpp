#include "export/native_excel_driver.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/fs_path.h"

namespace kj::sheet {

namespace {

// Letters then digits from `at`; either part may be missing.
struct Reference {
  std::uint32_t column = 0;  // from 1; 0 when absent
  std::uint32_t row = 0;     // from 1; 0 when absent
};

std::optional<Reference> parseReference(std::wstring_view text) {
  Reference ref;
  std::size_t i = 0;
  for (; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    if (c < L'A' || c > L'Z') break;
    ref.column = ref.column * 26 + static_cast<std::uint32_t>(c - L'A' + 1);
    if (ref.column > xls::max_columns) return std::nullopt;
  }
  for (; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c < L'0' || c > L'9') return std::nullopt;
    ref.row = ref.row * 10 + static_cast<std::uint32_t>(c - L'0');
    if (ref.row > xls::max_rows) return std::nullopt;
  }
  if (text.empty()) return std::nullopt;
  return ref;
}

}  // namespace

std::optional<xls::CellRange> parseRange(std::wstring_view text) {
  const std::size_t colon = text.find(L':');
  const std::wstring_view first_text = text.substr(0, colon);
  const std::wstring_view last_text = colon == std::wstring_view::npos ? first_text : text.substr(colon + 1);
  const std::optional<Reference> first = parseReference(first_text);
  const std::optional<Reference> last = parseReference(last_text);
  if (!first || !last || first->column == 0 || last->column == 0) return std::nullopt;
  const bool columns_only = first->row == 0 && last->row == 0;
  if (columns_only && colon == std::wstring_view::npos) return std::nullopt;
  if (!columns_only && (first->row == 0 || last->row == 0)) return std::nullopt;
  xls::CellRange range;
  range.first_column = std::min(first->column, last->column) - 1;
  range.last_column = std::max(first->column, last->column) - 1;
  if (columns_only) {
    range.first_row = 0;
    range.last_row = xls::max_rows - 1;
  } else {
    range.first_row = std::min(first->row, last->row) - 1;
    range.last_row = std::max(first->row, last->row) - 1;
  }
  return range;
}

std::optional<double> plainDecimal(std::wstring_view text) {
  std::size_t i = 0;
  if (i < text.size() && text[i] == L'-') ++i;
  const auto digits = [&] {
    const std::size_t from = i;
    while (i < text.size() && text[i] >= L'0' && text[i] <= L'9') ++i;
    return i - from;
  };
  if (digits() == 0) return std::nullopt;
  if (i < text.size() && text[i] == L'.') {
    ++i;
    if (digits() == 0) return std::nullopt;
  }
  if (i != text.size() || text.size() > 400) return std::nullopt;
  char ascii[401];
  for (std::size_t k = 0; k < text.size(); ++k) ascii[k] = static_cast<char>(text[k]);
  double value = 0;
  const std::from_chars_result r = std::from_chars(ascii, ascii + text.size(), value);
  if (r.ec != std::errc() || r.ptr != ascii + text.size()) return std::nullopt;
  if (value == 0) value = std::fabs(value);  // no negative zero
  return value;
}

bool isValidSheetName(std::wstring_view name) {
  if (name.empty() || name.size() > 31) return false;
  if (name.front() == L'\'' || name.back() == L'\'') return false;
  return name.find_first_of(L":\\/?*[]") == std::wstring_view::npos;
}

bool NativeExcelDriver::open(std::wstring_view sheet_name) {
  if (sheet_ || !isValidSheetName(sheet_name)) return false;
  sheet_.emplace(std::wstring(sheet_name));
  return true;
}

bool NativeExcelDriver::disableAlerts() { return sheet_.has_value(); }

bool NativeExcelDriver::writeBlock(std::int32_t first_row, const TextRows& rows) {
  if (!sheet_) return false;
  const std::int64_t row_count = static_cast<std::int64_t>(rows.rowCount());
  const std::int64_t column_count = static_cast<std::int64_t>(rows.columnCount());
  const std::int64_t last_row = std::int64_t{first_row} + row_count - 1;
  if (first_row < 1 || column_count < 1 || last_row < 1) return false;
  if (last_row > xls::max_rows || column_count > xls::max_columns) return false;
  // A text the sheet cannot hold refuses the whole block before any cell changes.
  for (std::int64_t r = 0; r < row_count; ++r) {
    for (const std::wstring_view text : rows.row(static_cast<std::size_t>(r))) {
      if (text.size() * 2 > xls::max_text_units && xls::utf16Length(text) > xls::max_text_units) return false;
    }
  }
  const std::uint32_t columns = static_cast<std::uint32_t>(column_count);
  std::vector<std::uint8_t> text_column(columns);
  std::vector<std::uint8_t> is_number(columns);
  std::vector<std::uint64_t> hashes(columns);
  for (std::int64_t r = 0; r < row_count; ++r) {
    const std::uint32_t row = static_cast<std::uint32_t>(first_row - 1 + r);
    sheet_->textFormats(row, text_column);
    const std::span<const std::wstring_view> texts = rows.row(static_cast<std::size_t>(r));
    // Numbers first; the texts' table slots are fetched while the row is read.
    for (std::uint32_t c = 0; c < columns; ++c) {
      const std::wstring_view text = texts[c];
      is_number[c] = 0;
      if (!text_column[c]) {
        if (const std::optional<double> number = plainDecimal(text)) {
          sheet_->setNumber(row, c, *number, static_cast<std::uint16_t>(text.size()));
          is_number[c] = 1;
          continue;
        }
      }
      hashes[c] = xls::StringTable::hashOf(text);
      sheet_->strings().prefetch(hashes[c]);
    }
    for (std::uint32_t c = 0; c < columns; ++c) {
      if (!is_number[c] && !sheet_->setText(row, c, texts[c], hashes[c])) return false;
    }
  }
  return true;
}

bool NativeExcelDriver::setNumberFormat(std::wstring_view range, std::wstring_view format) {
  if (!sheet_) return false;
  const std::optional<xls::CellRange> cells = parseRange(range);
  if (!cells) return false;
  if (format == L"@") {
    sheet_->setNumberFormat(*cells, true);
  } else if (format.empty() || format == L"General" || format == L"G/標準") {
    sheet_->setNumberFormat(*cells, false);
  } else {
    return false;  // this writer knows the general and the text format only
  }
  return true;
}

bool NativeExcelDriver::autoFitColumns(std::wstring_view column_range) {
  if (!sheet_) return false;
  const std::optional<xls::CellRange> cells = parseRange(column_range);
  if (!cells) return false;
  sheet_->fitColumns(cells->first_column, cells->last_column);
  return true;
}

bool NativeExcelDriver::merge(std::wstring_view range) {
  if (!sheet_) return false;
  const std::optional<xls::CellRange> cells = parseRange(range);
  if (!cells) return false;
  sheet_->merge(*cells);
  return true;
}

bool NativeExcelDriver::drawGrid(std::wstring_view range) {
  if (!sheet_) return false;
  const std::optional<xls::CellRange> cells = parseRange(range);
  if (!cells) return false;
  sheet_->addGrid(*cells);
  return true;
}

bool NativeExcelDriver::saveAs(std::wstring_view path) {
  if (!sheet_ || path.empty()) return false;
  const std::filesystem::path target = fsPath(std::wstring(path));
  if (!target.has_filename()) return false;
  std::filesystem::path temporary = target;
  temporary += ".tmp~";
  std::error_code error;
  bool written = false;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (out) written = xls::writeWorkbook(*sheet_, out);
    if (out.is_open()) {
      out.close();
      written = written && !out.fail();
    }
  }
  if (written) {
    std::filesystem::rename(temporary, target, error);
    if (!error) return true;
  }
  std::filesystem::remove(temporary, error);
  return false;
}

bool NativeExcelDriver::applyPageSetup(std::wstring_view paper_name, bool portrait, std::int32_t zoom,
                                       std::int32_t top_mm, std::int32_t bottom_mm, std::int32_t left_mm,
                                       std::int32_t right_mm) {
  if (!sheet_) return false;
  static constexpr std::pair<std::wstring_view, std::uint16_t> papers[] = {
      {L"A3", 8}, {L"A4", 9}, {L"A5", 11}, {L"B4", 12}, {L"B5", 13}};
  xls::PageSetup setup;
  bool known = false;
  for (const auto& [name, code] : papers) {
    if (name == paper_name) {
      setup.paper = code;
      known = true;
    }
  }
  if (!known) return false;
  setup.portrait = portrait;
  // What the application refuses keeps its default, as a refused setting there does.
  if (zoom >= 10 && zoom <= 400) setup.zoom = static_cast<std::uint16_t>(zoom);
  const auto inches = [](std::int32_t mm, double fallback) { return mm >= 0 ? mm / 25.4 : fallback; };
  setup.top = inches(top_mm, setup.top);
  setup.bottom = inches(bottom_mm, setup.bottom);
  setup.left = inches(left_mm, setup.left);
  setup.right = inches(right_mm, setup.right);
  sheet_->setPageSetup(setup);
  return true;
}

bool NativeExcelDriver::printOut() { return false; }

void NativeExcelDriver::close() { sheet_.reset(); }

std::unique_ptr<ExcelDriver> makeNativeExcelDriver() { return std::make_unique<NativeExcelDriver>(); }

}  // namespace kj::sheet
