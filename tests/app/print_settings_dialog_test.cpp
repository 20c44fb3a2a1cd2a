#include "app/print_settings_dialog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/ids.h"
#include "base/text_encoding.h"
#include "tests/app/app_fixture.h"

namespace kj::app {
namespace {

const PrintNumberField& zoom = print_number_fields[0];
const PrintNumberField& top = print_number_fields[1];

TEST(PrintSettingsDialog, OpensWithTheStoredSettings) {
  Settings settings;
  settings.paper_size = 3;
  settings.print_orientation = 0;
  settings.zoom = 75;
  settings.margin_right = 22;
  PrintSettingsDialogModel model(settings);
  EXPECT_EQ(model.paperEntries(),
            (std::vector<std::wstring>{L"A3 (297mm * 420mm)", L"A4 (210mm * 297mm)", L"A5 (148mm * 210mm)",
                                       L"B4 (257mm * 364mm)", L"B5 (182mm * 257mm)"}));
  EXPECT_EQ(model.paperEntries()[static_cast<std::size_t>(model.initialPaperSelection())], L"B4 (257mm * 364mm)");
  EXPECT_FALSE(model.initialPortrait());
  EXPECT_EQ(model.initialValue(zoom), 75);
  EXPECT_EQ(model.initialValue(print_number_fields[4]), 22);
  settings.print_orientation = 7;  // anything but 0 is portrait
  EXPECT_TRUE(model.initialPortrait());

  // The fields in the order zoom, top, bottom, left, right with their controls.
  const int edits[] = {1047, 1051, 1048, 1049, 1050};
  const int updowns[] = {1052, 1053, 1054, 1055, 1056};
  for (std::size_t i = 0; i < print_number_fields.size(); ++i) {
    EXPECT_EQ(print_number_fields[i].edit_id, edits[i]);
    EXPECT_EQ(print_number_fields[i].updown_id, updowns[i]);
    EXPECT_EQ(print_number_fields[i].maxChars(), 3);
  }
}

TEST(PrintSettingsDialog, TypedNumbersAreHeldInTheirRange) {
  struct Case {
    const PrintNumberField* field;
    std::wstring text;
    std::optional<std::wstring> corrected;
  };
  const Case cases[] = {
      {&zoom, L"500", L"400"}, {&zoom, L"5", L"10"},  {&zoom, L"10", std::nullopt}, {&zoom, L"400", std::nullopt},
      {&zoom, L"401", L"400"}, {&zoom, L"0", L"10"},  {&zoom, L"", std::nullopt},
      {&top, L"1", std::nullopt}, {&top, L"15", std::nullopt}, {&top, L"150", L"100"}, {&top, L"0", std::nullopt},
      {&top, L"100", std::nullopt},
      // Pasted text that is not a number is left for the user to mend.
      {&top, L"abc", std::nullopt}, {&zoom, L"-5", std::nullopt},
      {&top, L"99999999999999999999", L"100"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PrintSettingsDialogModel::correctedText(*c.field, c.text), c.corrected) << toUtf8(c.text);
  }
}

TEST(PrintSettingsDialog, OkStoresWhatTheDialogHolds) {
  Settings settings;
  settings.paper_size = 1;
  settings.zoom = 50;
  settings.margin_top = 10;
  settings.margin_bottom = 11;
  PrintSettingsDialogModel model(settings);
  EXPECT_EQ(model.accept(4, false, {L"120", L"", L"0", L"x", L"100"}), PrintSettingsDialogModel::accepted_result);
  EXPECT_EQ(settings.paper_size, 4);
  EXPECT_EQ(settings.print_orientation, 1);  // "横" not checked: portrait
  EXPECT_EQ(settings.zoom, 120);
  EXPECT_EQ(settings.margin_top, 10);    // empty edit: kept
  EXPECT_EQ(settings.margin_bottom, 0);
  EXPECT_EQ(settings.margin_left, 10);   // no number: kept
  EXPECT_EQ(settings.margin_right, 100);

  model.accept(-1, true, {L"999", L"1", L"2", L"3", L"4"});
  EXPECT_EQ(settings.paper_size, 4);  // no selection: kept
  EXPECT_EQ(settings.print_orientation, 0);
  EXPECT_EQ(settings.zoom, 999);  // stored as typed, without a further check
  EXPECT_EQ(PrintSettingsDialogModel::cancel(), PrintSettingsDialogModel::cancelled_result);
}

using test::AppTest;
using PrintSettingsCommand = AppTest;

TEST_F(PrintSettingsCommand, StoresTheSettingsWhateverClosedTheDialog) {
  create();
  settings.zoom = 80;
  bool busy_inside = false;
  ui.print_settings_user = [&](PrintSettingsDialogModel& model) {
    busy_inside = state->busy();
    return model.accept(0, true, {L"200", L"5", L"6", L"7", L"8"});
  };
  state->onCommand(IDM_PRINT_SETTINGS, 0);
  EXPECT_EQ(ui.print_settings_shown, 1);
  EXPECT_TRUE(busy_inside);
  EXPECT_FALSE(state->busy());
  Settings stored;
  ASSERT_TRUE(load_settings(stored, store));
  EXPECT_EQ(stored.paper_size, 0);
  EXPECT_EQ(stored.print_orientation, 0);
  EXPECT_EQ(stored.zoom, 200);
  EXPECT_EQ(stored.margin_right, 8);

  // キャンセル stores the settings as they were when the dialog opened.
  ui.print_settings_user = nullptr;
  store.put(settings_key, zoom_value, StoredValue::of_dword(33));
  state->onCommand(IDM_PRINT_SETTINGS, 0);
  ASSERT_TRUE(load_settings(stored, store));
  EXPECT_EQ(stored.zoom, 200);
  EXPECT_EQ(stored, settings);
}

// The dialog template: its caption, font, controls and their labels.
TEST(PrintSettingsDialog, TemplateHasTheControlsAndLabels) {
  std::ifstream in(KJ_APP_SOURCE_DIR "/win32/kjvt58.rc", std::ios::binary);
  ASSERT_TRUE(in);
  std::ostringstream all;
  all << in.rdbuf();
  const std::string rc = all.str();
  const std::size_t start = rc.find("\nIDD_PRINT_SETTINGS DIALOGEX");
  ASSERT_NE(start, std::string::npos);
  const std::string dialog = rc.substr(start, rc.find("\nEND", start) - start);
  const char* expected[] = {
      "CAPTION \"印刷設定\"",
      "FONT 9, \"Meiryo UI\"",
      "LTEXT           \"用紙サイズ\"",
      "COMBOBOX        IDC_PRINT_PAPER,",
      "CBS_DROPDOWNLIST | CBS_SORT",
      "LTEXT           \"倍率(%)\"",
      "EDITTEXT        IDC_PRINT_ZOOM,",
      "IDC_PRINT_ZOOM_SPIN, UPDOWN_CLASS",
      "LTEXT           \"印刷の向き\"",
      "AUTORADIOBUTTON \"横\", IDC_PRINT_LANDSCAPE,",
      "AUTORADIOBUTTON \"縦\", IDC_PRINT_PORTRAIT,",
      "GROUPBOX        \"余白\"",
      "LTEXT           \"上余白(mm)\"",
      "EDITTEXT        IDC_PRINT_MARGIN_TOP,",
      "LTEXT           \"下余白(mm)\"",
      "EDITTEXT        IDC_PRINT_MARGIN_BOTTOM,",
      "LTEXT           \"左余白(mm)\"",
      "EDITTEXT        IDC_PRINT_MARGIN_LEFT,",
      "LTEXT           \"右余白(mm)\"",
      "EDITTEXT        IDC_PRINT_MARGIN_RIGHT,",
      "IDC_PRINT_MARGIN_TOP_SPIN, UPDOWN_CLASS",
      "IDC_PRINT_MARGIN_BOTTOM_SPIN, UPDOWN_CLASS",
      "IDC_PRINT_MARGIN_LEFT_SPIN, UPDOWN_CLASS",
      "IDC_PRINT_MARGIN_RIGHT_SPIN, UPDOWN_CLASS",
      "DEFPUSHBUTTON   \"OK\", IDOK,",
      "PUSHBUTTON      \"キャンセル\", IDCANCEL,",
  };
  std::size_t from = 0;
  for (const char* line : expected) {
    const std::size_t at = dialog.find(line, from);
    EXPECT_NE(at, std::string::npos) << "missing or out of order: " << line;
    if (at != std::string::npos) from = at;
  }
  // Every number edit takes digits only.
  std::istringstream lines(dialog);
  std::string line;
  int edits = 0;
  while (std::getline(lines, line)) {
    if (line.find("EDITTEXT") == std::string::npos) continue;
    ++edits;
    EXPECT_NE(line.find("ES_NUMBER"), std::string::npos) << line;
  }
  EXPECT_EQ(edits, 5);
}

}  // namespace
}  // namespace kj::app
