#include "export/sheet_address.h"

#include <gtest/gtest.h>

#include <utility>

namespace kj::sheet {
namespace {

TEST(SheetAddress, ColumnLettersFollowTheBijectiveBase26Rule) {
  const std::pair<std::size_t, std::wstring> cases[] = {
      {0, L""},   {1, L"A"},   {2, L"B"},   {26, L"Z"},    {27, L"AA"},    {33, L"AG"},  {41, L"AO"},
      {52, L"AZ"}, {53, L"BA"}, {702, L"ZZ"}, {703, L"AAA"}, {16384, L"XFD"},
  };
  for (const auto& [column, letters] : cases) {
    EXPECT_EQ(columnLetters(column), letters) << column;
  }
}

TEST(SheetAddress, CellsRangesAndColumnRanges) {
  EXPECT_EQ(cellAddress(3, 3), L"C3");
  EXPECT_EQ(cellAddress(27, 65536), L"AA65536");
  EXPECT_EQ(rangeAddress(2, 3, 2, 40), L"B3:B40");
  EXPECT_EQ(rangeAddress(1, 1, 1, 1), L"A1:A1");
  EXPECT_EQ(columnRangeAddress(1, 33), L"A:AG");
  EXPECT_EQ(columnRangeAddress(1, 11), L"A:K");
}

TEST(SheetAddress, BlockRangesStartAtColumnAAndRefuseEmptyOrMisplacedBlocks) {
  struct Case {
    std::int64_t first_row;
    std::size_t rows, columns;
    std::optional<std::wstring> range;
  } const cases[] = {
      {1, 2, 3, L"A1:C2"},
      {3, 3, 33, L"A3:AG5"},
      {2, 1, 41, L"A2:AO2"},
      {1, 1, 0, std::nullopt},   // first row without texts
      {1, 0, 3, std::nullopt},   // no rows: last row 0
      {0, 2, 3, std::nullopt},   // first row 0
      {-5, 9, 3, std::nullopt},  // last row above 1, first row below
  };
  for (const auto& c : cases) {
    EXPECT_EQ(blockRangeAddress(c.first_row, c.rows, c.columns), c.range)
        << c.first_row << " " << c.rows << " " << c.columns;
  }
}

}  // namespace
}  // namespace kj::sheet
