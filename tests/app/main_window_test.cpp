// Start-up, closing, the small commands and the hand-off from a second
// instance.

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/copy_data.h"
#include "tests/app/app_fixture.h"

namespace kj::app {
namespace {

using test::AppTest;
using test::ShownMessage;
using test::window_title;

// --- start-up ---

class StartUp : public AppTest {};

TEST_F(StartUp, ConfiguredPortMissingIsReportedOnce) {
  store.put(settings_key, port_name_value, StoredValue::of_text(L"COM7"));
  ports = {L"COM1", L"COM3"};
  create();
  ASSERT_EQ(ui.messages.size(), 1U);
  EXPECT_EQ(ui.messages[0], (ShownMessage{L"設定されているCOMポート(COM7)が存在しません。", window_title,
                                          MessageIcon::error, MessageButtons::ok}));
  // The setting itself stays.
  EXPECT_EQ(settings.port_name, L"COM7");
  EXPECT_FALSE(state->busy());
}

TEST_F(StartUp, NoMessageForPresentOrEmptyPort) {
  struct Case {
    std::wstring stored;
    std::vector<std::wstring> present;
  };
  const Case cases[] = {{L"COM3", {L"COM1", L"COM3"}}, {L"", {}}, {L"", {L"COM1"}}};
  for (const Case& c : cases) {
    MemoryStore fresh;
    fresh.put(settings_key, port_name_value, StoredValue::of_text(c.stored));
    test::FakeUi quiet;
    Settings loaded;
    const std::vector<std::wstring> list = c.present;
    MainWindowState window(quiet, quiet, quiet, loaded, fresh, window_title,
                           [&] { return std::make_shared<const std::vector<std::wstring>>(list); });
    quiet.events = &window;
    window.onCreate(L"");
    EXPECT_TRUE(quiet.messages.empty()) << "port " << std::string(c.stored.begin(), c.stored.end());
    EXPECT_EQ(loaded.port_name, c.stored);
  }
}

TEST_F(StartUp, MissingSettingsKeyIsSilentAndKeepsDefaults) {
  store.fail_open_for_read(settings_key);
  create();
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(settings, Settings{});
}

TEST_F(StartUp, SettingsAreLoaded) {
  store.put(settings_key, zoom_value, StoredValue::of_dword(80));
  store.put(settings_key, port_name_value, StoredValue::of_text(L"COM3"));
  ports = {L"COM3"};
  create();
  EXPECT_EQ(settings.zoom, 80);
  EXPECT_EQ(settings.port_name, L"COM3");
}

TEST_F(StartUp, CommandLineIsLoadedAfterTheStartUpSteps) {
  store.put(settings_key, port_name_value, StoredValue::of_text(L"COM9"));
  const std::wstring path = plainFile(L"start.efdx", 3);
  // The missing port is reported before anything is shown.
  ui.during_modal = [this] { EXPECT_TRUE(ui.rows().empty()); };
  create(path);
  EXPECT_EQ(ui.rows().size(), 3U);
  EXPECT_EQ(state->recordSet().current_path, path);
  ASSERT_EQ(ui.messages.size(), 1U);
  EXPECT_EQ(ui.messages[0].text, L"設定されているCOMポート(COM9)が存在しません。");
}

// --- closing and the small commands ---

class Closing : public AppTest {};

TEST_F(Closing, TitleBarCloseAsksAndFollowsTheAnswer) {
  struct Case {
    MessageAnswer answer;
    int destroyed;
  };
  for (const Case c : {Case{MessageAnswer::yes, 1}, Case{MessageAnswer::no, 0}}) {
    test::FakeUi window_ui;
    MainWindowState window(window_ui, window_ui, window_ui, settings, store, window_title, [] { return nullptr; });
    window_ui.events = &window;
    window.onCreate(L"");
    window_ui.message_answers = {c.answer};
    window.onCloseRequest();
    ASSERT_EQ(window_ui.messages.size(), 1U);
    EXPECT_EQ(window_ui.messages[0], (ShownMessage{L"終了してもよろしいですか?", window_title,
                                                   MessageIcon::question, MessageButtons::yes_no}));
    EXPECT_EQ(window_ui.window_destroyed, c.destroyed);
  }
}

TEST_F(Closing, ExitCommandEndsWithoutQuestion) {
  create();
  state->onCommand(IDM_EXIT, 0);
  EXPECT_EQ(ui.window_destroyed, 1);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Closing, AboutShowsTheBoxWithoutBusy) {
  create();
  // A hand-off arriving while the box is open is taken.
  const std::wstring path = plainFile(L"during_about.efdx", 2);
  std::optional<bool> busy_in_box;
  ui.during_modal = [&] {
    busy_in_box = state->busy();
    std::u16string units(path.begin(), path.end());
    units.push_back(u'\0');
    state->onCopyData(command_line_tag, units.data(), units.size() * sizeof(char16_t));
  };
  state->onCommand(IDM_ABOUT, 0);
  EXPECT_EQ(ui.about_shown, 1);
  EXPECT_EQ(busy_in_box, std::optional<bool>(false));
  EXPECT_EQ(ui.rows().size(), 2U);
  EXPECT_FALSE(state->busy());
}

TEST_F(Closing, UnhandledCommandsChangeNothing) {
  create(plainFile(L"a.efdx", 2));
  const auto rows = ui.rows();
  const auto status = ui.status;
  for (const int id : {IDM_ACCEL_UNUSED, CMD_RECEIVE_HEADER, 1, 2, 40000}) state->onCommand(id, 7);
  EXPECT_EQ(ui.rows(), rows);
  EXPECT_EQ(ui.status, status);
  EXPECT_EQ(ui.window_destroyed, 0);
  EXPECT_EQ(ui.messages.size(), 0U);
}

// --- COM port command ---

class ComPortCommand : public AppTest {};

TEST_F(ComPortCommand, ChoiceIsSavedAndBusyDuringTheDialog) {
  ports = {L"COM1", L"COM3"};
  create();
  const int before = port_enumerations;
  ui.com_port_choice = 2;  // COM3
  std::optional<bool> busy_in_dialog;
  ui.during_modal = [&] { busy_in_dialog = state->busy(); };
  state->onCommand(IDM_COM_PORT_SETTINGS, 0);
  EXPECT_EQ(busy_in_dialog, std::optional<bool>(true));
  EXPECT_EQ(port_enumerations, before + 1);
  ASSERT_EQ(ui.com_port_shown.size(), 1U);
  EXPECT_EQ(ui.com_port_shown[0].entries, (std::vector<std::wstring>{L"", L"COM1", L"COM3"}));
  EXPECT_EQ(ui.com_port_shown[0].initial_selection, -1);
  EXPECT_EQ(settings.port_name, L"COM3");
  EXPECT_EQ(store.get(settings_key, port_name_value), StoredValue::of_text(L"COM3"));
  EXPECT_FALSE(state->busy());
}

TEST_F(ComPortCommand, ClosedDialogStillSavesTheUnchangedSettings) {
  ports = {L"COM1"};
  store.put(settings_key, port_name_value, StoredValue::of_text(L"COM1"));
  create();
  store.clear_writes();
  ui.com_port_choice.reset();
  state->onCommand(IDM_COM_PORT_SETTINGS, 0);
  EXPECT_EQ(ui.com_port_shown.at(0).initial_selection, 1);
  EXPECT_EQ(settings.port_name, L"COM1");
  EXPECT_FALSE(store.writes().empty());
  EXPECT_EQ(store.get(settings_key, port_name_value), StoredValue::of_text(L"COM1"));
}

TEST_F(ComPortCommand, UnsavableStoreIsSilent) {
  create();
  store.fail_open_for_write(settings_key);
  store.fail_create(settings_key);
  ui.com_port_choice = 0;
  state->onCommand(IDM_COM_PORT_SETTINGS, 0);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_FALSE(store.get(settings_key, port_name_value).has_value());
}

// --- hand-off from a second instance ---

std::vector<unsigned char> utf16Bytes(const std::u16string& text, bool terminated = true) {
  std::u16string units = text;
  if (terminated) units.push_back(u'\0');
  std::vector<unsigned char> bytes(units.size() * sizeof(char16_t));
  std::memcpy(bytes.data(), units.data(), bytes.size());
  return bytes;
}

std::u16string utf16Of(const std::wstring& text) {
  // Test paths are ASCII plus the temporary folder's name.
  return std::u16string(text.begin(), text.end());
}

class CopyData : public AppTest {};

TEST_F(CopyData, TaggedPathIsLoaded) {
  create();
  const std::wstring path = plainFile(L"handed.efdx", 2);
  const auto bytes = utf16Bytes(utf16Of(path));
  state->onCopyData(command_line_tag, bytes.data(), bytes.size());
  EXPECT_EQ(ui.rows().size(), 2U);
  EXPECT_EQ(state->recordSet().current_path, path);
}

TEST_F(CopyData, EmptyTextReadsTheCurrentFileAgain) {
  const std::wstring path = plainFile(L"again.efdx", 1);
  create(path);
  // The file grew in the meantime.
  plainFile(L"again.efdx", 3);
  const auto bytes = utf16Bytes(u"");
  state->onCopyData(command_line_tag, bytes.data(), bytes.size());
  EXPECT_EQ(ui.rows().size(), 3U);
}

TEST_F(CopyData, MalformedDataIsIgnored) {
  const std::wstring first = plainFile(L"first.efdx", 1);
  create(first);
  const std::wstring other = plainFile(L"other.efdx", 4);
  const auto good = utf16Bytes(utf16Of(other));
  // Room behind the data so that a read past the size would find the
  // terminator; the logic must not look there.
  std::vector<unsigned char> padded = good;
  padded.resize(padded.size() + 8, 0);

  struct Case {
    const char* name;
    std::uintptr_t tag;
    const void* data;
    std::size_t size;
  };
  const Case cases[] = {
      {"other tag", 2, good.data(), good.size()},
      {"tag zero", 0, good.data(), good.size()},
      {"no data", command_line_tag, nullptr, 64},
      {"size zero", command_line_tag, padded.data(), 0},
      {"terminator beyond size", command_line_tag, padded.data(), good.size() - 2},
      {"terminator cut in half (odd size)", command_line_tag, padded.data(), good.size() - 1},
      {"single byte", command_line_tag, padded.data(), 1},
  };
  for (const Case& c : cases) {
    state->onCopyData(c.tag, c.data, c.size);
    EXPECT_EQ(ui.rows().size(), 1U) << c.name;
    EXPECT_EQ(state->recordSet().current_path, first) << c.name;
  }
}

TEST_F(CopyData, OddSizeWithTerminatorInsideIsAccepted) {
  create();
  const std::wstring path = plainFile(L"odd.efdx", 2);
  auto bytes = utf16Bytes(utf16Of(path));
  bytes.push_back(0x41);  // one stray byte after the terminator
  state->onCopyData(command_line_tag, bytes.data(), bytes.size());
  EXPECT_EQ(ui.rows().size(), 2U);
}

TEST_F(CopyData, UnalignedDataIsRead) {
  create();
  const std::wstring path = plainFile(L"unaligned.efdx", 2);
  const auto bytes = utf16Bytes(utf16Of(path));
  std::vector<unsigned char> shifted(bytes.size() + 1);
  std::memcpy(shifted.data() + 1, bytes.data(), bytes.size());
  state->onCopyData(command_line_tag, shifted.data() + 1, bytes.size());
  EXPECT_EQ(ui.rows().size(), 2U);
}

TEST_F(CopyData, IgnoredWhileBusy) {
  create();
  const std::wstring path = plainFile(L"late.efdx", 2);
  const auto bytes = utf16Bytes(utf16Of(path));
  // Arrives while the open-file dialog of the open command runs.
  bool was_busy = false;
  ui.during_modal = [&] {
    was_busy = state->busy();
    state->onCopyData(command_line_tag, bytes.data(), bytes.size());
  };
  state->onCommand(IDM_OPEN_FILE, 0);
  EXPECT_TRUE(was_busy);
  EXPECT_TRUE(ui.rows().empty());
  EXPECT_FALSE(state->busy());
  // Once idle the same message is taken.
  state->onCopyData(command_line_tag, bytes.data(), bytes.size());
  EXPECT_EQ(ui.rows().size(), 2U);
}

TEST_F(CopyData, IgnoredDuringTheStartUpMessage) {
  store.put(settings_key, port_name_value, StoredValue::of_text(L"COM5"));
  const std::wstring path = plainFile(L"early.efdx", 2);
  const auto bytes = utf16Bytes(utf16Of(path));
  ui.during_modal = [&] { state->onCopyData(command_line_tag, bytes.data(), bytes.size()); };
  create();
  EXPECT_EQ(ui.messages.size(), 1U);
  EXPECT_TRUE(ui.rows().empty());
}

TEST(CopyDataText, Texts) {
  const char16_t with_pair[] = {u'a', 0xD83D, 0xDE00, u'b', 0};
  const auto text = copyDataText(with_pair, sizeof with_pair);
  ASSERT_TRUE(text.has_value());
  if constexpr (sizeof(wchar_t) == 2) {
    EXPECT_EQ(text->size(), 4U);
  } else {
    EXPECT_EQ(*text, (std::wstring{L'a', static_cast<wchar_t>(0x1F600), L'b'}));
  }
  // Everything after the first terminator is not part of the text.
  const char16_t two[] = {u'x', 0, u'y', 0};
  EXPECT_EQ(copyDataText(two, sizeof two), std::wstring(L"x"));
  const char16_t none[] = {u'x', u'y'};
  EXPECT_FALSE(copyDataText(none, sizeof none).has_value());
}

}  // namespace
}  // namespace kj::app
