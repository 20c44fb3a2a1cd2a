// Receiving in the main window: the start, abort and ended commands with the
// command states of a receive, the progress window, and the save flow of a
// received block with its dialogs, against a scripted controller line.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/fs_path.h"
#include "tests/app/app_fixture.h"
#include "tests/app/controller_line.h"

namespace kj::app {
namespace {

using test::AppTest;
using test::ShownMessage;
using test::window_title;
using kj::test::PortScript;
using kj::test::ScriptedLine;
using test::asReceived;
using test::eot;
using test::enq;
using test::lineBytes;
using test::nak;
using test::syn;
using test::transfer;

const std::wstring waiting_text = L"EFコントローラーからデータを送信して下さい(取込中止ボタンで取消できます)。";

// The enabled menu items and buttons of the states of the main window.
const std::set<int> idle_menu{IDM_COM_PORT_SETTINGS, IDM_RECEIVE_START, IDM_OPEN_FILE,
                              IDM_PRINT_SETTINGS,    IDM_ABOUT,         IDM_EXIT};
const std::set<int> idle_buttons{IDM_RECEIVE_START, IDM_OPEN_FILE, IDM_PRINT_SETTINGS, IDM_ABOUT, IDM_EXIT};
const std::set<int> receiving_commands{IDM_RECEIVE_ABORT, IDM_PRINT_SETTINGS, IDM_ABOUT, IDM_EXIT};

std::set<int> with(std::set<int> ids, std::initializer_list<int> more) {
  ids.insert(more);
  return ids;
}

std::set<int> enabledOf(const std::map<int, bool>& states) {
  std::set<int> enabled;
  for (const auto& [id, on] : states) {
    if (on) enabled.insert(id);
  }
  return enabled;
}


class ReceiveTest : public AppTest {
 protected:
  // A window whose configured port is COM7 and whose line plays `script`.
  void createWithLine(PortScript script) {
    store.put(settings_key, port_name_value, StoredValue::of_text(L"COM7"));
    ports = {L"COM7"};
    line = std::make_shared<ScriptedLine>(std::move(script));
    create();
  }

  // Hands the commands the session posted to the window in order, as the
  // message loop does, until the ended command; `after` runs after each.
  std::vector<std::pair<int, std::intptr_t>> deliverUntilEnded(
      const std::function<void(int, std::intptr_t)>& after = nullptr) {
    const auto posts = ui.takePostedUntil(CMD_RECEIVE_ENDED);
    for (const auto& [id, param] : posts) {
      state->onCommand(id, param);
      if (after) after(id, param);
    }
    return posts;
  }

  // Forgets what the fake UI recorded, for the next case of a table.
  void resetUi() {
    ui.messages.clear();
    ui.save_requests.clear();
    ui.save_answers.clear();
    ui.message_answers.clear();
    ui.progress = test::FakeProgressWindow{};
    ui.item_count = 0;
    ui.detail = {};
    ui.menu_enabled.clear();
    ui.button_enabled.clear();
    (void)ui.takePosted();
    opened_ports.clear();
  }

  void expectIdle(bool loaded, bool coord) {
    const std::set<int> menu = loaded ? with(idle_menu, {IDM_EXPORT_EXCEL, IDM_PRINT}) : idle_menu;
    EXPECT_EQ(enabledOf(ui.menu_enabled), coord ? with(menu, {IDM_EXPORT_KML}) : menu);
    EXPECT_EQ(enabledOf(ui.button_enabled),
              loaded ? with(idle_buttons, {IDM_EXPORT_EXCEL, IDM_PRINT}) : idle_buttons);
    EXPECT_FALSE(state->busy());
    EXPECT_FALSE(ui.progress.exists);
  }

  void expectReceiving() {
    EXPECT_EQ(enabledOf(ui.menu_enabled), receiving_commands);
    EXPECT_EQ(enabledOf(ui.button_enabled), receiving_commands);
    EXPECT_TRUE(state->busy());
  }

  // Three sound records without header, announced with SYN (39 fields).
  static std::wstring threeRecords() {
    return kj::test::headerlessBlock(
        {kj::test::soundRecord(39, 0), kj::test::soundRecord(39, 1), kj::test::soundRecord(39, 2)});
  }
};

// --- the receive commands ---

TEST_F(ReceiveTest, ACompleteReceiveIsShownSavedByteExactAndEndsIdle) {
  const std::wstring block = threeRecords();
  createWithLine(transfer(syn, block));
  ui.save_answers.push_back(dir.file(L"got"));

  state->onCommand(IDM_RECEIVE_START, 0);
  EXPECT_EQ(opened_ports, std::vector<std::wstring>{L"COM7"});
  expectReceiving();
  EXPECT_TRUE(ui.progress.exists);
  EXPECT_EQ(ui.progress.left_offset, 60);
  EXPECT_EQ(ui.progress.text, waiting_text);

  std::vector<std::pair<int, std::wstring>> progress;
  const auto posts = deliverUntilEnded([&](int id, std::intptr_t) {
    if (id == CMD_RECEIVE_PROGRESS) progress.emplace_back(ui.progress.position, ui.progress.text);
  });
  const std::vector<std::pair<int, std::intptr_t>> expected_posts{
      {CMD_RECEIVE_HEADER, 0},   {CMD_RECEIVE_PROGRESS, 1}, {CMD_RECEIVE_PROGRESS, 2},
      {CMD_RECEIVE_PROGRESS, 3}, {CMD_RECEIVE_COMPLETE, 0}, {CMD_RECEIVE_ENDED, 1}};
  EXPECT_EQ(posts, expected_posts);
  const std::vector<std::pair<int, std::wstring>> expected_progress{
      {33, L"データ処理中です。(1/3)"}, {66, L"データ処理中です。(2/3)"}, {100, L"データ処理中です。(3/3)"}};
  EXPECT_EQ(progress, expected_progress);

  // One dialog with the time-stamp name; the name typed without extension
  // gets the default one.
  ASSERT_EQ(ui.save_requests.size(), 1U);
  EXPECT_TRUE(std::regex_match(std::string(ui.save_requests[0].initial_name.begin(),
                                           ui.save_requests[0].initial_name.end()),
                               std::regex("[0-9]{4}_[0-9]{4}_[0-9]{6}")));
  const std::wstring saved = dir.file(L"got.efdx");
  EXPECT_EQ(kj::test::readBytes(saved), kj::test::storedBytes(asReceived(block)));
  EXPECT_EQ(state->recordSet().current_path, saved);

  EXPECT_EQ(ui.rows().size(), 3U);
  EXPECT_EQ(ui.status[1], L"総記録数: 3 件");
  EXPECT_EQ(ui.window(DetailKind::plain).title, saved);
  EXPECT_EQ(ui.progress.closed, 1);
  // ACK after the request and after EOT, nothing else.
  EXPECT_EQ(line->written(), "\x06\x06");
  EXPECT_TRUE(ui.messages.empty());
  expectIdle(true, true);
}

TEST_F(ReceiveTest, AbortWhileWaitingEndsWithoutAcknowledgingAndAReceiveCanFollow) {
  // Records on display before: their export commands go with the start and do
  // not come back after an aborted receive; the list keeps its rows.
  createWithLine(PortScript());
  state->loadFile(plainFile(L"a.efdx", 2));
  expectIdle(true, true);

  state->onCommand(IDM_RECEIVE_START, 0);
  expectReceiving();
  state->onCommand(IDM_RECEIVE_ABORT, 0);
  const auto posts = deliverUntilEnded();
  EXPECT_EQ(posts, (std::vector<std::pair<int, std::intptr_t>>{{CMD_RECEIVE_ENDED, 0}}));
  EXPECT_TRUE(line->written().empty());
  EXPECT_TRUE(ui.save_requests.empty());
  EXPECT_EQ(ui.progress.closed, 1);
  EXPECT_EQ(ui.rows().size(), 2U);
  expectIdle(false, false);

  // The commands are back: a second receive opens the port again.
  state->onCommand(IDM_RECEIVE_START, 0);
  EXPECT_EQ(opened_ports.size(), 2U);
  expectReceiving();
  EXPECT_EQ(ui.progress.created, 2);
  state->onCommand(IDM_RECEIVE_ABORT, 0);
  deliverUntilEnded();
  expectIdle(false, false);
}

TEST_F(ReceiveTest, FailedTransfersSaveAndShowNothing) {
  const std::wstring block = threeRecords();
  const std::string bytes = lineBytes(block);
  struct Case {
    const char* name;
    PortScript script;
  };
  const Case cases[] = {
      {"NAK as the first byte", PortScript().bytes(syn + nak + bytes + eot)},
      {"NAK in the middle", PortScript().bytes(syn + bytes.substr(0, 60) + nak + bytes.substr(60) + eot)},
      {"silence in the middle", PortScript().bytes(syn + bytes.substr(0, 60)).silence(150).bytes(bytes.substr(60) + eot)},
      {"header that cannot be read", PortScript().bytes(syn + "x" + bytes.substr(1) + eot)},
      {"tagged header that cannot be read",
       PortScript().bytes(enq + lineBytes(kj::test::taggedHeader(L"BT", 1, 48, 1)).replace(7, 3, "a4x") + eot)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetUi();
    createWithLine(c.script);
    state->onCommand(IDM_RECEIVE_START, 0);
    const auto posts = deliverUntilEnded();
    ASSERT_FALSE(posts.empty());
    EXPECT_EQ(posts.back(), (std::pair<int, std::intptr_t>{CMD_RECEIVE_ENDED, 0}));
    for (const auto& post : posts) EXPECT_NE(post.first, CMD_RECEIVE_COMPLETE);
    EXPECT_TRUE(ui.save_requests.empty());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(kj::test::folderContents(dir.path()).empty());
    EXPECT_EQ(ui.item_count, 0);
    EXPECT_EQ(ui.progress.closed, 1);
    expectIdle(false, false);
  }
}

TEST_F(ReceiveTest, APortThatCannotBeOpenedIsReportedAndTheWindowStaysIdle) {
  for (const std::wstring configured : {L"COM7", L""}) {
    resetUi();
    store.put(settings_key, port_name_value, StoredValue::of_text(configured));
    ports = {configured};
    create();
    state->onCommand(IDM_RECEIVE_START, 0);
    EXPECT_EQ(opened_ports, std::vector<std::wstring>{configured});
    EXPECT_EQ(ui.messages, (std::vector<ShownMessage>{{L"選択されたCOMポートを開くことができません。", window_title,
                                                       MessageIcon::error, MessageButtons::ok}}));
    EXPECT_EQ(ui.progress.created, 0);
    expectIdle(false, false);
  }
}

TEST_F(ReceiveTest, ReceiveCommandsOutsideAReceiveChangeNothing) {
  createWithLine(PortScript());
  state->loadFile(plainFile(L"a.efdx", 2));
  const auto rows = ui.rows();
  for (const auto& [id, param] : std::vector<std::pair<int, std::intptr_t>>{
           {CMD_RECEIVE_PROGRESS, 1}, {CMD_RECEIVE_COMPLETE, 0}, {CMD_RECEIVE_ENDED, 1}, {IDM_RECEIVE_ABORT, 0}}) {
    state->onCommand(id, param);
  }
  EXPECT_TRUE(ui.save_requests.empty());
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(ui.progress.created, 0);
  EXPECT_EQ(ui.rows(), rows);
  EXPECT_TRUE(opened_ports.empty());
  expectIdle(true, true);
}

TEST_F(ReceiveTest, ClosingTheWindowDuringAReceiveStopsTheWorker) {
  // The controller never sends: the worker waits until the window goes.
  createWithLine(PortScript());
  state->onCommand(IDM_RECEIVE_START, 0);
  state.reset();
  ui.events = nullptr;
  // Nothing is told after the window's logic is gone.
  EXPECT_TRUE(ui.takePosted().empty());
  EXPECT_TRUE(line->written().empty());
}

// --- saving the received block ---

class SaveReceived : public ReceiveTest {
 protected:
  // Receives `block` (announced with `request`) and hands every posted
  // command to the window.
  void receive(const std::string& request, const std::wstring& block) {
    createWithLine(transfer(request, block));
    state->onCommand(IDM_RECEIVE_START, 0);
    deliverUntilEnded();
  }
};

TEST_F(SaveReceived, EachBlockKindHasItsDialogExtensionAndDisplay) {
  const auto tagged = [](const std::wstring& letters, int fields, int count) {
    std::vector<kj::test::RecordFields> records;
    for (int i = 0; i < count; ++i) records.push_back(kj::test::soundRecord(static_cast<std::size_t>(fields), i));
    return kj::test::blockText(kj::test::taggedHeader(letters, 1, fields, count), records);
  };
  struct Case {
    const char* name;
    std::string request;
    std::wstring block;
    std::wstring filter_label;
    std::wstring filter_pattern;
    std::wstring default_extension;
    std::optional<DetailKind> shown;
    bool coord;  // the records have positions
  };
  const Case cases[] = {
      {"kind 0", enq, kj::test::headerlessBlock({kj::test::soundRecord(33, 0), kj::test::soundRecord(33, 1)}),
       L"融着記録 (*.efd)", L"*.efd", L"efd", DetailKind::plain, false},
      {"kind 1", syn, kj::test::headerlessBlock({kj::test::soundRecord(39, 0), kj::test::soundRecord(39, 1)}),
       L"融着記録 (*.efdx)", L"*.efdx", L"efdx", DetailKind::plain, true},
      {"kind 2", syn, tagged(L"BT", 48, 2), L"融着記録 (*.efdx)", L"*.efdx", L"efdx", DetailKind::battery, true},
      {"kind 3", syn, tagged(L"PK", 39, 2), L"融着記録 (*.efdx)", L"*.efdx", L"efdx", std::nullopt, false},
      {"kind 4", syn, tagged(L"ZZ", 39, 2), L"融着記録 (*.efdx)", L"*.efdx", L"", std::nullopt, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetUi();
    kj::test::TempDir folder;
    const std::wstring typed = widePath(folder.path() / "blk");
    const std::wstring suffix = c.default_extension.empty() ? L"" : L"." + c.default_extension;
    ui.save_answers.push_back(typed);
    receive(c.request, c.block);
    ASSERT_EQ(ui.save_requests.size(), 1U);
    const SaveFileRequest& request = ui.save_requests[0];
    EXPECT_EQ(request.filters, (std::vector<FileFilter>{{c.filter_label, c.filter_pattern}}));
    EXPECT_EQ(request.default_extension, c.default_extension);
    EXPECT_TRUE(request.overwrite_prompt);
    const auto contents = kj::test::folderContents(folder.path());
    ASSERT_EQ(contents.size(), 1U);
    EXPECT_EQ(contents.begin()->first, "blk" + std::string(suffix.begin(), suffix.end()));
    EXPECT_EQ(contents.begin()->second, kj::test::storedBytes(asReceived(c.block)));
    EXPECT_EQ(state->recordSet().block_kind, static_cast<BlockKind>(&c - cases));
    if (c.shown) {
      EXPECT_EQ(ui.item_count, 2);
      EXPECT_TRUE(ui.window(*c.shown).exists);
      EXPECT_EQ(ui.window(*c.shown).title, typed + suffix);
      expectIdle(true, c.coord);
    } else {
      EXPECT_EQ(ui.item_count, 0);
      EXPECT_FALSE(ui.window(DetailKind::plain).exists);
      EXPECT_FALSE(ui.window(DetailKind::battery).exists);
      expectIdle(false, false);
    }
  }
}

TEST_F(SaveReceived, AFailedWriteIsReportedAndTheDialogComesBack) {
  const std::wstring block = threeRecords();
  const std::wstring good = dir.file(L"good.efdx");
  ui.save_answers = {dir.file(L"missing/one.efdx"), dir.file(L"missing/two.efdx"), good};
  receive(syn, block);
  ASSERT_EQ(ui.save_requests.size(), 3U);
  // The name is taken once.
  EXPECT_EQ(ui.save_requests[1].initial_name, ui.save_requests[0].initial_name);
  EXPECT_EQ(ui.save_requests[2].initial_name, ui.save_requests[0].initial_name);
  const ShownMessage failed{L"データ保存に失敗しました。", window_title, MessageIcon::error, MessageButtons::ok};
  EXPECT_EQ(ui.messages, (std::vector<ShownMessage>{failed, failed}));
  EXPECT_EQ(kj::test::readBytes(good), kj::test::storedBytes(asReceived(block)));
  EXPECT_EQ(state->recordSet().current_path, good);
  EXPECT_EQ(ui.rows().size(), 3U);
  expectIdle(true, true);
}

TEST_F(SaveReceived, DecliningIsConfirmedCancelReturnsToTheDialogAndOkShowsUnsaved) {
  createWithLine(transfer(syn, threeRecords()));
  // A file on display first: not saving empties its path.
  state->loadFile(plainFile(L"before.efdx", 1));
  ASSERT_FALSE(state->recordSet().current_path.empty());
  ui.save_answers = {std::nullopt, std::nullopt, std::nullopt};
  ui.message_answers = {MessageAnswer::cancel, MessageAnswer::cancel, MessageAnswer::ok};
  state->onCommand(IDM_RECEIVE_START, 0);
  deliverUntilEnded();

  EXPECT_EQ(ui.save_requests.size(), 3U);
  const ShownMessage question{L"データを保存しなくてもよろしいですか?", window_title, MessageIcon::warning,
                              MessageButtons::ok_cancel};
  EXPECT_EQ(ui.messages, (std::vector<ShownMessage>{question, question, question}));
  EXPECT_TRUE(state->recordSet().current_path.empty());
  // Only the file loaded before is in the folder.
  EXPECT_EQ(kj::test::folderContents(dir.path()).size(), 1U);
  EXPECT_EQ(ui.rows().size(), 3U);
  EXPECT_EQ(ui.window(DetailKind::plain).title, L"");
  expectIdle(true, true);
}

TEST_F(SaveReceived, ANameWithItsOwnExtensionIsSavedAsTyped) {
  const std::wstring block = threeRecords();
  ui.save_answers = {dir.file(L"notes.txt")};
  receive(syn, block);
  EXPECT_EQ(kj::test::readBytes(dir.file(L"notes.txt")), kj::test::storedBytes(asReceived(block)));
  EXPECT_EQ(kj::test::folderContents(dir.path()).size(), 1U);
  // It reads back like a record file, so the records are shown.
  EXPECT_EQ(ui.rows().size(), 3U);
}

TEST_F(SaveReceived, TheReceiveEndingDuringTheDialogKeepsTheWindowBusyUntilTheSaveIsDone) {
  createWithLine(transfer(syn, threeRecords()));
  state->onCommand(IDM_RECEIVE_START, 0);
  const auto posts = ui.takePostedUntil(CMD_RECEIVE_ENDED);
  ASSERT_EQ(posts.back().first, CMD_RECEIVE_ENDED);
  std::optional<bool> busy_after_ended;
  ui.save_answers = {dir.file(L"late.efdx")};
  // The ended command arrives in the dialog's own message loop; a start
  // pressed then must not replace the block being saved.
  ui.during_modal = [&] {
    state->onCommand(CMD_RECEIVE_ENDED, 1);
    busy_after_ended = state->busy();
    state->onCommand(IDM_RECEIVE_START, 0);
  };
  for (const auto& [id, param] : posts) {
    if (id != CMD_RECEIVE_ENDED) state->onCommand(id, param);
  }
  EXPECT_EQ(busy_after_ended, std::optional<bool>(true));
  EXPECT_EQ(opened_ports.size(), 1U);
  EXPECT_EQ(ui.progress.created, 1);
  EXPECT_EQ(ui.rows().size(), 3U);
  EXPECT_EQ(state->recordSet().current_path, dir.file(L"late.efdx"));
  expectIdle(true, true);
}

}  // namespace
}  // namespace kj::app
