#include "export/sheet_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "export/sheet_address.h"
#include "tests/export/recording_driver.h"
#include "tests/export/sheet_fixture.h"

namespace kj::sheet {
namespace {

using test::DriverCall;
using test::labelled;
using test::labelledRecords;
using test::RecordingDriver;
using Rows = std::vector<std::vector<std::wstring>>;

DriverCall call(std::wstring operation, std::vector<std::wstring> arguments = {}, Rows rows = {}) {
  return {std::move(operation), std::move(arguments), std::move(rows)};
}

Rows dataRows(const std::vector<std::wstring>& keys, int records) {
  Rows rows;
  for (int r = 1; r <= records; ++r) {
    auto& row = rows.emplace_back();
    for (const auto& key : keys) row.push_back(labelled(key, r));
  }
  return rows;
}

PlainSelection selectPlain(std::initializer_list<std::wstring_view> keys) {
  PlainSelection flags{};
  for (std::size_t i = 0; i < flags.size(); ++i) {
    for (std::wstring_view key : keys) flags[i] = flags[i] || catalogue::output_items[i].key == key;
  }
  return flags;
}

// Three records, items lot_number and remarks: every call of the sheet in order.
std::vector<DriverCall> lotAndRemarksCalls() {
  return {
      call(L"open", {L"融着記録"}),
      call(L"disableAlerts"),
      call(L"writeBlock", {L"1"}, {{L"", L"管理情報"}}),
      call(L"merge", {L"A1:A1"}),
      call(L"merge", {L"B1:B1"}),
      call(L"writeBlock", {L"2"}, {{L"機体番号", L"備考"}}),
      call(L"setNumberFormat", {L"A3:A5", L"@"}),
      call(L"setNumberFormat", {L"B3:B5", L""}),
      call(L"writeBlock", {L"3"}, dataRows({L"lot_number", L"remarks"}, 3)),
      call(L"autoFitColumns", {L"A:B"}),
      call(L"drawGrid", {L"A1:B5"}),
  };
}

TEST(SheetWriter, WritesTheStepsInOrderWithTheirArguments) {
  RecordingDriver driver;
  EXPECT_TRUE(writeEfdxSheet(selectPlain({L"lot_number", L"remarks"}), labelledRecords<file::Efdx>(3), driver));
  EXPECT_EQ(driver.calls(), lotAndRemarksCalls());
}

TEST(SheetWriter, OnlyAFailedOpenFailsTheSheet) {
  const auto records = labelledRecords<file::Efdx>(3);
  const auto selection = selectPlain({L"lot_number", L"remarks"});
  {
    RecordingDriver driver;
    driver.failOn(L"open");
    EXPECT_FALSE(writeEfdxSheet(selection, records, driver));
    EXPECT_EQ(driver.calls(), (std::vector<DriverCall>{call(L"open", {L"融着記録"})}));
  }
  // Any later step but the data block may fail: the sheet goes on with the
  // same calls and counts as written.
  const std::pair<std::wstring, std::size_t> failures[] = {
      {L"disableAlerts", 0}, {L"writeBlock", 0}, {L"merge", 0},    {L"merge", 1},
      {L"writeBlock", 1},    {L"setNumberFormat", 0}, {L"setNumberFormat", 1},
      {L"autoFitColumns", 0},  {L"drawGrid", 0},
  };
  for (const auto& [operation, occurrence] : failures) {
    RecordingDriver driver;
    driver.failOn(operation, occurrence);
    EXPECT_TRUE(writeEfdxSheet(selection, records, driver)) << toUtf8(operation) << " " << occurrence;
    EXPECT_EQ(driver.calls(), lotAndRemarksCalls()) << toUtf8(operation) << " " << occurrence;
  }
}

TEST(SheetWriter, ARefusedDataBlockFailsTheSheetAndEndsIt) {
  RecordingDriver driver;
  driver.failOn(L"writeBlock", 2);
  EXPECT_FALSE(writeEfdxSheet(selectPlain({L"lot_number", L"remarks"}), labelledRecords<file::Efdx>(3), driver));
  auto expected = lotAndRemarksCalls();
  expected.resize(9);  // up to the data block; no widths, no grid
  EXPECT_EQ(driver.calls(), expected);
}

TEST(SheetWriter, AllItemsMergeEveryGroupAndCoverTheFullWidth) {
  struct Case {
    bool battery;
    std::size_t columns;
    std::vector<std::wstring> merges;
    std::wstring fit, grid;
  } const cases[] = {
      {false, 33, {L"A1:C1", L"D1:L1", L"M1:AA1", L"AB1:AG1"}, L"A:AG", L"A1:AG3"},
      {true, 41, {L"A1:C1", L"D1:L1", L"M1:AA1", L"AB1:AG1", L"AH1:AO1"}, L"A:AO", L"A1:AO3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.battery ? "battery records" : "plain records");
    RecordingDriver driver;
    if (c.battery) {
      BatterySelection selection{};
      selection.fill(true);
      EXPECT_TRUE(writeEfdxBatterySheet(selection, labelledRecords<file::EfdxBattery>(1), driver));
    } else {
      PlainSelection selection{};
      selection.fill(true);
      EXPECT_TRUE(writeEfdxSheet(selection, labelledRecords<file::Efdx>(1), driver));
    }
    std::vector<std::wstring> merges, formats, blocks;
    std::wstring fit, grid;
    for (const DriverCall& k : driver.calls()) {
      if (k.operation == L"merge") merges.push_back(k.arguments.at(0));
      if (k.operation == L"setNumberFormat") formats.push_back(k.arguments.at(0));
      if (k.operation == L"autoFitColumns") fit = k.arguments.at(0);
      if (k.operation == L"drawGrid") grid = k.arguments.at(0);
      if (k.operation == L"writeBlock") {
        EXPECT_EQ(k.rows.size(), 1u);
        EXPECT_EQ(k.rows.at(0).size(), c.columns);
        blocks.push_back(k.arguments.at(0));
      }
    }
    EXPECT_EQ(merges, c.merges);
    EXPECT_EQ(blocks, (std::vector<std::wstring>{L"1", L"2", L"3"}));
    ASSERT_EQ(formats.size(), c.columns);
    EXPECT_EQ(formats.front(), L"A3:A3");
    EXPECT_EQ(formats[26], L"AA3:AA3");
    EXPECT_EQ(formats.back(), rangeAddress(c.columns, 3, c.columns, 3));
    EXPECT_EQ(fit, c.fit);
    EXPECT_EQ(grid, c.grid);
  }
}

TEST(SheetWriter, CoordAloneIsOneMergedFusionGroupOverLatitudeAndLongitude) {
  RecordingDriver driver;
  EXPECT_TRUE(writeEfdxSheet(selectPlain({L"coord"}), labelledRecords<file::Efdx>(2), driver));
  EXPECT_EQ(driver.calls(), (std::vector<DriverCall>{
                                call(L"open", {L"融着記録"}),
                                call(L"disableAlerts"),
                                call(L"writeBlock", {L"1"}, {{L"融着記録", L"融着記録"}}),
                                call(L"merge", {L"A1:B1"}),
                                call(L"writeBlock", {L"2"}, {{L"緯度", L"経度"}}),
                                call(L"setNumberFormat", {L"A3:A4", L""}),
                                call(L"setNumberFormat", {L"B3:B4", L""}),
                                call(L"writeBlock", {L"3"}, dataRows({L"latitude_text", L"longitude_text"}, 2)),
                                call(L"autoFitColumns", {L"A:B"}),
                                call(L"drawGrid", {L"A1:B4"}),
                            }));
}

TEST(SheetWriter, AnEmptyRecordListWritesTheTwoHeaderRowsOnly) {
  RecordingDriver driver;
  EXPECT_TRUE(writeEfdxSheet(selectPlain({L"number", L"worker"}), {}, driver));
  EXPECT_EQ(driver.calls(), (std::vector<DriverCall>{
                                call(L"open", {L"融着記録"}),
                                call(L"disableAlerts"),
                                call(L"writeBlock", {L"1"}, {{L"", L"管理情報"}}),
                                call(L"merge", {L"A1:A1"}),
                                call(L"merge", {L"B1:B1"}),
                                call(L"writeBlock", {L"2"}, {{L"No.", L"施工者ID"}}),
                                call(L"autoFitColumns", {L"A:B"}),
                                call(L"drawGrid", {L"A1:B2"}),
                            }));
}

TEST(SheetWriter, ARecordWithoutDecodedBarcodeIsWrittenWithNoDataJointCells) {
  std::vector<file::EfdxBattery> records = {test::labelledRecord<file::EfdxBattery>(1, false)};
  BatterySelection selection{};
  selection[3] = selection[9] = selection[10] = true;  // joint_kind, joint_output_seconds, joint_barcode
  RecordingDriver driver;
  EXPECT_TRUE(writeEfdxBatterySheet(selection, records, driver));
  ASSERT_EQ(driver.calls().size(), 11u);
  EXPECT_EQ(driver.calls()[8], call(L"writeBlock", {L"3"}, {{L"***", L"***", labelled(L"joint_barcode", 1)}}));
}

TEST(SheetWriter, NoSelectedItemLeavesTheOpenedSheetEmpty) {
  RecordingDriver driver;
  EXPECT_TRUE(writeEfdxSheet(PlainSelection{}, labelledRecords<file::Efdx>(2), driver));
  EXPECT_EQ(driver.calls(), (std::vector<DriverCall>{call(L"open", {L"融着記録"}), call(L"disableAlerts")}));
}

TEST(SheetWriter, MoreRecordsThanOneSheetHoldsAreRefusedBeforeTheDriverIsOpened) {
  EXPECT_TRUE(fitsOneSheet(65534));
  EXPECT_FALSE(fitsOneSheet(65535));
  BatterySelection battery{};
  battery[0] = true;
  {
    RecordingDriver driver;
    EXPECT_FALSE(writeEfdxBatterySheet(battery, std::vector<file::EfdxBattery>(65535), driver));
    EXPECT_TRUE(driver.calls().empty());
  }
  {
    RecordingDriver driver;
    EXPECT_FALSE(writeEfdxSheet(selectPlain({L"lot_number"}), std::vector<file::Efdx>(65535), driver));
    EXPECT_TRUE(driver.calls().empty());
  }
  // The last record that fits goes to row 65,536.
  RecordingDriver driver;
  EXPECT_TRUE(writeEfdxSheet(selectPlain({L"lot_number"}), std::vector<file::Efdx>(65534), driver));
  ASSERT_FALSE(driver.calls().empty());
  EXPECT_EQ(driver.calls().back(), call(L"drawGrid", {L"A1:A65536"}));
  bool data_written = false;
  for (const DriverCall& k : driver.calls()) {
    if (k.operation == L"writeBlock" && k.arguments == std::vector<std::wstring>{L"3"}) {
      data_written = true;
      EXPECT_EQ(k.rows.size(), 65534u);
    }
  }
  EXPECT_TRUE(data_written);
}

}  // namespace
}  // namespace kj::sheet

namespace kj::test {
namespace {

TEST(RecordingDriver, FailsExactlyTheCallItIsToldToFail) {
  RecordingDriver driver;
  driver.failOn(L"merge", 1);
  EXPECT_TRUE(driver.merge(L"A1:A1"));
  EXPECT_TRUE(driver.drawGrid(L"A1:A1"));
  EXPECT_FALSE(driver.merge(L"B1:B1"));
  EXPECT_TRUE(driver.merge(L"C1:C1"));
  EXPECT_EQ(driver.calls().size(), 4u);
  EXPECT_EQ(driver.calls()[2], (DriverCall{L"merge", {L"B1:B1"}, {}}));
}

}  // namespace
}  // namespace kj::test
