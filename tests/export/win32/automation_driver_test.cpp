#include "export/excel_automation.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "export/sheet_address.h"
#include "export/sheet_writer.h"
#include "tests/export/recording_driver.h"
#include "tests/export/sheet_fixture.h"
#include "tests/export/win32/automation_expectations.h"
#include "tests/export/win32/fake_automation.h"

namespace kj::sheet {
namespace {

using com::CallKind;
using test::AutomationArgument;
using test::AutomationCall;
using test::blockCalls;
using test::bstr;
using test::Calls;
using test::FakeAutomation;
using test::gridCalls;
using test::i4;
using test::on;
using test::openCalls;
using test::pageSetupCalls;
using test::r8;
using test::Rows;
using test::textBlock;

// Rows of texts and the views a TextRows needs.
struct Block {
  explicit Block(Rows rows_) : rows(std::move(rows_)) {
    for (const auto& row : rows) views.insert(views.end(), row.begin(), row.end());
  }
  TextRows textRows() const { return {views, rows.empty() ? 0 : rows.front().size()}; }
  Rows rows;
  std::vector<std::wstring_view> views;
};

// A fresh CoInitialize on this thread is the first one: nothing was left
// initialised.
void expectComBalanced() {
  EXPECT_EQ(CoInitialize(nullptr), S_OK) << "COM was left initialised";
  CoUninitialize();
}

void expectOnlyHeldObjectsReferenced(const FakeAutomation& fake, bool open) {
  for (const auto& [label, count] : fake.references()) {
    const bool held = open && (label == L"Application" || label == L"Workbooks" || label == L"Workbook" ||
                               label == L"Worksheet");
    EXPECT_EQ(count, held ? 1 : 0) << testing::PrintToString(label);
  }
}

Calls callsSince(const FakeAutomation& fake, std::size_t first) {
  return Calls(fake.calls().begin() + static_cast<std::ptrdiff_t>(first), fake.calls().end());
}

class AutomationDriver : public testing::Test {
 protected:
  // Opens and returns the number of calls open() made.
  std::size_t openSheet() {
    EXPECT_TRUE(driver.open(L"融着記録"));
    return fake.calls().size();
  }

  FakeAutomation fake;  // outlives the driver, which releases into it
  AutomationExcelDriver driver{fake.factory()};
};

TEST_F(AutomationDriver, OpenStartsTheApplicationInvisiblyAndHoldsFourObjectsUntilClose) {
  ASSERT_TRUE(driver.open(L"融着記録"));
  EXPECT_EQ(fake.calls(), openCalls(L"融着記録"));
  EXPECT_EQ(fake.factoryCalls(), 1u);
  EXPECT_EQ(fake.comStateAtCreation(), S_FALSE) << "COM must be initialised before the application is created";
  expectOnlyHeldObjectsReferenced(fake, true);
  for (const wchar_t* held : {L"Application", L"Workbooks", L"Workbook", L"Worksheet"}) {
    EXPECT_EQ(fake.referencesOf(held), 1) << testing::PrintToString(std::wstring(held));
  }

  driver.close();
  Calls expected = openCalls(L"融着記録");
  expected.push_back(on(L"Application", L"Quit", CallKind::method));
  EXPECT_EQ(fake.calls(), expected);
  expectOnlyHeldObjectsReferenced(fake, false);
  expectComBalanced();

  // Closed means closed: a second close calls nothing, and the driver opens again.
  driver.close();
  EXPECT_EQ(fake.calls().size(), expected.size());
  ASSERT_TRUE(driver.open(L"二回目"));
  EXPECT_EQ(callsSince(fake, expected.size()), openCalls(L"二回目"));
}

TEST_F(AutomationDriver, EveryCallFollowsTheCallConvention) {
  std::vector<file::Efdx> records = test::labelledRecords<file::Efdx>(2);
  PlainSelection all{};
  all.fill(true);
  ASSERT_TRUE(writeEfdxSheet(all, records, driver));
  driver.saveAs(L"C:\\out.xls");
  driver.applyPageSetup(L"A4", true, 100, 10, 10, 10, 10);
  driver.printOut();
  driver.close();
  ASSERT_EQ(fake.facts().size(), fake.calls().size());
  for (std::size_t i = 0; i < fake.facts().size(); ++i) {
    SCOPED_TRACE(testing::PrintToString(fake.calls()[i]));
    const auto& facts = fake.facts()[i];
    EXPECT_EQ(facts.lookup_locale, 1024u);
    EXPECT_EQ(facts.invoke_locale, 2048u);
    switch (fake.calls()[i].kind) {
      case CallKind::put:
        EXPECT_EQ(facts.flags, DISPATCH_PROPERTYPUT);
        EXPECT_EQ(facts.named, std::vector<DISPID>{DISPID_PROPERTYPUT});
        EXPECT_EQ(fake.calls()[i].arguments.size(), 1u);
        break;
      case CallKind::get:
        EXPECT_EQ(facts.flags, DISPATCH_PROPERTYGET);
        EXPECT_TRUE(facts.named.empty());
        EXPECT_TRUE(facts.result_asked);
        break;
      case CallKind::method:
        EXPECT_EQ(facts.flags, DISPATCH_METHOD);
        EXPECT_TRUE(facts.named.empty());
        break;
    }
  }
}

struct OpenFailure {
  const char* name;
  HRESULT creation;
  std::function<void(FakeAutomation&)> arrange;
  std::size_t calls_made;  // of the open sequence, the failing one included
};

TEST(AutomationDriverOpen, AFailingStepEndsOpenAndCloseReleasesOnlyWhatWasObtained) {
  const std::vector<OpenFailure> cases = {
      {"class not registered", REGDB_E_CLASSNOTREG, [](FakeAutomation&) {}, 0},
      {"server does not start", CO_E_SERVER_EXEC_FAILURE, [](FakeAutomation&) {}, 0},
      {"Visible refused", S_OK, [](FakeAutomation& f) { f.failInvoke(L"Visible"); }, 1},
      {"Workbooks unknown", S_OK, [](FakeAutomation& f) { f.failLookup(L"Workbooks"); }, 1},
      {"Workbooks refused", S_OK, [](FakeAutomation& f) { f.failInvoke(L"Workbooks"); }, 2},
      {"Add refused", S_OK, [](FakeAutomation& f) { f.failInvoke(L"Add"); }, 3},
      {"Add gives no object", S_OK, [](FakeAutomation& f) { f.returnNothingFor(L"Add"); }, 3},
      {"ActiveSheet refused", S_OK, [](FakeAutomation& f) { f.failInvoke(L"ActiveSheet"); }, 4},
      {"ActiveSheet gives no object", S_OK, [](FakeAutomation& f) { f.returnNothingFor(L"ActiveSheet"); }, 4},
      {"Name refused", S_OK, [](FakeAutomation& f) { f.failInvoke(L"Name"); }, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeAutomation fake;
    c.arrange(fake);
    {
      AutomationExcelDriver driver(fake.factory(c.creation));
      EXPECT_FALSE(driver.open(L"融着記録"));
      const Calls all = openCalls(L"融着記録");
      Calls expected(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(c.calls_made));
      EXPECT_EQ(fake.calls(), expected);
      if (FAILED(c.creation)) expectComBalanced();  // given back at once: close has nothing to do

      driver.close();
      if (SUCCEEDED(c.creation)) expected.push_back(on(L"Application", L"Quit", CallKind::method));
      EXPECT_EQ(fake.calls(), expected);
      expectOnlyHeldObjectsReferenced(fake, false);
      expectComBalanced();
      // The driver is closed again: its destruction calls nothing more.
    }
    EXPECT_EQ(fake.calls().size(), c.calls_made + (SUCCEEDED(c.creation) ? 1u : 0u));
    EXPECT_EQ(fake.factoryCalls(), 1u);
  }
}

TEST_F(AutomationDriver, OpenIsRefusedWhileOpenAndOperationsBeforeOpenCallNothing) {
  const Block block({{L"a"}});
  EXPECT_FALSE(driver.disableAlerts());
  EXPECT_FALSE(driver.writeBlock(1, block.textRows()));
  EXPECT_FALSE(driver.setNumberFormat(L"A1:A1", L"@"));
  EXPECT_FALSE(driver.autoFitColumns(L"A:A"));
  EXPECT_FALSE(driver.merge(L"A1:A1"));
  EXPECT_FALSE(driver.drawGrid(L"A1:A1"));
  EXPECT_FALSE(driver.saveAs(L"C:\\a.xls"));
  EXPECT_FALSE(driver.applyPageSetup(L"A4", true, 100, 10, 10, 10, 10));
  EXPECT_FALSE(driver.printOut());
  driver.close();
  EXPECT_TRUE(fake.calls().empty());
  EXPECT_EQ(fake.factoryCalls(), 0u);

  const std::size_t opened = openSheet();
  EXPECT_FALSE(driver.open(L"別"));
  EXPECT_EQ(fake.calls().size(), opened);
  EXPECT_EQ(fake.factoryCalls(), 1u);

  // A failed open also holds the driver until it is closed.
  FakeAutomation other;
  other.failInvoke(L"Name");
  AutomationExcelDriver half(other.factory());
  EXPECT_FALSE(half.open(L"x"));
  EXPECT_FALSE(half.open(L"x"));
  EXPECT_EQ(other.factoryCalls(), 1u);
}

struct OperationCase {
  const char* name;
  std::function<void(FakeAutomation&)> arrange;
  std::function<bool(ExcelDriver&)> run;
  bool result;
  Calls calls;
};

void runOperationCases(const std::vector<OperationCase>& cases) {
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeAutomation fake;
    AutomationExcelDriver driver(fake.factory());
    ASSERT_TRUE(driver.open(L"融着記録"));
    const std::size_t opened = fake.calls().size();
    c.arrange(fake);
    EXPECT_EQ(c.run(driver), c.result);
    EXPECT_EQ(callsSince(fake, opened), c.calls);
    expectOnlyHeldObjectsReferenced(fake, true);
    driver.close();
    expectOnlyHeldObjectsReferenced(fake, false);
  }
}

const Block two_by_three({{L"a", L"b", L"c"}, {L"d", L"", L"融着"}});

TEST(AutomationDriverOperations, EachSendsItsCallsInOrder) {
  const auto nothing = [](FakeAutomation&) {};
  runOperationCases({
      {"disableAlerts", nothing, [](ExcelDriver& d) { return d.disableAlerts(); }, true,
       {on(L"Application", L"DisplayAlerts", CallKind::put, {i4(0)})}},
      {"writeBlock", nothing, [](ExcelDriver& d) { return d.writeBlock(1, two_by_three.textRows()); }, true,
       {on(L"Worksheet", L"Range", CallKind::get, {bstr(L"A1:C2")}),
        on(L"Range(A1:C2)", L"Value", CallKind::put, {textBlock(two_by_three.rows)})}},
      {"setNumberFormat text", nothing, [](ExcelDriver& d) { return d.setNumberFormat(L"B3:B40", L"@"); }, true,
       {on(L"Worksheet", L"Range", CallKind::get, {bstr(L"B3:B40")}),
        on(L"Range(B3:B40)", L"NumberFormatLocal", CallKind::put, {bstr(L"@")})}},
      {"setNumberFormat general", nothing, [](ExcelDriver& d) { return d.setNumberFormat(L"C3:C4", L""); }, true,
       {on(L"Worksheet", L"Range", CallKind::get, {bstr(L"C3:C4")}),
        on(L"Range(C3:C4)", L"NumberFormatLocal", CallKind::put, {bstr(L"")})}},
      {"autoFitColumns", nothing, [](ExcelDriver& d) { return d.autoFitColumns(L"A:K"); }, true,
       {on(L"Worksheet", L"Columns", CallKind::get, {bstr(L"A:K")}),
        on(L"Columns(A:K)", L"AutoFit", CallKind::method)}},
      {"merge", nothing, [](ExcelDriver& d) { return d.merge(L"C1:F1"); }, true,
       {on(L"Worksheet", L"Range", CallKind::get, {bstr(L"C1:F1")}), on(L"Range(C1:F1)", L"Merge", CallKind::method)}},
      {"drawGrid", nothing, [](ExcelDriver& d) { return d.drawGrid(L"A1:B5"); }, true, gridCalls(L"A1:B5")},
      {"saveAs", nothing, [](ExcelDriver& d) { return d.saveAs(L"C:\\記録\\site1.xls"); }, true,
       {on(L"Workbook", L"SaveAs", CallKind::method, {bstr(L"C:\\記録\\site1.xls"), i4(56)})}},
      {"applyPageSetup portrait", nothing,
       [](ExcelDriver& d) { return d.applyPageSetup(L"B5", true, 80, 10, 15, 20, 0); }, true,
       pageSetupCalls(13, 1, 80, {10, 15, 20, 0})},
      {"applyPageSetup landscape", nothing,
       [](ExcelDriver& d) { return d.applyPageSetup(L"A3", false, 400, 50, 1, 2, 3); }, true,
       pageSetupCalls(8, 2, 400, {50, 1, 2, 3})},
      {"printOut", nothing, [](ExcelDriver& d) { return d.printOut(); }, true,
       {on(L"Worksheet", L"PrintOut", CallKind::method)}},
  });
}

TEST(AutomationDriverOperations, FailuresCountOnlyWhereTheyDecideTheResult) {
  const auto fail = [](std::wstring member, std::size_t occurrence = 0) {
    return [member, occurrence](FakeAutomation& f) { f.failInvoke(member, occurrence); };
  };
  Calls grid = gridCalls(L"A1:B5");
  Calls grid_without_first_borders = grid;
  grid_without_first_borders.erase(grid_without_first_borders.begin() + 2, grid_without_first_borders.begin() + 5);
  Calls page = pageSetupCalls(9, 1, 100, {10, 10, 10, 10});
  const auto a4 = [](ExcelDriver& d) { return d.applyPageSetup(L"A4", true, 100, 10, 10, 10, 10); };
  const Calls range_only = {on(L"Worksheet", L"Range", CallKind::get, {bstr(L"A1:C2")})};

  runOperationCases({
      {"range of a block refused", fail(L"Range"),
       [](ExcelDriver& d) { return d.writeBlock(1, two_by_three.textRows()); }, false, range_only},
      {"block refused", fail(L"Value"), [](ExcelDriver& d) { return d.writeBlock(1, two_by_three.textRows()); },
       false, blockCalls(1, two_by_three.rows)},
      {"range of a format refused", fail(L"Range"), [](ExcelDriver& d) { return d.setNumberFormat(L"A1:C2", L"@"); },
       false, range_only},
      {"format refused", fail(L"NumberFormatLocal"),
       [](ExcelDriver& d) { return d.setNumberFormat(L"A1:C2", L"@"); }, false,
       {range_only[0], on(L"Range(A1:C2)", L"NumberFormatLocal", CallKind::put, {bstr(L"@")})}},
      {"columns refused", fail(L"Columns"), [](ExcelDriver& d) { return d.autoFitColumns(L"A:C"); }, false,
       {on(L"Worksheet", L"Columns", CallKind::get, {bstr(L"A:C")})}},
      {"autofit refused", fail(L"AutoFit"), [](ExcelDriver& d) { return d.autoFitColumns(L"A:C"); }, false,
       {on(L"Worksheet", L"Columns", CallKind::get, {bstr(L"A:C")}), on(L"Columns(A:C)", L"AutoFit", CallKind::method)}},
      {"merge refused", fail(L"Merge"), [](ExcelDriver& d) { return d.merge(L"A1:C2"); }, false,
       {range_only[0], on(L"Range(A1:C2)", L"Merge", CallKind::method)}},
      {"grid range refused", fail(L"Range"), [](ExcelDriver& d) { return d.drawGrid(L"A1:B5"); }, false,
       {grid[0]}},
      {"inner borders refused", fail(L"Borders"), [](ExcelDriver& d) { return d.drawGrid(L"A1:B5"); }, true,
       grid_without_first_borders},
      {"a border put refused", fail(L"Weight", 1), [](ExcelDriver& d) { return d.drawGrid(L"A1:B5"); }, true, grid},
      {"outline refused", fail(L"BorderAround"), [](ExcelDriver& d) { return d.drawGrid(L"A1:B5"); }, false, grid},
      {"save refused", fail(L"SaveAs"), [](ExcelDriver& d) { return d.saveAs(L"C:\\locked.xls"); }, false,
       {on(L"Workbook", L"SaveAs", CallKind::method, {bstr(L"C:\\locked.xls"), i4(56)})}},
      {"page setup refused", fail(L"PageSetup"), a4, false, {page[0]}},
      {"paper size rejected", fail(L"PaperSize"), a4, false, {page[0], page[1]}},
      {"orientation rejected", fail(L"Orientation"), a4, true, page},
      {"zoom rejected", fail(L"Zoom"), a4, true, page},
      {"a margin rejected", fail(L"TopMargin"), a4, true, page},
      {"print refused", fail(L"PrintOut"), [](ExcelDriver& d) { return d.printOut(); }, false,
       {on(L"Worksheet", L"PrintOut", CallKind::method)}},
  });
}

TEST(AutomationDriverOperations, BlocksGoToTheirRangeAndImpossibleBlocksAreRefusedUntouched) {
  struct Case {
    std::int32_t first_row;
    std::size_t rows;
    std::size_t columns;
    const wchar_t* range;  // null: refused
  };
  const std::vector<Case> cases = {
      {1, 2, 3, L"A1:C2"},      {3, 5, 33, L"A3:AG7"},       {2, 1, 41, L"A2:AO2"},
      {27, 1, 27, L"A27:AA27"}, {65535, 2, 2, L"A65535:B65536"}, {0, 2, 3, nullptr},
      {-4, 9, 3, nullptr},      {1, 0, 3, nullptr},          {1, 2, 0, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.first_row << " " << c.rows << "x" << c.columns);
    Rows rows(c.rows, std::vector<std::wstring>(c.columns));
    for (std::size_t r = 0; r < c.rows; ++r) {
      for (std::size_t col = 0; col < c.columns; ++col) rows[r][col] = cellAddress(col + 1, r + 1);
    }
    Block block(rows);
    const TextRows text_rows(block.views, c.columns);
    FakeAutomation fake;
    AutomationExcelDriver driver(fake.factory());
    ASSERT_TRUE(driver.open(L"融着記録"));
    const std::size_t opened = fake.calls().size();
    EXPECT_EQ(driver.writeBlock(c.first_row, text_rows), c.range != nullptr);
    if (c.range == nullptr) {
      EXPECT_EQ(fake.calls().size(), opened) << "a refused block must not touch the sheet";
      continue;
    }
    const std::wstring range = c.range;
    EXPECT_EQ(callsSince(fake, opened),
              (Calls{on(L"Worksheet", L"Range", CallKind::get, {bstr(range)}),
                     on(L"Range(" + range + L")", L"Value", CallKind::put, {textBlock(rows)})}));
  }
}

TEST(AutomationDriverOperations, PaperNamesMarginsAndOrientation) {
  struct Paper {
    const wchar_t* name;
    std::optional<LONG> code;
  };
  for (const Paper& p : std::vector<Paper>{{L"A3", 8}, {L"A4", 9}, {L"A5", 11}, {L"B4", 12}, {L"B5", 13},
                                           {L"", {}}, {L"b5", {}}, {L"Letter", {}}, {L"A4 ", {}}}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(p.name)));
    FakeAutomation fake;
    AutomationExcelDriver driver(fake.factory());
    ASSERT_TRUE(driver.open(L"融着記録"));
    const std::size_t opened = fake.calls().size();
    EXPECT_EQ(driver.applyPageSetup(p.name, false, 100, 10, 0, 1, 25), p.code.has_value());
    const Calls calls = callsSince(fake, opened);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0], on(L"Worksheet", L"PageSetup", CallKind::get));
    if (!p.code) {
      EXPECT_EQ(calls.size(), 1u) << "an unknown paper sets nothing";
    } else {
      ASSERT_EQ(calls.size(), 8u);
      EXPECT_EQ(calls[1].arguments, std::vector<AutomationArgument>{i4(*p.code)});
      EXPECT_EQ(calls[2].arguments, std::vector<AutomationArgument>{i4(2)});
      // Margins in points, as doubles: 10 mm is the double 28.346456692913384.
      EXPECT_EQ(calls[4].arguments, std::vector<AutomationArgument>{r8(28.346456692913384)});
      EXPECT_EQ(calls[5].arguments, std::vector<AutomationArgument>{r8(0.0)});
      EXPECT_EQ(calls[6].arguments, std::vector<AutomationArgument>{r8(2.8346456692913384)});
      EXPECT_EQ(calls[7].arguments, std::vector<AutomationArgument>{r8(25 * 2.8346456692913384)});
    }
    expectOnlyHeldObjectsReferenced(fake, true);
  }
}

TEST(AutomationDriverOperations, PrintCountsOnlyWithANonZeroResult) {
  struct Case {
    const char* name;
    VARTYPE type;
    LONG value;
    bool printed;
  };
  for (const Case& c : std::vector<Case>{{"true", VT_BOOL, VARIANT_TRUE, true},
                                         {"false", VT_BOOL, VARIANT_FALSE, false},
                                         {"one", VT_I4, 1, true},
                                         {"zero", VT_I4, 0, false},
                                         {"nothing", VT_EMPTY, 0, false}}) {
    SCOPED_TRACE(c.name);
    FakeAutomation fake;
    VARIANT result;
    VariantInit(&result);
    V_VT(&result) = c.type;
    if (c.type == VT_BOOL) V_BOOL(&result) = static_cast<VARIANT_BOOL>(c.value);
    if (c.type == VT_I4) V_I4(&result) = c.value;
    fake.setPrintOutResult(result);
    AutomationExcelDriver driver(fake.factory());
    ASSERT_TRUE(driver.open(L"融着記録"));
    EXPECT_EQ(driver.printOut(), c.printed);
    EXPECT_EQ(fake.calls().back(), on(L"Worksheet", L"PrintOut", CallKind::method));
  }
}

// The whole sheet of a small record list: the automation calls are exactly
// those of the operations the sheet builder asks for, in the same order.
TEST(AutomationDriverSheet, WritesTheSheetTheBuilderAsks) {
  std::vector<file::Efdx> records = test::labelledRecords<file::Efdx>(3);
  records[1].decoded_barcode.reset();
  PlainSelection selection{};
  for (std::size_t i = 0; i < selection.size(); ++i) {
    const auto key = catalogue::output_items[i].key;
    selection[i] = key == L"lot_number" || key == L"remarks" || key == L"coord" || key == L"joint_kind";
  }

  test::RecordingDriver recording;
  ASSERT_TRUE(writeEfdxSheet(selection, records, recording));
  recording.saveAs(L"C:\\data\\site1.xls");
  recording.applyPageSetup(L"B5", false, 90, 10, 12, 14, 16);
  recording.printOut();
  recording.close();

  FakeAutomation fake;
  {
    AutomationExcelDriver driver(fake.factory());
    ASSERT_TRUE(writeEfdxSheet(selection, records, driver));
    EXPECT_TRUE(driver.saveAs(L"C:\\data\\site1.xls"));
    EXPECT_TRUE(driver.applyPageSetup(L"B5", false, 90, 10, 12, 14, 16));
    EXPECT_TRUE(driver.printOut());
    driver.close();
  }
  const Calls expected = test::expectedFor(recording.calls());
  ASSERT_GT(recording.calls().size(), 8u);
  EXPECT_EQ(fake.calls(), expected);
  expectOnlyHeldObjectsReferenced(fake, false);
  expectComBalanced();
}

TEST(AutomationDriverLifetime, DestructionClosesAnOpenDriver) {
  FakeAutomation fake;
  {
    AutomationExcelDriver driver(fake.factory());
    ASSERT_TRUE(driver.open(L"融着記録"));
  }
  EXPECT_EQ(fake.calls().back(), on(L"Application", L"Quit", CallKind::method));
  expectOnlyHeldObjectsReferenced(fake, false);
  expectComBalanced();
}

// A thread already in the multithreaded apartment keeps its own COM
// initialisation: the driver works and does not take it away.
TEST(AutomationDriverLifetime, LeavesAnApartmentItDidNotEnter) {
  std::thread([] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    FakeAutomation fake;
    {
      AutomationExcelDriver driver(fake.factory());
      EXPECT_TRUE(driver.open(L"融着記録"));
      driver.close();
    }
    EXPECT_EQ(fake.calls().size(), openCalls(L"融着記録").size() + 1);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE) << "the thread's COM was uninitialised";
    CoUninitialize();
    CoUninitialize();
  }).join();
}

TEST(AutomationDriverDefault, WithoutARegisteredApplicationOpenFailsAndCloseIsHarmless) {
  if (excelApplicationRegistered()) GTEST_SKIP() << "a spreadsheet application is registered on this machine";
  IDispatch* application = nullptr;
  EXPECT_TRUE(FAILED(createExcelApplication(&application)));
  EXPECT_EQ(application, nullptr);
  auto driver = makeAutomationExcelDriver();
  EXPECT_FALSE(driver->open(L"融着記録"));
  driver->close();
  expectComBalanced();
}

}  // namespace
}  // namespace kj::sheet
