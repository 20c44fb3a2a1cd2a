// The simple mode window: its start, the conversion of dropped record files
// into workbooks beside them, and the button's walk-through from choosing the
// port over receiving and saving a block to its workbook, against the fake UI,
// a scripted controller line and a recording spreadsheet driver.

#include "app/easy_window.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "base/fs_path.h"
#include "export/sheet_layout.h"
#include "export/sheet_writer.h"
#include "app/receive_flow.h"
#include "records_io/loaded_block.h"
#include "tests/app/app_fixture.h"
#include "tests/app/controller_line.h"

namespace kj::app {
namespace {

using kj::test::DriverCall;
using kj::test::headerlessBlock;
using kj::test::PortScript;
using kj::test::RecordFields;
using kj::test::ScriptedLine;
using kj::test::soundRecord;
using kj::test::taggedHeader;
using test::AppTest;
using test::ShownMessage;
using test::window_title;

const std::wstring intro = std::wstring(easy_intro_text);
const std::wstring invalid_text = L"データの読み込みに失敗しました。データが不正です。";
const std::wstring exported_text = L"エクセル出力に成功しました。";
const std::wstring generation_failed_text = L"エクセル出力に失敗しました。\nデータの生成に失敗しました。";
const std::wstring export_failed_text =
    L"エクセル出力に失敗しました。\n出力先のファイルが別のアプリケーションで開かれている可能性があります。";

ShownMessage shown(const std::wstring& text, MessageIcon icon) {
  return {text, window_title, icon, MessageButtons::ok};
}
const ShownMessage invalid_message{invalid_text, L"読み込み失敗", MessageIcon::error, MessageButtons::ok};

// The simple mode window's own controls, recorded.
class FakeEasyUi final : public EasyWindowUi {
 public:
  std::vector<ShownMessage> ownerless;
  std::deque<MessageAnswer> ownerless_answers;
  bool fail_controls = false;
  std::optional<std::wstring> created_with;
  std::map<int, bool> menu_enabled;
  bool button_enabled = true;
  bool text_enabled = true;
  std::wstring text;
  // The text shown whenever the window or the text control was repainted.
  std::vector<std::wstring> window_repaints;
  std::vector<std::wstring> text_repaints;
  std::optional<int> end_requested;

  // Forgets everything, for the next case of a table.
  void reset() {
    ownerless.clear();
    ownerless_answers.clear();
    fail_controls = false;
    created_with.reset();
    menu_enabled.clear();
    button_enabled = text_enabled = true;
    text.clear();
    window_repaints.clear();
    text_repaints.clear();
    end_requested.reset();
  }

  MessageAnswer ownerlessMessageBox(const std::wstring& t, const std::wstring& caption, MessageIcon icon,
                                    MessageButtons buttons) override {
    ownerless.push_back({t, caption, icon, buttons});
    if (ownerless_answers.empty()) return MessageAnswer::ok;
    const MessageAnswer answer = ownerless_answers.front();
    ownerless_answers.pop_front();
    return answer;
  }
  bool createControls(const std::wstring& t) override {
    if (fail_controls) return false;
    created_with = t;
    text = t;
    return true;
  }
  void enableMenuItem(int command_id, bool enabled) override { menu_enabled[command_id] = enabled; }
  void enableButton(bool enabled) override { button_enabled = enabled; }
  void enableText(bool enabled) override { text_enabled = enabled; }
  void setText(const std::wstring& t) override { text = t; }
  void repaintWindow() override { window_repaints.push_back(text); }
  void repaintText() override { text_repaints.push_back(text); }
  void endMessageLoop(int exit_code) override { end_requested = exit_code; }
};

class EasyTest : public AppTest {
 protected:
  FakeEasyUi easy_ui;
  std::unique_ptr<EasyWindowState> easy;

  // Builds the window logic and runs its creation.
  void createEasy() {
    easy = std::make_unique<EasyWindowState>(
        ui, easy_ui, settings, store, window_title,
        [this] {
          ++port_enumerations;
          return std::make_shared<const std::vector<std::wstring>>(ports);
        },
        [this](const std::wstring& name) -> std::unique_ptr<SerialPort> {
          opened_ports.push_back(name);
          return line ? kj::test::makeScriptedPort(line) : nullptr;
        },
        [this](SheetPurpose purpose) -> std::unique_ptr<sheet::ExcelDriver> {
          purposes.push_back(purpose);
          if (no_driver) return nullptr;
          ++drivers_made;
          return std::make_unique<test::ForwardingDriver>(driver);
        });
    ASSERT_TRUE(easy->onCreate());
  }

  void press() { easy->onCommand(IDC_EASY_BUTTON, 0); }

  // The driver calls a workbook of every output item of the records of the
  // record file at `record_path` is made with, saved at `target`.
  static std::vector<DriverCall> workbookCalls(const std::wstring& record_path, const std::wstring& target) {
    const std::optional<LoadedBlock> block = LoadedBlock::fromFile(record_path);
    EXPECT_TRUE(block && block->outcome() == LoadOutcome::records);
    if (!block || block->outcome() != LoadOutcome::records) return {};
    return workbookCalls(*block, target);
  }
  static std::vector<DriverCall> workbookCalls(const LoadedBlock& block, const std::wstring& target) {
    kj::test::RecordingDriver expected;
    if (block.holdsBatteryRecords()) {
      sheet::BatterySelection all{};
      all.fill(true);
      EXPECT_TRUE(sheet::writeEfdxBatterySheet(all, *block.batteryRecords(), expected));
    } else {
      sheet::PlainSelection all{};
      all.fill(true);
      EXPECT_TRUE(sheet::writeEfdxSheet(all, *block.plainRecords(), expected));
    }
    expected.saveAs(target);
    expected.close();
    return expected.calls();
  }

  // The stem of `path` with ".xls": where the workbook of a dropped file goes.
  static std::wstring beside(const std::wstring& path) { return path.substr(0, path.rfind(L'.')) + L".xls"; }

  void expectIntroShown() {
    EXPECT_EQ(easy->state(), 0);
    EXPECT_EQ(easy_ui.text, intro);
    EXPECT_TRUE(easy_ui.button_enabled);
    EXPECT_TRUE(easy_ui.text_enabled);
    EXPECT_FALSE(easy->multiFileMode());
  }
};

// --- start ---

TEST_F(EasyTest, TheFirstQuestionComesWithoutOwnerAndCancelEndsTheLoopAfterTheWindowIsBuilt) {
  for (const MessageAnswer answer : {MessageAnswer::ok, MessageAnswer::cancel}) {
    SCOPED_TRACE(answer == MessageAnswer::ok ? "ok" : "cancel");
    easy_ui.reset();
    easy_ui.ownerless_answers = {answer};
    store.put(settings_key, port_name_value, StoredValue::of_text(L"COM4"));
    createEasy();
    ASSERT_EQ(easy_ui.ownerless.size(), 1U);
    EXPECT_EQ(easy_ui.ownerless[0],
              (ShownMessage{L"EFコントローラーから直接吸い出す場合は、PCと専用ケーブルで接続してください。", window_title,
                            MessageIcon::none, MessageButtons::ok_cancel}));
    EXPECT_EQ(easy_ui.end_requested, answer == MessageAnswer::cancel ? std::optional<int>(0) : std::nullopt);
    // The remaining steps run all the same.
    EXPECT_EQ(settings.port_name, L"COM4");
    EXPECT_EQ(easy_ui.menu_enabled, (std::map<int, bool>{{IDM_COM_PORT_SETTINGS, false}}));
    EXPECT_EQ(easy_ui.created_with, intro);
    EXPECT_EQ(easy->state(), 0);
    EXPECT_TRUE(ui.messages.empty());
  }
}

TEST_F(EasyTest, ControlsThatCannotBeCreatedFailTheWindow) {
  easy_ui.fail_controls = true;
  EasyWindowState window(ui, easy_ui, settings, store);
  EXPECT_FALSE(window.onCreate());
}

TEST(EasyTexts, TheCounterRightAlignsBothNumbersInFourPlaces) {
  EXPECT_EQ(easyConvertingCounterText(0, 3), L"ファイル変換中... (   0/   3)");
  EXPECT_EQ(easyConvertingCounterText(999, 1000), L"ファイル変換中... ( 999/1000)");
  EXPECT_EQ(easyConvertingCounterText(12345, 99999), L"ファイル変換中... (12345/99999)");
  EXPECT_EQ(easySavedText(L"C:\\d\\a.efdx"), L"データ保存に成功しました。\n\"C:\\d\\a.efdx\"\nに保存されました。");
  EXPECT_EQ(easyCountsText({true, 2, 0}), L"2件の不良データが含まれています。\n");
  EXPECT_EQ(easyCountsText({false, 1, 3}), L"1件の不良データが含まれています。\n3件の異常終了が含まれています。\n");
  EXPECT_EQ(easyCountsText({false, 0, 0}), L"");
}

// --- dropped files ---

TEST_F(EasyTest, SeveralDroppedFilesShowTheCounterAndNoMessageAndEachGetsItsWorkbook) {
  createEasy();
  const std::wstring plain = plainFile(L"site1.efdx", 3);
  const std::wstring merged =
      file(L"joined.mrg", headerlessBlock({soundRecord(39, 0), test::withBadChecksum(soundRecord(39, 1))}));
  const std::wstring battery = batteryFile(L"bt.efdx", 2);

  easy->onDropFiles({plain, merged, battery});

  EXPECT_EQ(easy_ui.window_repaints, std::vector<std::wstring>{L"ファイル変換中..."});
  EXPECT_EQ(easy_ui.text_repaints, (std::vector<std::wstring>{L"ファイル変換中... (   0/   3)",
                                                              L"ファイル変換中... (   1/   3)",
                                                              L"ファイル変換中... (   2/   3)"}));
  // The bad record of the merged file is not reported either.
  EXPECT_TRUE(ui.messages.empty());
  std::vector<DriverCall> expected = workbookCalls(plain, beside(plain));
  for (const std::wstring& path : {merged, battery}) {
    const std::vector<DriverCall> calls = workbookCalls(path, beside(path));
    expected.insert(expected.end(), calls.begin(), calls.end());
  }
  EXPECT_EQ(driver.calls(), expected);
  EXPECT_EQ(purposes, std::vector<SheetPurpose>(3, SheetPurpose::workbook));
  expectIntroShown();
  EXPECT_FALSE(easy_ui.menu_enabled.at(IDM_COM_PORT_SETTINGS));
}

TEST_F(EasyTest, OneDroppedFileShowsNoCounterButEveryMessage) {
  const auto records = [](std::initializer_list<RecordFields> list) { return headerlessBlock(list); };
  struct Case {
    const char* name;
    std::wstring file_name;
    std::wstring text;
    std::vector<ShownMessage> messages;
    bool converted;
    const char* failing = nullptr;  // the driver operation that fails
  };
  const std::vector<Case> cases{
      {"sound records", L"a.efdx", records({soundRecord(39, 0), soundRecord(39, 1)}),
       {shown(exported_text, MessageIcon::information)}, true},
      {"a .efd of 33 fields", L"b.efd", records({soundRecord(33, 0)}), {shown(exported_text, MessageIcon::information)},
       true},
      {"a merged .mrg converts like an .efd", L"c.mrg", records({soundRecord(39, 0)}),
       {shown(exported_text, MessageIcon::information)}, true},
      {"battery records", L"d.mrgx", kj::test::blockText(taggedHeader(L"BT", 1, 48, 1), {soundRecord(48, 0)}),
       {shown(exported_text, MessageIcon::information)}, true},
      {"bad and aborted welds", L"e.efdx",
       records({test::withBadChecksum(soundRecord(39, 0)), test::withEndCode(soundRecord(39, 1), L"301"),
                test::withBadChecksum(soundRecord(39, 2))}),
       {shown(L"2件の不良データが含まれています。\n1件の異常終了が含まれています。\n", MessageIcon::error),
        shown(exported_text, MessageIcon::information)},
       true},
      {"a row with too few fields", L"f.efdx", L"2,\x02" + std::wstring(10, L'1') + L"\x03", {invalid_message}, false},
      {"kind 3", L"g.efdx", kj::test::blockText(taggedHeader(L"PK", 1, 39, 1), {soundRecord(39, 0)}),
       {invalid_message}, false},
      {"the workbook cannot be saved", L"h.efdx", records({soundRecord(39, 0)}),
       {shown(export_failed_text, MessageIcon::error)}, true, "saveAs"},
      {"the sheet cannot be built", L"i.efdx", records({soundRecord(39, 0)}),
       {shown(generation_failed_text, MessageIcon::error)}, false, "open"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui.messages.clear();
    easy_ui.reset();
    driver = kj::test::RecordingDriver{};
    if (c.failing != nullptr) driver.failOn(std::wstring(c.failing, c.failing + std::char_traits<char>::length(c.failing)));
    createEasy();
    const std::wstring path = file(c.file_name, c.text);

    easy->onDropFiles({path});

    EXPECT_TRUE(easy_ui.text_repaints.empty());
    EXPECT_EQ(ui.messages, c.messages);
    EXPECT_EQ(easy->droppedPath(), path);
    EXPECT_EQ(easy->recordsPresent(), c.messages.empty() || c.messages.back() != invalid_message);
    const bool saved = !driver.calls().empty() && driver.calls().back().operation == L"close" &&
                       driver.calls()[driver.calls().size() - 2].operation == L"saveAs";
    EXPECT_EQ(saved, c.converted);
    if (c.converted && c.failing == nullptr) {
      EXPECT_EQ(driver.calls(), workbookCalls(path, beside(path)));
    }
    if (!c.messages.empty() && c.messages.back() == invalid_message) {
      EXPECT_TRUE(driver.calls().empty());
    }
    expectIntroShown();
  }
}

TEST_F(EasyTest, FilesThatAreNoRecordFilesOrCannotBeOpenedAreSkippedSilently) {
  createEasy();
  const std::wstring text_file = file(L"notes.txt", headerlessBlock({soundRecord(39, 0)}));
  const std::wstring sound = plainFile(L"ok.efdx", 1);
  easy->onDropFiles({L"", text_file, dir.file(L"gone.efdx"), sound});
  EXPECT_TRUE(ui.messages.empty());
  // Only the record file that exists became a workbook.
  EXPECT_EQ(driver.calls(), workbookCalls(sound, beside(sound)));
  EXPECT_EQ(easy_ui.text_repaints.size(), 4U);

  // Alone, they are skipped without a word as well.
  for (const std::wstring& path : {text_file, dir.file(L"gone.efdx"), std::wstring()}) {
    easy->onDropFiles({path});
    EXPECT_TRUE(ui.messages.empty());
  }
  EXPECT_EQ(drivers_made, 1);
}

TEST_F(EasyTest, MoreRecordsThanOneSheetHoldsAreRefusedWithTheirMessage) {
  createEasy();
  const std::vector<RecordFields> records(sheet::max_sheet_records + 1, soundRecord(39, 0));
  const std::wstring path = file(L"full.efdx", headerlessBlock(records));
  const std::wstring existing = beside(path);
  kj::test::writeBytes(existing, "an older workbook");

  easy->onDropFiles({path});
  EXPECT_EQ(ui.messages, std::vector<ShownMessage>{shown(
                             L"エクセル出力に失敗しました。\n1つのシートに出力できる記録は65534件までです。", MessageIcon::error)});
  EXPECT_EQ(drivers_made, 0);
  EXPECT_EQ(kj::test::readBytes(existing), "an older workbook");

  // Among several files the refusal is not shown either.
  ui.messages.clear();
  easy->onDropFiles({path, plainFile(L"small.efdx", 1)});
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(drivers_made, 1);
}

TEST_F(EasyTest, DropsAreTakenOnlyBeforeTheButtonWasPressed) {
  createEasy();
  const std::wstring path = plainFile(L"a.efdx", 1);
  press();
  ASSERT_EQ(easy->state(), 1);
  easy->onDropFiles({path});
  EXPECT_EQ(drivers_made, 0);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(easy_ui.text, std::wstring(easy_choose_port_text));
  EXPECT_EQ(easy->state(), 1);
}

TEST_F(EasyTest, ADropArrivingDuringAConversionIsIgnored) {
  createEasy();
  const std::wstring first = plainFile(L"a.efdx", 1);
  const std::wstring second = plainFile(L"b.efdx", 1);
  // A drop arriving while the outcome's message box is open.
  bool nested = false;
  ui.during_modal = [&] {
    nested = true;
    easy->onDropFiles({second});
  };
  easy->onDropFiles({first});
  EXPECT_TRUE(nested);
  EXPECT_EQ(drivers_made, 1);
  EXPECT_EQ(driver.calls(), workbookCalls(first, beside(first)));
  expectIntroShown();
}

// --- the walk-through ---

class EasyWalkThrough : public EasyTest {
 protected:
  // A window whose configured port is COM7 and whose line plays `script`,
  // pressed on to the ready text.
  void readyWithLine(PortScript script) {
    store.put(settings_key, port_name_value, StoredValue::of_text(L"COM7"));
    ports = {L"COM7"};
    line = std::make_shared<ScriptedLine>(std::move(script));
    createEasy();
    press();
    press();
    ASSERT_EQ(easy->state(), 2);
  }

  // Hands the commands the session posted to the window in order, as the
  // message loop does, until the ended command.
  std::vector<std::pair<int, std::intptr_t>> deliverUntilEnded() {
    const auto posts = ui.takePostedUntil(CMD_RECEIVE_ENDED);
    for (const auto& [id, param] : posts) easy->onCommand(id, param);
    return posts;
  }

  static std::wstring threeRecords() {
    return headerlessBlock({soundRecord(39, 0), test::withBadChecksum(soundRecord(39, 1)), soundRecord(39, 2)});
  }
};

TEST_F(EasyWalkThrough, PortReceiveSaveConvertAndAgain) {
  ports = {L"COM3", L"COM7"};
  line = std::make_shared<ScriptedLine>(test::transfer(test::syn, threeRecords()));
  createEasy();

  // 0: the port menu comes on.
  press();
  EXPECT_EQ(easy->state(), 1);
  EXPECT_TRUE(easy_ui.menu_enabled.at(IDM_COM_PORT_SETTINGS));
  EXPECT_EQ(easy_ui.text, L"\"通信ポート設定\"メニューから\nケーブルを接続したポートを選んでから\nこのボタンを押してください。");
  ui.com_port_choice = 2;
  easy->onCommand(IDM_COM_PORT_SETTINGS, 0);
  EXPECT_EQ(settings.port_name, L"COM7");
  EXPECT_EQ(store.get(settings_key, port_name_value), StoredValue::of_text(L"COM7"));

  // 1: the port opens.
  press();
  EXPECT_EQ(opened_ports, std::vector<std::wstring>{L"COM7"});
  EXPECT_EQ(easy->state(), 2);
  EXPECT_EQ(easy_ui.text, std::wstring(easy_ready_text));

  // 2: waiting for the controller, everything off.
  press();
  EXPECT_EQ(easy->state(), 3);
  EXPECT_FALSE(easy_ui.menu_enabled.at(IDM_COM_PORT_SETTINGS));
  EXPECT_FALSE(easy_ui.button_enabled);
  EXPECT_FALSE(easy_ui.text_enabled);
  EXPECT_TRUE(ui.progress.exists);
  EXPECT_EQ(ui.progress.left_offset, 0);
  EXPECT_EQ(ui.progress.text, L"EFコントローラーからデータを送信して下さい(\"×\"ボタンで終了できます)。");

  const std::wstring typed = dir.file(L"got");
  ui.save_answers.push_back(typed);
  const auto posts = deliverUntilEnded();
  ASSERT_FALSE(posts.empty());
  EXPECT_EQ(posts.back(), (std::pair<int, std::intptr_t>{CMD_RECEIVE_ENDED, 1}));
  EXPECT_EQ(ui.progress.closed, 1);
  EXPECT_EQ(ui.progress.text, L"データ処理中です。(3/3)");
  EXPECT_TRUE(easy->portOpen());

  // Saved byte for byte under the name typed, with the kind's extension.
  ASSERT_EQ(ui.save_requests.size(), 1U);
  EXPECT_EQ(ui.save_requests[0], receivedSaveRequest(1, easy->currentPath()));
  EXPECT_TRUE(std::regex_match(std::string(easy->currentPath().begin(), easy->currentPath().end()),
                               std::regex("[0-9]{4}_[0-9]{4}_[0-9]{6}")));
  const std::wstring saved = typed + L".efdx";
  EXPECT_EQ(kj::test::readBytes(saved), kj::test::storedBytes(test::asReceived(threeRecords())));
  EXPECT_EQ(ui.messages, (std::vector<ShownMessage>{
                             shown(L"データ保存に成功しました。\n\"" + saved + L"\"\nに保存されました。", MessageIcon::information),
                             shown(L"1件の不良データが含まれています。\n", MessageIcon::error)}));
  EXPECT_EQ(easy->state(), 4);
  EXPECT_EQ(easy->blockKind(), 1);
  EXPECT_TRUE(easy->recordsPresent());
  EXPECT_EQ(easy_ui.text, L"このボタンを押すとExcel形式に変換します。");
  EXPECT_TRUE(easy_ui.button_enabled);
  EXPECT_TRUE(easy_ui.text_enabled);

  // 4: the workbook, proposed under the time-stamp name.
  ui.messages.clear();
  const std::wstring workbook = dir.file(L"book");
  ui.save_answers.push_back(workbook);
  press();
  ASSERT_EQ(ui.save_requests.size(), 2U);
  EXPECT_EQ(ui.save_requests[1], workbookSaveRequest(easy->currentPath()));
  EXPECT_EQ(driver.calls(), workbookCalls(LoadedBlock::fromReceived(kj::parseHeader(threeRecords(), false),
                                                                    test::asReceived(threeRecords())),
                                          workbook + L".xls"));
  EXPECT_EQ(ui.messages, std::vector<ShownMessage>{shown(exported_text, MessageIcon::information)});
  EXPECT_EQ(easy->state(), 2);
  EXPECT_EQ(easy_ui.text, std::wstring(easy_again_text));
  EXPECT_TRUE(easy_ui.button_enabled);
  EXPECT_FALSE(easy_ui.menu_enabled.at(IDM_COM_PORT_SETTINGS));

  // Again: the port stays open and is not opened a second time; closing the
  // window while it waits stops the worker.
  press();
  EXPECT_EQ(easy->state(), 3);
  EXPECT_EQ(ui.progress.created, 2);
  EXPECT_EQ(opened_ports.size(), 1U);
  easy->onDestroy();
  EXPECT_EQ(ui.takePostedUntil(CMD_RECEIVE_ENDED).back(), (std::pair<int, std::intptr_t>{CMD_RECEIVE_ENDED, 0}));
}

TEST_F(EasyWalkThrough, APortThatCannotBeOpenedKeepsTheChoiceOpen) {
  createEasy();
  press();
  press();
  EXPECT_EQ(ui.messages, std::vector<ShownMessage>{shown(L"選択されたCOMポートを開くことができません。", MessageIcon::error)});
  EXPECT_EQ(easy->state(), 1);
  EXPECT_TRUE(easy_ui.menu_enabled.at(IDM_COM_PORT_SETTINGS));
  // With a port that opens, the next press goes on.
  line = std::make_shared<ScriptedLine>(PortScript());
  press();
  EXPECT_EQ(easy->state(), 2);
  EXPECT_EQ(opened_ports.size(), 2U);
}

TEST_F(EasyWalkThrough, AFailedTransferSavesNothingAndTheButtonWaitsForTheControllerAgain) {
  const std::string bytes = test::lineBytes(threeRecords());
  struct Case {
    const char* name;
    PortScript script;
  };
  const Case cases[] = {
      {"NAK in the middle", PortScript().bytes(test::syn + bytes.substr(0, 60) + test::nak + bytes.substr(60))},
      {"silence in the middle", PortScript().bytes(test::syn + bytes.substr(0, 60)).silence(150)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui.messages.clear();
    ui.save_requests.clear();
    ui.progress = {};
    easy_ui.reset();
    opened_ports.clear();
    readyWithLine(c.script);
    press();
    const auto posts = deliverUntilEnded();
    ASSERT_FALSE(posts.empty());
    EXPECT_EQ(posts.back(), (std::pair<int, std::intptr_t>{CMD_RECEIVE_ENDED, 0}));
    EXPECT_TRUE(ui.save_requests.empty());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.progress.closed, 1);
    // Back at the ready step with the button on; the port stays open.
    EXPECT_EQ(easy->state(), 2);
    EXPECT_EQ(easy_ui.text, std::wstring(easy_ready_text));
    EXPECT_TRUE(easy_ui.button_enabled);
    EXPECT_TRUE(easy_ui.text_enabled);
    EXPECT_FALSE(easy_ui.menu_enabled.at(IDM_COM_PORT_SETTINGS));
    EXPECT_TRUE(easy->portOpen());
    // A late end of the same receive changes nothing.
    easy->onCommand(CMD_RECEIVE_ENDED, 0);
    EXPECT_EQ(easy->state(), 2);
    // The next press waits again on the port already open.
    press();
    EXPECT_EQ(easy->state(), 3);
    EXPECT_EQ(ui.progress.created, 2);
    EXPECT_EQ(opened_ports.size(), 1U);
    easy->onDestroy();
    ui.takePostedUntil(CMD_RECEIVE_ENDED);
  }
}

TEST_F(EasyWalkThrough, EachBlockKindIsSavedWithItsFilterAndKinds3And4AreReportedInvalid) {
  const auto tagged = [](const std::wstring& letters, int fields) {
    return kj::test::blockText(taggedHeader(letters, 1, fields, 1), {soundRecord(static_cast<std::size_t>(fields), 0)});
  };
  struct Case {
    const char* name;
    std::string request;
    std::wstring block;
    int kind;
    std::wstring pattern;
    bool valid;
  };
  const Case cases[] = {
      {"kind 0", test::enq, headerlessBlock({soundRecord(33, 0)}), 0, L"*.efd", true},
      {"kind 2", test::syn, tagged(L"BT", 48), 2, L"*.efdx", true},
      {"kind 3", test::syn, tagged(L"PK", 39), 3, L"*.efdx", false},
      {"kind 4", test::syn, tagged(L"ZZ", 39), 4, L"*.efdx", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui.messages.clear();
    ui.save_requests.clear();
    easy_ui.reset();
    kj::test::TempDir folder;
    const std::wstring typed = widePath(folder.path() / "blk");
    ui.save_answers.push_back(typed);
    readyWithLine(test::transfer(c.request, c.block));
    press();
    deliverUntilEnded();

    ASSERT_EQ(ui.save_requests.size(), 1U);
    EXPECT_EQ(ui.save_requests[0].filters.at(0).pattern, c.pattern);
    const auto contents = kj::test::folderContents(folder.path());
    ASSERT_EQ(contents.size(), 1U);
    EXPECT_EQ(contents.begin()->second, kj::test::storedBytes(test::asReceived(c.block)));
    EXPECT_EQ(easy->blockKind(), c.kind);
    ASSERT_EQ(ui.messages.size(), c.valid ? 1U : 2U);
    EXPECT_EQ(easy->recordsPresent(), c.valid);
    if (c.valid) {
      EXPECT_EQ(easy->state(), 4);
    } else {
      EXPECT_EQ(ui.messages[1], invalid_message);
      // The "again" text asks for the button, so the button can be pressed.
      EXPECT_EQ(easy->state(), 2);
      EXPECT_EQ(easy_ui.text, std::wstring(easy_again_text));
      EXPECT_TRUE(easy_ui.button_enabled);
      EXPECT_EQ(drivers_made, 0);
    }
  }
}

TEST_F(EasyWalkThrough, TheSaveStepConfirmsDecliningAndOffersTheDialogAgainAfterAFailedWrite) {
  struct Case {
    const char* name;
    std::vector<std::optional<std::wstring>> dialog_answers;
    std::vector<MessageAnswer> question_answers;
    std::vector<std::wstring> expected_messages;
    std::size_t dialogs;
  };
  const std::wstring question = L"データを保存しなくてもよろしいですか?";
  const Case cases[] = {
      {"declined, then confirmed", {std::nullopt, std::nullopt}, {MessageAnswer::cancel, MessageAnswer::ok},
       {question, question}, 2},
      {"declined, then saved", {std::nullopt, L"<dir>/later"}, {MessageAnswer::cancel},
       {question, L"データ保存に成功しました。\n\"<dir>/later.efdx\"\nに保存されました。"}, 2},
      {"the write fails, then saved elsewhere", {L"<dir>/no-such-folder/x", L"<dir>/y"}, {},
       {L"データ保存に失敗しました。", L"データ保存に成功しました。\n\"<dir>/y.efdx\"\nに保存されました。"}, 2},
      // The failure message takes the first answer, the question the second.
      {"the write fails, then declined", {L"<dir>/no-such-folder/x", std::nullopt}, {MessageAnswer::ok, MessageAnswer::ok},
       {L"データ保存に失敗しました。", question}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui.messages.clear();
    ui.save_requests.clear();
    easy_ui.reset();
    kj::test::TempDir folder;
    const std::wstring folder_text = widePath(folder.path());
    const auto resolved = [&](std::wstring text) {
      if (const std::size_t at = text.find(L"<dir>"); at != std::wstring::npos) text.replace(at, 5, folder_text);
      return text;
    };
    ui.save_answers.clear();
    for (const auto& answer : c.dialog_answers) {
      ui.save_answers.push_back(answer ? std::optional<std::wstring>(resolved(*answer)) : std::nullopt);
    }
    ui.message_answers.assign(c.question_answers.begin(), c.question_answers.end());
    readyWithLine(test::transfer(test::syn, headerlessBlock({soundRecord(39, 0)})));
    press();
    deliverUntilEnded();

    EXPECT_EQ(ui.save_requests.size(), c.dialogs);
    std::vector<std::wstring> texts;
    for (const ShownMessage& m : ui.messages) texts.push_back(m.text);
    std::vector<std::wstring> expected;
    for (const std::wstring& text : c.expected_messages) expected.push_back(resolved(text));
    EXPECT_EQ(texts, expected);
    // The records are converted from the received text all the same.
    EXPECT_EQ(easy->state(), 4);
    EXPECT_EQ(easy_ui.text, L"このボタンを押すとExcel形式に変換します。");
  }
}

TEST_F(EasyWalkThrough, TheExportOfAReceivedBlockGoesOnToAgainWhateverItsOutcome) {
  struct Case {
    const char* name;
    std::optional<std::wstring> target;
    const char* failing;
    std::vector<ShownMessage> messages;
  };
  const Case cases[] = {
      {"dialog cancelled", std::nullopt, nullptr, {}},
      {"sheet not built", L"book.xls", "open", {shown(generation_failed_text, MessageIcon::error)}},
      {"save failed", L"book.XLS", "saveAs", {shown(export_failed_text, MessageIcon::error)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui.messages.clear();
    easy_ui.reset();
    driver = kj::test::RecordingDriver{};
    if (c.failing != nullptr) driver.failOn(std::wstring(c.failing, c.failing + std::char_traits<char>::length(c.failing)));
    ui.save_answers = {dir.file(L"r")};
    readyWithLine(test::transfer(test::syn, headerlessBlock({soundRecord(39, 0)})));
    press();
    deliverUntilEnded();
    ASSERT_EQ(easy->state(), 4);
    ui.messages.clear();

    ui.save_answers = {c.target ? std::optional<std::wstring>(dir.file(*c.target)) : std::nullopt};
    press();
    EXPECT_EQ(ui.messages, c.messages);
    if (c.target && std::string(c.failing) == "saveAs") {
      // A name typed with an extension is used as typed.
      ASSERT_GE(driver.calls().size(), 2U);
      EXPECT_EQ(driver.calls()[driver.calls().size() - 2].arguments.at(0), dir.file(*c.target));
    }
    EXPECT_EQ(easy->state(), 2);
    EXPECT_EQ(easy_ui.text, std::wstring(easy_again_text));
    EXPECT_TRUE(easy_ui.button_enabled);
  }
}

TEST_F(EasyWalkThrough, ReceiveCommandsOutsideAReceiveChangeNothing) {
  createEasy();
  for (const int command : {CMD_RECEIVE_HEADER, CMD_RECEIVE_PROGRESS, CMD_RECEIVE_COMPLETE, CMD_RECEIVE_ENDED}) {
    easy->onCommand(command, 1);
  }
  EXPECT_TRUE(ui.save_requests.empty());
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(ui.progress.position, 0);
  expectIntroShown();
}

}  // namespace
}  // namespace kj::app
