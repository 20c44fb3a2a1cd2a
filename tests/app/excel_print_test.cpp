// Printing the records on display: the question, the sheet with every item,
// the page settings, the print and the three messages.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/excel_export.h"
#include "base/text_encoding.h"
#include "tests/app/app_fixture.h"

namespace kj::app {
namespace {

using kj::test::DriverCall;
using kj::test::soundRecord;
using test::AppTest;
using test::ShownMessage;
using test::window_title;

const ShownMessage question{L"印刷しますか?", window_title, MessageIcon::warning, MessageButtons::ok_cancel};

ShownMessage shown(std::wstring_view text, MessageIcon icon) {
  return {std::wstring(text), window_title, icon, MessageButtons::ok};
}

const std::wstring_view succeeded = L"印刷に成功しました。";
const std::wstring_view generation_failed = L"印刷データの生成に失敗しました。";
const std::wstring_view print_failed =
    L"印刷に失敗しました。\n用紙サイズが対応していないか、プリンタに接続できない可能性があります。";

std::vector<std::wstring> operations(const std::vector<DriverCall>& calls) {
  std::vector<std::wstring> names;
  for (const DriverCall& c : calls) names.push_back(c.operation);
  return names;
}

const DriverCall* find(const std::vector<DriverCall>& calls, std::wstring_view operation, std::size_t occurrence = 0) {
  for (const DriverCall& c : calls) {
    if (c.operation == operation && occurrence-- == 0) return &c;
  }
  return nullptr;
}

class PrintFlow : public AppTest {
 protected:
  void SetUp() override { create(); }
  void print(MessageAnswer answer = MessageAnswer::ok) {
    ui.messages.clear();
    ui.message_answers = {answer};
    state->onCommand(IDM_PRINT, 0);
  }
};

TEST_F(PrintFlow, BatteryRecordsArePrintedWithEveryItemAndThePageSettings) {
  state->loadFile(batteryFile(L"bt.efdx", 2));
  // What is chosen for the conversion does not matter for printing.
  settings.battery_export_columns.fill(false);
  store.put(battery_export_columns_key, L"lot_number", StoredValue::of_dword(0));
  settings.paper_size = 4;
  settings.print_orientation = 1;
  settings.zoom = 75;
  settings.margin_top = 11;
  settings.margin_bottom = 12;
  settings.margin_left = 13;
  settings.margin_right = 14;
  bool busy_in_question = false;
  ui.during_modal = [&] { busy_in_question = state->busy(); };
  print();
  EXPECT_TRUE(busy_in_question);

  const auto& calls = driver.calls();
  const DriverCall* header = find(calls, L"writeBlock", 1);
  ASSERT_NE(header, nullptr);
  ASSERT_EQ(header->rows.size(), 1u);
  EXPECT_EQ(header->rows[0].size(), 41u);
  EXPECT_EQ(header->rows[0].back(), L"通電後電池温度");
  EXPECT_EQ(header->rows[0][19], L"電池電圧\n最低");
  const std::vector<std::wstring> names = operations(calls);
  ASSERT_GE(names.size(), 3u);
  EXPECT_EQ(std::vector<std::wstring>(names.end() - 3, names.end()),
            (std::vector<std::wstring>{L"applyPageSetup", L"printOut", L"close"}));
  EXPECT_EQ(calls[calls.size() - 3].arguments,
            (std::vector<std::wstring>{L"B5", L"portrait", L"75", L"11", L"12", L"13", L"14"}));
  EXPECT_EQ(std::count(names.begin(), names.end(), L"saveAs"), 0);
  EXPECT_TRUE(ui.output_items_shown.empty());
  EXPECT_EQ(ui.messages, (std::vector<ShownMessage>{question, shown(succeeded, MessageIcon::information)}));
  EXPECT_FALSE(state->busy());
  // Only the spreadsheet application prints: the driver is asked for that.
  EXPECT_EQ(purposes, std::vector<SheetPurpose>{SheetPurpose::print});
}

TEST_F(PrintFlow, CancelOrABlockWithoutSheetStopsAfterTheQuestion) {
  state->loadFile(plainFile(L"a.efdx", 1));
  print(MessageAnswer::cancel);
  EXPECT_EQ(ui.messages, (std::vector<ShownMessage>{question}));
  state->loadFile(file(L"pk.efdx", kj::test::blockText(kj::test::taggedHeader(L"PK", 1, 39, 1), {soundRecord(39, 0)})));
  ASSERT_EQ(state->recordSet().block_kind, BlockKind::TaggedPK);
  print();
  EXPECT_EQ(ui.messages, (std::vector<ShownMessage>{question}));
  EXPECT_EQ(drivers_made, 0);
  EXPECT_FALSE(state->busy());
}

TEST_F(PrintFlow, PaperSizesAndFailuresGiveTheirOutcome) {
  struct Case {
    const char* name;
    std::int32_t paper_size;
    std::int32_t orientation;
    bool no_driver;
    std::wstring fail;
    std::wstring paper;  // the name handed to applyPageSetup
    std::wstring_view text;
    MessageIcon icon;
    std::vector<std::wstring> tail;
  };
  const Case cases[] = {
      {"A3, landscape", 0, 0, false, L"", L"A3", succeeded, MessageIcon::information,
       {L"applyPageSetup", L"printOut", L"close"}},
      {"A4", 1, 0, false, L"", L"A4", succeeded, MessageIcon::information, {L"applyPageSetup", L"printOut", L"close"}},
      {"A5", 2, 0, false, L"", L"A5", succeeded, MessageIcon::information, {L"applyPageSetup", L"printOut", L"close"}},
      {"B4", 3, 0, false, L"", L"B4", succeeded, MessageIcon::information, {L"applyPageSetup", L"printOut", L"close"}},
      // An index outside the table: no paper name, and the refused page setup
      // fails the print, which still goes to the printer.
      {"index 5", 5, 0, false, L"applyPageSetup", L"", print_failed, MessageIcon::error,
       {L"applyPageSetup", L"printOut", L"close"}},
      {"index -1", -1, 0, false, L"applyPageSetup", L"", print_failed, MessageIcon::error,
       {L"applyPageSetup", L"printOut", L"close"}},
      {"no printer", 1, 0, false, L"printOut", L"A4", print_failed, MessageIcon::error,
       {L"applyPageSetup", L"printOut", L"close"}},
      {"no spreadsheet", 1, 0, true, L"", L"", generation_failed, MessageIcon::error, {}},
      {"cannot be opened", 1, 0, false, L"open", L"", generation_failed, MessageIcon::error, {L"open", L"close"}},
  };
  const std::wstring path = plainFile(L"p.efdx", 2);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    driver = kj::test::RecordingDriver{};
    if (!c.fail.empty()) driver.failOn(c.fail);
    no_driver = c.no_driver;
    settings.paper_size = c.paper_size;
    settings.print_orientation = c.orientation;
    state->loadFile(path);
    print();
    EXPECT_EQ(ui.messages, (std::vector<ShownMessage>{question, shown(c.text, c.icon)}));
    const auto names = operations(driver.calls());
    ASSERT_GE(names.size(), c.tail.size());
    EXPECT_EQ(std::vector<std::wstring>(names.end() - static_cast<std::ptrdiff_t>(c.tail.size()), names.end()),
              c.tail);
    if (const DriverCall* setup = find(driver.calls(), L"applyPageSetup")) {
      EXPECT_EQ(setup->arguments.at(0), c.paper);
      EXPECT_EQ(setup->arguments.at(1), L"landscape");
      // Every item of plain records: 33 columns.
      const DriverCall* header = find(driver.calls(), L"writeBlock", 1);
      ASSERT_NE(header, nullptr);
      EXPECT_EQ(header->rows.at(0).size(), 33u);
    }
  }
}

}  // namespace
}  // namespace kj::app
