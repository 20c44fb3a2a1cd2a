#include "export/sheet_address.h"

namespace kj::sheet {

std::wstring columnLetters(std::size_t column) {
  std::wstring letters;
  while (column > 0) {
    const std::size_t c = (column - 1) % 26;
    letters.insert(letters.begin(), static_cast<wchar_t>(L'A' + c));
    column = (column - c) / 26;
  }
  return letters;
}

std::wstring cellAddress(std::size_t column, std::size_t row) {
  return columnLetters(column) + std::to_wstring(row);
}

std::wstring rangeAddress(std::size_t first_column, std::size_t first_row, std::size_t last_column,
                          std::size_t last_row) {
  return cellAddress(first_column, first_row) + L':' + cellAddress(last_column, last_row);
}

std::wstring columnRangeAddress(std::size_t first_column, std::size_t last_column) {
  return columnLetters(first_column) + L':' + columnLetters(last_column);
}

std::optional<std::wstring> blockRangeAddress(std::int64_t first_row, std::size_t row_count,
                                              std::size_t column_count) {
  if (first_row < 1 || column_count < 1 || row_count < 1) return std::nullopt;
  const auto first = static_cast<std::size_t>(first_row);
  return rangeAddress(1, first, column_count, first + row_count - 1);
}

}  // namespace kj::sheet
