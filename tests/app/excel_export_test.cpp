// The Excel conversion of the main window: the output item dialog of the
// block's record type, the stored selection, the save dialog, the sheet over
// the spreadsheet driver and the outcome messages.

#include "app/excel_export.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "export/sheet_layout.h"
#include "tests/app/app_fixture.h"

namespace kj::app {
namespace {

using kj::test::DriverCall;
using kj::test::headerlessBlock;
using kj::test::RecordFields;
using kj::test::soundRecord;
using test::AppTest;
using test::ShownMessage;
using test::window_title;

// The boxes of a dialog with `count` items where only `keys` are checked.
std::vector<bool> checking(std::size_t count, std::initializer_list<std::wstring_view> keys) {
  std::vector<bool> checked(count, false);
  for (std::size_t i = 0; i < count; ++i) {
    for (std::wstring_view key : keys) checked[i] = checked[i] || catalogue::output_items[i].key == key;
  }
  return checked;
}

std::vector<std::wstring> operations(const std::vector<DriverCall>& calls) {
  std::vector<std::wstring> names;
  for (const DriverCall& c : calls) names.push_back(c.operation);
  return names;
}

ShownMessage shown(std::wstring_view text, MessageIcon icon) {
  return {std::wstring(text), window_title, icon, MessageButtons::ok};
}

class ExcelExportFlow : public AppTest {
 protected:
  void SetUp() override { create(); }

  // Loads a plain file of three records and answers the dialogs: the output
  // item boxes (nothing: cancel) and the save dialog (nothing: cancel).
  void exportPlain(std::optional<std::vector<bool>> boxes, std::optional<std::wstring> target) {
    state->loadFile(plainFile(L"site1.efdx", 3));
    ui.messages.clear();
    exportWith(std::move(boxes), std::move(target));
  }
  void exportWith(std::optional<std::vector<bool>> boxes, std::optional<std::wstring> target) {
    ui.output_item_answers = {std::move(boxes)};
    ui.save_answers = {std::move(target)};
    state->onCommand(IDM_EXPORT_EXCEL, 0);
  }
  std::optional<StoredValue> storedPlain(std::wstring_view key) { return store.get(export_columns_key, key); }
};

TEST_F(ExcelExportFlow, PlainRecordsAreConvertedWithTheChosenItems) {
  state->loadFile(plainFile(L"site1.efdx", 3));
  ui.messages.clear();
  const std::wstring target = dir.file(L"out.xls");
  ui.output_item_answers = {checking(32, {L"lot_number", L"remarks"})};
  ui.save_answers = {target};
  bool busy_in_dialog = false;
  ui.during_modal = [&] { busy_in_dialog = state->busy(); };
  state->onCommand(IDM_EXPORT_EXCEL, 0);

  // Nothing was stored before: the dialog opened with every box checked.
  ASSERT_EQ(ui.output_items_shown.size(), 1u);
  EXPECT_EQ(ui.output_items_shown[0].variant, OutputItemVariant::plain);
  EXPECT_EQ(ui.output_items_shown[0].template_id, IDD_OUTPUT_ITEMS);
  EXPECT_EQ(ui.output_items_shown[0].initial, std::vector<bool>(32, true));
  EXPECT_TRUE(busy_in_dialog);

  // The confirmed selection is held and stored.
  ExportColumns expected{};
  expected[0] = expected[31] = true;
  EXPECT_EQ(settings.export_columns, expected);
  EXPECT_EQ(storedPlain(L"lot_number"), StoredValue::of_dword(1));
  EXPECT_EQ(storedPlain(L"number"), StoredValue::of_dword(0));
  EXPECT_EQ(storedPlain(L"remarks"), StoredValue::of_dword(1));
  EXPECT_FALSE(store.has_key(battery_export_columns_key));
  EXPECT_EQ(state->excelExport().dialogResult(OutputItemVariant::plain), (OutputItemDialogResult{true, 2}));

  // The save dialog proposes the record file's name.
  ASSERT_EQ(ui.save_requests.size(), 1u);
  const SaveFileRequest& request = ui.save_requests[0];
  EXPECT_EQ(request.initial_name, L"site1");
  EXPECT_EQ(request.filters, (std::vector<FileFilter>{{L"Excel形式 (*.xls)", L"*.xls"}}));
  EXPECT_EQ(request.default_extension, L"xls");
  EXPECT_TRUE(request.overwrite_prompt);

  // One driver: the sheet of the two items over the three records, saved at
  // the chosen path, then closed.
  EXPECT_EQ(drivers_made, 1);
  EXPECT_EQ(purposes, std::vector<SheetPurpose>{SheetPurpose::workbook});
  const auto& calls = driver.calls();
  EXPECT_EQ(operations(calls),
            (std::vector<std::wstring>{L"open", L"disableAlerts", L"writeBlock", L"merge", L"merge", L"writeBlock",
                                       L"setNumberFormat", L"setNumberFormat", L"writeBlock", L"autoFitColumns",
                                       L"drawGrid", L"saveAs", L"close"}));
  const auto& records = *state->recordSet().plainRecords();
  std::vector<std::vector<std::wstring>> rows;
  for (const auto& r : records) rows.push_back({r.lot_number, r.remarks});
  EXPECT_EQ(calls.at(5).rows, (std::vector<std::vector<std::wstring>>{{L"機体番号", L"備考"}}));
  EXPECT_EQ(calls.at(8).rows, rows);
  EXPECT_EQ(calls.at(11).arguments, std::vector<std::wstring>{target});

  EXPECT_EQ(ui.messages, (std::vector<ShownMessage>{shown(L"エクセル出力に成功しました。", MessageIcon::information)}));
  EXPECT_FALSE(state->busy());
}

TEST_F(ExcelExportFlow, BatteryRecordsUseTheirOwnDialogAndSelection) {
  state->loadFile(batteryFile(L"bt.efdx", 2));
  ui.messages.clear();
  // A stored battery selection is what the dialog starts with.
  for (std::size_t i = 0; i < battery_export_column_count; ++i) {
    store.put(battery_export_columns_key, output_item_value_name(i), StoredValue::of_dword(i % 2 == 0 ? 1 : 0));
  }
  const ExportColumns plain_before = settings.export_columns;
  exportWith(checking(40, {L"number", L"battery_type", L"battery_temperature_after"}), dir.file(L"bt.xls"));

  ASSERT_EQ(ui.output_items_shown.size(), 1u);
  EXPECT_EQ(ui.output_items_shown[0].variant, OutputItemVariant::battery);
  EXPECT_EQ(ui.output_items_shown[0].template_id, IDD_BATTERY_OUTPUT_ITEMS);
  std::vector<bool> alternate(40);
  for (std::size_t i = 0; i < alternate.size(); ++i) alternate[i] = i % 2 == 0;
  EXPECT_EQ(ui.output_items_shown[0].initial, alternate);

  EXPECT_EQ(store.get(battery_export_columns_key, L"battery_type"), StoredValue::of_dword(1));
  EXPECT_EQ(store.get(battery_export_columns_key, L"lot_number"), StoredValue::of_dword(0));
  EXPECT_FALSE(store.has_key(export_columns_key));
  EXPECT_EQ(settings.export_columns, plain_before);
  EXPECT_EQ(state->excelExport().dialogResult(OutputItemVariant::battery), (OutputItemDialogResult{true, 3}));

  // The battery sheet: its group row ends with the battery group.
  ASSERT_GE(driver.calls().size(), 3u);
  EXPECT_EQ(driver.calls()[2].rows,
            (std::vector<std::vector<std::wstring>>{{L"", L"電池情報", L"電池情報"}}));
  EXPECT_EQ(ui.messages, (std::vector<ShownMessage>{shown(L"エクセル出力に成功しました。", MessageIcon::information)}));
}

TEST_F(ExcelExportFlow, FewerThanTwoItemsAreRefusedWithoutStoringOrAsking) {
  struct Case {
    const char* name;
    std::vector<bool> boxes;
    bool proceeds;
  };
  const Case cases[] = {
      {"no item", std::vector<bool>(32, false), false},
      {"one item", checking(32, {L"energy"}), false},
      {"two items", checking(32, {L"energy", L"coord"}), true},
  };
  state->loadFile(plainFile(L"a.efdx", 1));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui.messages.clear();
    ui.save_requests.clear();
    store.clear_writes();
    exportWith(c.boxes, std::nullopt);  // the save dialog is cancelled
    EXPECT_EQ(ui.save_requests.size(), c.proceeds ? 1u : 0u);
    EXPECT_EQ(store.writes().empty(), !c.proceeds);
    if (c.proceeds) {
      EXPECT_TRUE(ui.messages.empty());
    } else {
      EXPECT_EQ(ui.messages, (std::vector<ShownMessage>{shown(
                                 L"エクセル出力に失敗しました。\n項目が二つ以上選択されていません。", MessageIcon::error)}));
    }
  }
  EXPECT_EQ(drivers_made, 0);
}

TEST_F(ExcelExportFlow, CancelledDialogsEndWithoutAMessage) {
  // The output item dialog: the selection stays as it was, nothing is stored.
  settings.export_columns[3] = false;
  store.put(export_columns_key, L"joint_kind", StoredValue::of_dword(0));
  store.clear_writes();
  const ExportColumns before = settings.export_columns;
  exportPlain(std::nullopt, dir.file(L"never.xls"));
  EXPECT_EQ(settings.export_columns, before);
  EXPECT_TRUE(store.writes().empty());
  EXPECT_TRUE(ui.save_requests.empty());
  EXPECT_FALSE(state->excelExport().dialogResult(OutputItemVariant::plain).accepted);

  // The save dialog: the confirmed selection is stored all the same.
  exportWith(checking(32, {L"number", L"datetime"}), std::nullopt);
  EXPECT_EQ(storedPlain(L"datetime"), StoredValue::of_dword(1));
  EXPECT_EQ(storedPlain(L"lot_number"), StoredValue::of_dword(0));
  EXPECT_EQ(ui.save_requests.size(), 1u);

  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(drivers_made, 0);
  EXPECT_FALSE(state->busy());
}

TEST_F(ExcelExportFlow, AnUnreadableStoredSelectionOpensTheDialogWithEveryBox) {
  settings.export_columns.fill(false);
  store.put(export_columns_key, L"number", StoredValue::of_dword(0));
  store.fail_open_for_read(export_columns_key);
  exportPlain(std::nullopt, std::nullopt);
  ASSERT_EQ(ui.output_items_shown.size(), 1u);
  EXPECT_EQ(ui.output_items_shown[0].initial, std::vector<bool>(32, true));
}

TEST_F(ExcelExportFlow, FailuresOfTheSpreadsheetGiveTheirOutcome) {
  const std::wstring_view generation = L"エクセル出力に失敗しました。\nデータの生成に失敗しました。";
  const std::wstring_view saving =
      L"エクセル出力に失敗しました。\n出力先のファイルが別のアプリケーションで開かれている可能性があります。";
  struct Case {
    const char* name;
    bool no_driver;
    std::wstring fail;
    std::size_t occurrence;
    std::wstring_view text;
    MessageIcon icon;
    std::vector<std::wstring> tail;  // the last driver calls
  };
  const Case cases[] = {
      {"no spreadsheet at all", true, L"", 0, generation, MessageIcon::error, {}},
      {"cannot be opened", false, L"open", 0, generation, MessageIcon::error, {L"open", L"close"}},
      {"data block refused", false, L"writeBlock", 2, generation, MessageIcon::error, {L"writeBlock", L"close"}},
      {"saving fails", false, L"saveAs", 0, saving, MessageIcon::error, {L"saveAs", L"close"}},
      // A merge, a format or the grid may fail: the workbook still holds the records.
      {"a merge fails", false, L"merge", 0, L"エクセル出力に成功しました。", MessageIcon::information,
       {L"saveAs", L"close"}},
      {"the grid fails", false, L"drawGrid", 0, L"エクセル出力に成功しました。", MessageIcon::information,
       {L"saveAs", L"close"}},
  };
  const std::wstring path = plainFile(L"f.efdx", 2);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    driver = kj::test::RecordingDriver{};
    if (!c.fail.empty()) driver.failOn(c.fail, c.occurrence);
    no_driver = c.no_driver;
    state->loadFile(path);
    ui.messages.clear();
    exportWith(checking(32, {L"lot_number", L"number"}), dir.file(L"f.xls"));
    EXPECT_EQ(ui.messages, (std::vector<ShownMessage>{shown(c.text, c.icon)}));
    const auto names = operations(driver.calls());
    ASSERT_GE(names.size(), c.tail.size());
    EXPECT_EQ(std::vector<std::wstring>(names.end() - static_cast<std::ptrdiff_t>(c.tail.size()), names.end()), c.tail);
    // The driver is closed once, whatever happened.
    EXPECT_EQ(std::count(names.begin(), names.end(), L"close"), c.no_driver ? 0 : 1);
    EXPECT_FALSE(state->busy());
  }
}

TEST_F(ExcelExportFlow, BlocksWithoutRecordSheetDoNothing) {
  state->loadFile(plainFile(L"shown.efdx", 1));
  // A block of kind 3 is not shown; the export still available does nothing.
  state->loadFile(file(L"pk.efdx", kj::test::blockText(kj::test::taggedHeader(L"PK", 1, 39, 1), {soundRecord(39, 0)})));
  ASSERT_EQ(state->recordSet().block_kind, BlockKind::TaggedPK);
  ui.messages.clear();
  exportWith(checking(32, {L"lot_number", L"number"}), dir.file(L"pk.xls"));
  EXPECT_TRUE(ui.output_items_shown.empty());
  EXPECT_TRUE(ui.save_requests.empty());
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(drivers_made, 0);
  EXPECT_FALSE(state->busy());
}

TEST_F(ExcelExportFlow, MoreRecordsThanOneSheetHoldsAreRefusedBeforeAnything) {
  std::vector<RecordFields> records(sheet::max_sheet_records + 1, soundRecord(39, 0));
  state->loadFile(file(L"full.efdx", headerlessBlock(records)));
  ASSERT_EQ(state->recordSet().plainRecords()->size(), 65535u);
  ui.messages.clear();
  exportWith(checking(32, {L"lot_number", L"number"}), dir.file(L"full.xls"));
  EXPECT_EQ(ui.messages, (std::vector<ShownMessage>{shown(
                             L"エクセル出力に失敗しました。\n1つのシートに出力できる記録は65534件までです。",
                             MessageIcon::error)}));
  EXPECT_TRUE(ui.output_items_shown.empty());
  EXPECT_TRUE(ui.save_requests.empty());
  EXPECT_TRUE(store.writes().empty());
  EXPECT_EQ(drivers_made, 0);
}

TEST(ExportFileStem, IsTheNameAfterTheLastSeparatorWithoutItsExtension) {
  struct Case {
    std::wstring path;
    std::wstring stem;
  };
  const Case cases[] = {
      {L"C:\\data\\site1.efdx", L"site1"},
      {L"C:\\data\\site.1.efdx", L"site.1"},
      {L"C:\\data.d\\site1", L"site1"},
      {L"C:\\data\\", L""},
      {L"site1.efdx", L""},
      // Windows takes "/" for a separator too.
      {L"/home/user/site1.efdx", L"site1"},
      {L"C:\\data/site1.efdx", L"site1"},
      {L"C:/data.d\\site1", L"site1"},
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(exportFileStem(c.path), c.stem) << toUtf8(c.path);
}

}  // namespace
}  // namespace kj::app
