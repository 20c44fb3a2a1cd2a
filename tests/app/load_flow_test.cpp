// Loading record files into the list and the status bar.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "record/record_fields.h"
#include "base/fs_path.h"
#include "tests/app/app_fixture.h"

namespace kj::app {
namespace {

using kj::test::blockText;
using kj::test::framed;
using kj::test::headerlessBlock;
using kj::test::RecordFields;
using kj::test::soundRecord;
using kj::test::taggedHeader;
using test::AppTest;
using test::withBadChecksum;
using test::withEndCode;
using test::ShownMessage;
using test::window_title;

RecordFields withLot(RecordFields r, const std::wstring& lot) {
  r[record_field::lot_number] = lot;
  return r;
}

class LoadFlow : public AppTest {
 protected:
  void SetUp() override { create(); }

  void expectStatus(const std::wstring& p0, const std::wstring& p1, const std::wstring& p2, const std::wstring& p3) {
    EXPECT_EQ(ui.status[0], p0);
    EXPECT_EQ(ui.status[1], p1);
    EXPECT_EQ(ui.status[2], p2);
    EXPECT_EQ(ui.status[3], p3);
  }
};

TEST_F(LoadFlow, PlainRecordsFillListStatusAndDetail) {
  const std::wstring path = plainFile(L"three.efdx", 3);
  state->loadFile(path);

  const auto& records = state->recordSet().plainRecords();
  ASSERT_TRUE(records);
  ASSERT_EQ(records->size(), 3U);
  ASSERT_EQ(ui.rows().size(), 3U);
  EXPECT_EQ(ui.rows()[0][0], L"0");
  EXPECT_EQ(ui.rows()[2][0], L"2");
  EXPECT_EQ(ui.rows()[0][1], L"24/03/15 14:30");
  for (std::size_t i = 0; i < 3; ++i) {
    const auto& r = (*records)[i];
    ASSERT_TRUE(r.decoded_barcode);
    EXPECT_EQ(ui.rows()[i], (ListRow{std::to_wstring(i), r.datetime, r.decoded_barcode->joint_kind,
                                   r.decoded_barcode->joint_size, r.exit_code}));
  }
  EXPECT_NE(ui.rows()[0][2], L"***");
  expectStatus(L"KJ-M3", L"総記録数: 3 件", L"不良データ: 0 件", L"融着強制終了データ: 0 件");
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(state->recordSet().current_path, path);
  EXPECT_EQ(state->recordSet().block_kind, BlockKind::Headerless39);

  // The detail dialog shows record 0 under the file's path.
  const auto& w = ui.window(DetailKind::plain);
  EXPECT_TRUE(w.exists);
  EXPECT_EQ(w.left_offset, 660);
  EXPECT_EQ(w.title, path);
  EXPECT_EQ(w.texts.at(IDC_DETAIL_INDEX), L"0");
  EXPECT_EQ(w.texts.at(IDC_DETAIL_NUMBER), (*records)[0].number);
  EXPECT_FALSE(ui.window(DetailKind::battery).exists);
  EXPECT_FALSE(state->busy());
}

TEST_F(LoadFlow, BadAndAbnormalRecordsAreCountedAndReported) {
  const std::wstring path = file(L"mixed.efdx", headerlessBlock({soundRecord(39, 0), withBadChecksum(soundRecord(39, 1)),
                                                                withEndCode(soundRecord(39, 2), L"301"),
                                                                withBadChecksum(soundRecord(39, 3))}));
  // The report comes once the list and the commands are ready.
  ui.during_modal = [this] {
    EXPECT_EQ(ui.rows().size(), 4U);
    EXPECT_TRUE(ui.menuEnabled(IDM_EXPORT_EXCEL));
    EXPECT_TRUE(ui.window(DetailKind::plain).exists);
  };
  state->loadFile(path);
  ASSERT_EQ(ui.messages.size(), 1U);
  EXPECT_EQ(ui.messages[0], (ShownMessage{L"2件の不良データが含まれています。", window_title, MessageIcon::error,
                                          MessageButtons::ok}));
  EXPECT_EQ(ui.rows().size(), 4U);
  expectStatus(L"KJ-M3", L"総記録数: 4 件", L"不良データ: 2 件", L"融着強制終了データ: 1 件");
}

TEST_F(LoadFlow, ModelNameComesFromTheLastRecordWithSoundChecksum) {
  struct Case {
    const char* name;
    std::wstring file_name;
    std::vector<RecordFields> records;
    std::wstring part0;
  };
  const Case cases[] = {
      {"last record", L"a.efdx", {withLot(soundRecord(39, 0), L"0312"), withLot(soundRecord(39, 1), L"0B77")}, L"KJ-M10"},
      {"last record bad",
       L"b.efdx",
       {withLot(soundRecord(39, 0), L"0512"), withBadChecksum(withLot(soundRecord(39, 1), L"0B77"))},
       L"KJ-M5"},
      {"every record bad",
       L"c.efdx",
       {withBadChecksum(withLot(soundRecord(39, 0), L"0512")), withBadChecksum(withLot(soundRecord(39, 1), L"0B77"))},
       L""},
      {"unknown code", L"d.efdx", {withLot(soundRecord(39, 0), L"9912")}, L""},
      {"merged file", L"e.mrg", {withBadChecksum(withLot(soundRecord(39, 0), L"0512"))}, L"マージデータ"},
      {"merged file, sound records", L"f.MRGX", {withLot(soundRecord(39, 0), L"0512")}, L"マージデータ"},
  };
  for (const Case& c : cases) {
    state->loadFile(file(c.file_name, headerlessBlock(c.records)));
    EXPECT_EQ(ui.status[0], c.part0) << c.name;
    EXPECT_EQ(ui.rows().size(), c.records.size()) << c.name;
  }
}

TEST_F(LoadFlow, ZeroRecordsShowAnEmptyListWithCounters) {
  state->loadFile(file(L"none.efdx", L"0,"));
  EXPECT_TRUE(ui.rows().empty());
  expectStatus(L"", L"総記録数: 0 件", L"不良データ: 0 件", L"融着強制終了データ: 0 件");
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(ui.menuEnabled(IDM_EXPORT_EXCEL));
  EXPECT_TRUE(ui.menuEnabled(IDM_PRINT));
  EXPECT_TRUE(ui.buttonEnabled(IDM_EXPORT_EXCEL));
  EXPECT_TRUE(ui.buttonEnabled(IDM_PRINT));
  EXPECT_FALSE(ui.menuEnabled(IDM_EXPORT_KML));
  ASSERT_TRUE(state->recordSet().plainRecords());
  EXPECT_TRUE(state->recordSet().plainRecords()->empty());
}

TEST_F(LoadFlow, InvalidDataIsReportedAndDisablesTheExports) {
  state->loadFile(plainFile(L"good.efdx", 2));
  ASSERT_TRUE(ui.menuEnabled(IDM_EXPORT_KML));
  // The header announces three records, the text holds two.
  state->loadFile(file(L"short.efdx", L"3," + framed(soundRecord(39, 0)) + framed(soundRecord(39, 1))));
  ASSERT_EQ(ui.messages.size(), 1U);
  EXPECT_EQ(ui.messages[0], (ShownMessage{L"データの読み込みに失敗しました。データが不正です。", L"読み込み失敗",
                                          MessageIcon::error, MessageButtons::ok}));
  EXPECT_TRUE(ui.rows().empty());
  expectStatus(L"", L"", L"", L"");
  for (const int id : {IDM_EXPORT_EXCEL, IDM_PRINT, IDM_EXPORT_KML}) EXPECT_FALSE(ui.menuEnabled(id)) << id;
  for (const int id : {IDM_EXPORT_EXCEL, IDM_PRINT}) EXPECT_FALSE(ui.buttonEnabled(id)) << id;
  EXPECT_FALSE(state->recordSet().plainRecords());
  EXPECT_FALSE(ui.window(DetailKind::plain).exists);
  EXPECT_EQ(ui.window(DetailKind::plain).destroyed, 1);
}

TEST_F(LoadFlow, SilentAbandonmentsKeepTheDisplay) {
  const std::wstring shown = plainFile(L"shown.efdx", 2);
  state->loadFile(shown);
  const auto rows = ui.rows();
  const auto status = ui.status;
  const auto records = state->recordSet().plainRecords();
  const int deleted = ui.list_deleted;

  struct Case {
    const char* name;
    std::wstring path;
  };
  const Case cases[] = {
      {"other extension", plainFile(L"records.txt", 4)},
      {"no extension", plainFile(L"records", 4)},
      {"simple mode option", L"-easy"},
      {"dot in folder only", dir.file(L"x.efd") + L"/file"},
      {"cannot be opened", dir.file(L"missing.efdx")},
      {"unreadable header", file(L"header.efdx", L"abc," + framed(soundRecord(39, 0)))},
      {"unreadable tagged header", file(L"tagged.efdx", L"\x01" L"BT,xx,048,0001," + framed(soundRecord(48, 0)))},
      {"folder", dir.file(L"folder.efdx")},
  };
  std::filesystem::create_directories(kj::fsPath(dir.file(L"folder.efdx")));
  for (const Case& c : cases) {
    state->loadFile(c.path);
    EXPECT_EQ(ui.rows(), rows) << c.name;
    EXPECT_EQ(ui.status, status) << c.name;
    EXPECT_EQ(ui.list_deleted, deleted) << c.name;
    EXPECT_TRUE(ui.messages.empty()) << c.name;
    EXPECT_EQ(state->recordSet().plainRecords(), records) << c.name;
    EXPECT_EQ(state->recordSet().current_path, shown) << c.name;
    EXPECT_TRUE(ui.window(DetailKind::plain).exists) << c.name;
    EXPECT_FALSE(state->busy()) << c.name;
  }
}

TEST_F(LoadFlow, UndisplayedKindsKeepTheDisplayAndDetachTheSelection) {
  state->loadFile(plainFile(L"shown.efdx", 2));
  state->onDetailClose(DetailKind::plain);
  const auto rows = ui.rows();
  const auto status = ui.status;
  struct Case {
    std::wstring letters;
    BlockKind kind;
  };
  for (const Case& c : {Case{L"PK", BlockKind::TaggedPK}, Case{L"ZZ", BlockKind::TaggedOther}}) {
    const std::wstring path =
        file(L"block_" + c.letters + L".efdx", blockText(taggedHeader(c.letters, 1, 39, 1), {soundRecord(39, 0)}));
    state->loadFile(path);
    EXPECT_EQ(ui.rows(), rows);
    EXPECT_EQ(ui.status, status);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(state->recordSet().block_kind, c.kind);
    // No detail dialog belongs to these blocks.
    state->onListItemChanged(1);
    EXPECT_FALSE(ui.window(DetailKind::plain).exists);
    EXPECT_FALSE(ui.window(DetailKind::battery).exists);
  }
}

TEST_F(LoadFlow, UpperCaseEfdReadsThirtyThreeFields) {
  const std::wstring text = headerlessBlock({soundRecord(33, 0), soundRecord(33, 1)});
  state->loadFile(file(L"SHORT.EFD", text));
  EXPECT_EQ(ui.rows().size(), 2U);
  EXPECT_EQ(state->recordSet().block_kind, BlockKind::Headerless33);
  EXPECT_TRUE(ui.messages.empty());
  // No positions in 33-field records.
  EXPECT_FALSE(ui.menuEnabled(IDM_EXPORT_KML));
  // The same bytes as .efdx are expected to carry 39 fields.
  state->loadFile(file(L"short.efdx", text));
  ASSERT_EQ(ui.messages.size(), 1U);
  EXPECT_EQ(ui.messages[0].text, L"データの読み込みに失敗しました。データが不正です。");
  EXPECT_EQ(state->recordSet().block_kind, BlockKind::Headerless39);
}

TEST_F(LoadFlow, MergedFileCountsItsRecords) {
  // The count says 1; the file holds three.
  const std::wstring text = L"1," + framed(soundRecord(39, 0)) + framed(soundRecord(39, 1)) + framed(soundRecord(39, 2));
  state->loadFile(file(L"merged.mrgx", text));
  EXPECT_EQ(ui.rows().size(), 3U);
  expectStatus(L"マージデータ", L"総記録数: 3 件", L"不良データ: 0 件", L"融着強制終了データ: 0 件");
}

TEST_F(LoadFlow, BatteryRecordsUseTheBatteryReaderAndDialog) {
  state->loadFile(plainFile(L"plain.efdx", 1));
  const std::wstring path = batteryFile(L"battery.efdx", 2);
  state->loadFile(path);
  EXPECT_EQ(state->recordSet().block_kind, BlockKind::TaggedBT);
  ASSERT_TRUE(state->recordSet().batteryRecords());
  EXPECT_EQ(state->recordSet().batteryRecords()->size(), 2U);
  // One block is displayed: the plain records of the earlier file are gone.
  EXPECT_FALSE(state->recordSet().plainRecords());
  EXPECT_EQ(state->recordSet().current_path, path);
  EXPECT_EQ(ui.rows().size(), 2U);
  EXPECT_EQ(ui.status[1], L"総記録数: 2 件");
  const auto& battery = ui.window(DetailKind::battery);
  EXPECT_TRUE(battery.exists);
  EXPECT_EQ(battery.title, path);
  EXPECT_EQ(battery.texts.at(IDC_DETAIL_BATTERY_IDENTIFIER), L"BAT-01");
  // The plain dialog of the earlier file was closed before the display.
  EXPECT_FALSE(ui.window(DetailKind::plain).exists);
  EXPECT_EQ(ui.window(DetailKind::plain).destroyed, 1);
}

TEST_F(LoadFlow, ThePathMovesOnlyWithTheDisplayOfItsFile) {
  const std::wstring plain = plainFile(L"plain.efdx", 1);
  state->loadFile(plain);
  // Battery files that cannot be read leave the plain display, its path and its
  // detail dialog's title as they were; one that can be read moves all three.
  struct Case {
    const char* name;
    std::wstring path;
    bool shown;
  };
  const Case cases[] = {
      {"missing battery file", dir.file(L"gone.efdx"), false},
      {"battery header unreadable", file(L"bt-bad.efdx", L"\x01" L"BT,0x"), false},
      {"battery file", batteryFile(L"battery.efdx", 2), true},
      {"missing after a battery display", dir.file(L"gone2.mrgx"), false},
  };
  std::wstring expected_path = plain;
  std::size_t expected_rows = 1;
  for (const Case& c : cases) {
    state->loadFile(c.path);
    if (c.shown) {
      expected_path = c.path;
      expected_rows = 2;
    }
    EXPECT_EQ(state->recordSet().current_path, expected_path) << c.name;
    ASSERT_TRUE(state->recordSet().displayed) << c.name;
    EXPECT_EQ(state->recordSet().displayed->path(), expected_path) << c.name;
    EXPECT_EQ(ui.rows().size(), expected_rows) << c.name;
    const DetailKind kind = expected_rows == 2 ? DetailKind::battery : DetailKind::plain;
    EXPECT_EQ(ui.window(kind).title, expected_path) << c.name;
  }
  EXPECT_EQ(state->recordSet().block_kind, BlockKind::TaggedBT);
  EXPECT_TRUE(state->recordSet().batteryRecords());
}

TEST_F(LoadFlow, RecordWithoutBarcodeShowsPlaceholders) {
  RecordFields broken = soundRecord(39, 0);
  broken[record_field::input_mode] = L"x";  // input mode: decoding stops before the barcode
  state->loadFile(file(L"broken.efdx", headerlessBlock({broken, soundRecord(39, 1)})));
  ASSERT_EQ(ui.rows().size(), 2U);
  ASSERT_FALSE((*state->recordSet().plainRecords())[0].decoded_barcode);
  EXPECT_EQ(ui.rows()[0][0], L"0");
  EXPECT_EQ(ui.rows()[0][1], L"24/03/15 14:30");
  EXPECT_EQ(ui.rows()[0][2], L"***");
  EXPECT_EQ(ui.rows()[0][3], L"***");
  EXPECT_EQ(ui.status[2], L"不良データ: 1 件");
  EXPECT_EQ(ui.messages.at(0).text, L"1件の不良データが含まれています。");
}

TEST_F(LoadFlow, EmptyPathReadsTheCurrentFileAgain) {
  state->loadFile(L"");  // nothing loaded yet: nothing happens
  EXPECT_EQ(ui.list_deleted, 0);
  const std::wstring path = plainFile(L"again.efdx", 1);
  state->loadFile(path);
  plainFile(L"again.efdx", 2);
  state->loadFile(L"");
  EXPECT_EQ(ui.rows().size(), 2U);
  EXPECT_EQ(state->recordSet().current_path, path);
}

// --- the open command ---

class OpenCommand : public AppTest {
 protected:
  void SetUp() override { create(); }
};

TEST_F(OpenCommand, OffersRecordAndMergedFiles) {
  state->onCommand(IDM_OPEN_FILE, 0);
  ASSERT_EQ(ui.open_requests.size(), 1U);
  const OpenFileRequest& request = ui.open_requests[0];
  EXPECT_EQ(request.filters, (std::vector<FileFilter>{{L"融着記録 (*.efd, *.efdx)", L"*.efd;*.efdx"},
                                                      {L"マージデータ(*.mrg, *.mrgx)", L"*.mrg;*.mrgx"}}));
  EXPECT_TRUE(request.must_exist);
}

TEST_F(OpenCommand, ChosenFileIsLoadedAndBusyDuringTheDialog) {
  const std::wstring path = plainFile(L"chosen.efdx", 2);
  ui.open_answers = {path};
  bool busy_in_dialog = false;
  ui.during_modal = [&] { busy_in_dialog = state->busy(); };
  state->onCommand(IDM_OPEN_FILE, 0);
  EXPECT_TRUE(busy_in_dialog);
  EXPECT_FALSE(state->busy());
  EXPECT_EQ(ui.rows().size(), 2U);
  EXPECT_EQ(state->recordSet().current_path, path);
}

TEST_F(OpenCommand, CancelChangesNothing) {
  const std::wstring path = plainFile(L"kept.efdx", 2);
  state->loadFile(path);
  const int deleted = ui.list_deleted;
  state->onCommand(IDM_OPEN_FILE, 0);
  EXPECT_EQ(ui.list_deleted, deleted);
  EXPECT_EQ(ui.rows().size(), 2U);
  EXPECT_EQ(state->recordSet().current_path, path);
  EXPECT_FALSE(state->busy());
}

}  // namespace
}  // namespace kj::app
