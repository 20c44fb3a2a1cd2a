#pragma once
// Cell addresses of a worksheet. Columns and rows are numbered from 1; a
// column number becomes letters by the bijective base-26 rule (1 -> A,
// 26 -> Z, 27 -> AA, 52 -> AZ, 53 -> BA).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace kj::sheet {

// The letters of column `column`; empty for 0.
std::wstring columnLetters(std::size_t column);

// "C3": the column letters followed by the row number.
std::wstring cellAddress(std::size_t column, std::size_t row);

// "A1:C2": two cell addresses joined by ":".
std::wstring rangeAddress(std::size_t first_column, std::size_t first_row, std::size_t last_column,
                          std::size_t last_row);

// "A:K": two column letter groups joined by ":".
std::wstring columnRangeAddress(std::size_t first_column, std::size_t last_column);

// The range a block of `row_count` rows of `column_count` texts covers when
// it starts at column A of `first_row`; none when the first row, the column
// count or the last row is below 1.
std::optional<std::wstring> blockRangeAddress(std::int64_t first_row, std::size_t row_count,
                                              std::size_t column_count);

}  // namespace kj::sheet
