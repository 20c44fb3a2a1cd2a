#include "export/sheet_layout.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "tests/export/sheet_fixture.h"

namespace kj::sheet {
namespace {

using test::labelled;
using test::labelledRecord;
using test::labelledRecords;

template <std::size_t N>
std::array<bool, N> only(const std::vector<std::wstring_view>& keys) {
  std::array<bool, N> flags{};
  for (std::size_t i = 0; i < N; ++i) {
    for (std::wstring_view key : keys) flags[i] = flags[i] || catalogue::output_items[i].key == key;
  }
  return flags;
}

template <std::size_t N>
std::array<bool, N> all() {
  std::array<bool, N> flags{};
  flags.fill(true);
  return flags;
}

std::vector<std::wstring> texts(const std::vector<std::wstring_view>& views) {
  return {views.begin(), views.end()};
}

// The member behind every column of a full plain sheet, in column order.
const std::vector<std::wstring> plain_column_keys = {
    L"lot_number", L"number", L"datetime", L"joint_kind", L"joint_size", L"joint_manufacturer",
    L"joint_management_id", L"joint_resistance", L"joint_output_voltage", L"joint_output_seconds",
    L"joint_barcode", L"joint_traceability_barcode", L"exit_code", L"temperature", L"resistance",
    L"output_voltage_min", L"output_voltage_max", L"output_current_min", L"output_current_max",
    L"input_voltage_min", L"input_voltage_max", L"output_seconds", L"actual_output_seconds",
    L"remain_output_seconds", L"energy", L"latitude_text", L"longitude_text", L"order", L"worker",
    L"version", L"maintenance_date", L"lifecycle_counts", L"remarks"};

const std::vector<std::wstring> battery_column_keys = [] {
  auto keys = plain_column_keys;
  for (const wchar_t* k : {L"battery_type", L"battery_identifier", L"battery_cycle", L"battery_full_capacity",
                           L"battery_capacity_before", L"battery_capacity_after",
                           L"battery_temperature_before", L"battery_temperature_after"}) {
    keys.push_back(k);
  }
  return keys;
}();

template <class Layout>
void expectDataRows(const Layout& layout, const std::vector<std::wstring>& keys, int records) {
  ASSERT_EQ(layout.data.size(), keys.size() * static_cast<std::size_t>(records));
  for (int r = 0; r < records; ++r) {
    const auto row = layout.dataRows().row(static_cast<std::size_t>(r));
    for (std::size_t c = 0; c < keys.size(); ++c) {
      EXPECT_EQ(row[c], labelled(keys[c], r + 1)) << "row " << r << " column " << c;
    }
  }
}

TEST(SheetLayout, AllPlainItemsGiveThirtyThreeColumnsInItemOrder) {
  const auto records = labelledRecords<file::Efdx>(3);
  const SheetLayout layout = buildSheetLayout(all<32>(), records);

  ASSERT_EQ(layout.columnCount(), 33u);
  EXPECT_EQ(layout.group_count, 4u);
  EXPECT_EQ((std::array<std::size_t, 4>{layout.group_columns[0], layout.group_columns[1],
                                        layout.group_columns[2], layout.group_columns[3]}),
            (std::array<std::size_t, 4>{3, 9, 15, 6}));
  EXPECT_EQ(layout.group_columns[4], 0u);
  EXPECT_EQ(layout.record_count, 3u);
  expectDataRows(layout, plain_column_keys, 3);

  // Spot checks of the texts: groups, plain headers, line breaks, the "ー" spelling, formats.
  EXPECT_EQ(layout.group_row[2], L"");
  EXPECT_EQ(layout.group_row[3], L"継手情報");
  EXPECT_EQ(layout.group_row[26], L"融着記録");
  EXPECT_EQ(layout.group_row[27], L"管理情報");
  EXPECT_EQ(layout.header_row[0], L"機体番号");
  EXPECT_EQ(layout.header_row[7], L"標準\n抵抗");
  EXPECT_EQ(layout.header_row[11], L"トレーサビリティーバーコードデータ");
  EXPECT_EQ(layout.header_row[19], L"入力電圧\n最低");
  EXPECT_EQ(layout.header_row[20], L"入力電圧\n最高");
  EXPECT_EQ(layout.header_row[25], L"緯度");
  EXPECT_EQ(layout.header_row[26], L"経度");
  EXPECT_EQ(layout.header_row[31], L"生涯融着回数");
  const std::vector<std::size_t> text_columns = {0, 4, 6, 10, 11, 27, 28, 29};
  for (std::size_t c = 0; c < layout.formats.size(); ++c) {
    const bool text = std::find(text_columns.begin(), text_columns.end(), c) != text_columns.end();
    EXPECT_EQ(layout.formats[c], text ? L"@" : L"") << c;
  }
}

TEST(SheetLayout, AllBatteryItemsAppendTheBatteryGroupAndChangeTwoHeaders) {
  const auto records = labelledRecords<file::EfdxBattery>(2);
  const SheetLayout layout = buildSheetLayout(all<40>(), records);

  ASSERT_EQ(layout.columnCount(), 41u);
  EXPECT_EQ(layout.group_count, 5u);
  EXPECT_EQ(layout.group_columns, (std::array<std::size_t, 5>{3, 9, 15, 6, 8}));
  expectDataRows(layout, battery_column_keys, 2);
  EXPECT_EQ(layout.header_row[19], L"電池電圧\n最低");
  EXPECT_EQ(layout.header_row[20], L"電池電圧\n最高");
  EXPECT_EQ(layout.header_row[31], L"L_cnt");
  EXPECT_EQ(layout.header_row[33], L"電池タイプ");
  EXPECT_EQ(layout.header_row[40], L"通電後電池温度");
  for (std::size_t c = 33; c < 41; ++c) {
    EXPECT_EQ(layout.group_row[c], L"電池情報") << c;
    EXPECT_EQ(layout.formats[c], L"") << c;
  }
}

TEST(SheetLayout, SelectedItemsOnly) {
  struct Case {
    std::vector<std::wstring_view> keys;
    std::vector<std::wstring> groups, headers, formats, members;
    std::array<std::size_t, 4> counts;
  } const cases[] = {
      {{L"lot_number", L"remarks"},
       {L"", L"管理情報"}, {L"機体番号", L"備考"}, {L"@", L""}, {L"lot_number", L"remarks"}, {1, 0, 0, 1}},
      {{L"coord"},
       {L"融着記録", L"融着記録"}, {L"緯度", L"経度"}, {L"", L""}, {L"latitude_text", L"longitude_text"},
       {0, 0, 2, 0}},
      {{L"joint_size", L"order", L"number"},
       {L"", L"継手情報", L"管理情報"}, {L"No.", L"サイズ", L"オーダーNo."}, {L"", L"@", L"@"},
       {L"number", L"joint_size", L"order"}, {1, 1, 0, 1}},
      {{}, {}, {}, {}, {}, {0, 0, 0, 0}},
  };
  const auto records = labelledRecords<file::Efdx>(2);
  for (const auto& c : cases) {
    const SheetLayout layout = buildSheetLayout(only<32>(c.keys), records);
    SCOPED_TRACE(testing::Message() << c.headers.size() << " columns");
    EXPECT_EQ(texts(layout.group_row), c.groups);
    EXPECT_EQ(texts(layout.header_row), c.headers);
    EXPECT_EQ(texts(layout.formats), c.formats);
    EXPECT_EQ((std::array<std::size_t, 4>{layout.group_columns[0], layout.group_columns[1],
                                          layout.group_columns[2], layout.group_columns[3]}),
              c.counts);
    expectDataRows(layout, c.members, 2);
  }
}

TEST(SheetLayout, BatteryItemsAreNotOfferedForPlainRecords) {
  // A plain selection ends at item 32: nothing of the battery group appears.
  const SheetLayout layout = buildSheetLayout(all<32>(), labelledRecords<file::Efdx>(1));
  EXPECT_EQ(layout.group_columns[4], 0u);
  EXPECT_EQ(std::count(layout.group_row.begin(), layout.group_row.end(), L"電池情報"), 0);
}

TEST(SheetLayout, ARecordWithoutDecodedBarcodeShowsNoDataInItsJointCells) {
  std::vector<file::Efdx> records = {labelledRecord<file::Efdx>(1), labelledRecord<file::Efdx>(2, false),
                                     labelledRecord<file::Efdx>(3)};
  const SheetLayout layout = buildSheetLayout(all<32>(), records);
  for (int r = 0; r < 3; ++r) {
    const auto row = layout.dataRows().row(static_cast<std::size_t>(r));
    for (std::size_t c = 0; c < plain_column_keys.size(); ++c) {
      // Items 4-10 are the decoded joint texts; item 11 is the record's own barcode.
      const bool joint = c >= 3 && c <= 9;
      const std::wstring expected = (r == 1 && joint) ? L"***" : labelled(plain_column_keys[c], r + 1);
      EXPECT_EQ(row[c], expected) << "row " << r << " column " << c;
    }
  }
}

TEST(SheetLayout, AnEmptyRecordListHasHeadersAndNoDataRows) {
  const SheetLayout layout = buildSheetLayout(all<40>(), std::vector<file::EfdxBattery>{});
  EXPECT_EQ(layout.columnCount(), 41u);
  EXPECT_EQ(layout.record_count, 0u);
  EXPECT_TRUE(layout.data.empty());
  EXPECT_EQ(layout.dataRows().rowCount(), 0u);
}

}  // namespace
}  // namespace kj::sheet
