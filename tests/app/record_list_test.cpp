// The record list holds no rows of its own: it shows a row count and asks
// the window logic for the text of each cell it draws.

#include <gtest/gtest.h>

#include <string>

#include "tests/app/app_fixture.h"

namespace kj::app {
namespace {

using test::AppTest;

class RecordList : public AppTest {
 protected:
  void SetUp() override { create(); }
};

TEST_F(RecordList, CellsOutsideTheShownRowsAreEmpty) {
  state->loadFile(plainFile(L"two.efdx", 2));
  ASSERT_EQ(ui.item_count, 2);
  struct Case {
    int row;
    int column;
  };
  for (const Case c : {Case{-1, 0}, Case{2, 0}, Case{1000, 1}, Case{0, -1}, Case{0, 5}, Case{1, 99}}) {
    EXPECT_EQ(state->listCellText(c.row, c.column), L"") << c.row << "," << c.column;
  }
  // Within them every column has its text.
  EXPECT_EQ(state->listCellText(1, 0), L"1");
  EXPECT_EQ(state->listCellText(1, 1), state->recordSet().plainRecords()->at(1).datetime);
}

TEST_F(RecordList, RowsFollowTheLastDisplayedRecordType) {
  state->loadFile(plainFile(L"plain.efdx", 3));
  state->loadFile(batteryFile(L"battery.efdx", 2));
  const auto& battery = state->recordSet().batteryRecords();
  ASSERT_TRUE(battery);
  ASSERT_EQ(ui.item_count, 2);
  const auto rows = ui.rows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i], listRowOf(i, (*battery)[i])) << i;
    EXPECT_EQ(rows[i][1], (*battery)[i].datetime) << i;
  }
  // The third row of the plain file is gone with it.
  EXPECT_FALSE(state->recordSet().plainRecords());
  EXPECT_EQ(state->listCellText(2, 0), L"");
}

TEST_F(RecordList, AFailedDisplayListsNothing) {
  state->loadFile(plainFile(L"good.efdx", 2));
  state->loadFile(file(L"bad.efdx", L"5,"));
  EXPECT_EQ(ui.item_count, 0);
  EXPECT_EQ(state->listCellText(0, 0), L"");
  EXPECT_EQ(state->listCellText(1, 1), L"");
}

TEST(ListCellOf, EachColumnIsItsPartOfTheRow) {
  file::Efdx record;
  record.datetime = L"24/03/15 14:30";
  record.exit_code = L"正常終了(0)";
  const ListRow row = listRowOf(7, record);
  EXPECT_EQ(row, (ListRow{L"7", L"24/03/15 14:30", L"***", L"***", L"正常終了(0)"}));
  for (int column = 0; column < static_cast<int>(list_column_count); ++column) {
    EXPECT_EQ(listCellOf(7, record, column), row[static_cast<std::size_t>(column)]) << column;
  }
  EXPECT_EQ(listCellOf(7, record, 5), L"");
}

}  // namespace
}  // namespace kj::app
