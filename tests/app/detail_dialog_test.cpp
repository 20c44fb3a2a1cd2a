// The record detail dialogs and their link with the list selection.

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "record/record_fields.h"
#include "app/detail_dialog.h"
#include "tests/app/app_fixture.h"

namespace kj::app {
namespace {

using test::AppTest;

// A record whose every shown member has a text of its own.
file::EfdxBattery distinctRecord() {
  file::EfdxBattery r;
  r.lot_number = L"lot";
  r.number = L"number";
  r.datetime = L"datetime";
  r.joint_barcode = L"barcode";
  r.joint_traceability_barcode = L"trace";
  r.exit_code = L"exit";
  r.temperature = L"temperature";
  r.resistance = L"resistance";
  r.output_voltage_min = L"ov_min";
  r.output_voltage_max = L"ov_max";
  r.output_current_min = L"oc_min";
  r.output_current_max = L"oc_max";
  r.input_voltage_min = L"iv_min";
  r.input_voltage_max = L"iv_max";
  r.output_seconds = L"seconds";
  r.remain_output_seconds = L"remain";
  r.actual_output_seconds = L"actual";
  r.energy = L"energy";
  r.latitude_text = L"lat";
  r.longitude_text = L"lon";
  r.order = L"order";
  r.worker = L"worker";
  r.version = L"version";
  r.maintenance_date = L"maintenance";
  r.lifecycle_counts = L"lcnt";
  r.remarks = L"remarks";
  auto barcode = std::make_shared<DecodedBarcode>(L"decoded digits");
  barcode->joint_kind = L"j_kind";
  barcode->joint_size = L"j_size";
  barcode->joint_manufacturer = L"j_maker";
  barcode->joint_management_id = L"j_id";
  barcode->joint_resistance = L"j_res";
  barcode->joint_output_voltage = L"j_volt";
  barcode->joint_output_seconds = L"j_sec";
  r.decoded_barcode = barcode;
  r.battery_type = L"b_type";
  r.battery_identifier = L"b_id";
  r.battery_cycle = L"b_cycle";
  r.battery_full_capacity = L"b_full";
  r.battery_capacity_before = L"b_cap_before";
  r.battery_capacity_after = L"b_cap_after";
  r.battery_temperature_before = L"b_temp_before";
  r.battery_temperature_after = L"b_temp_after";
  return r;
}

const std::map<int, std::wstring> plain_expected{
    {1035, L"lot"},        {1036, L"number"},   {1037, L"datetime"},   {1042, L"j_kind"},
    {1044, L"j_size"},     {1046, L"j_maker"},  {1048, L"j_id"},       {1043, L"j_res"},
    {1045, L"j_volt"},     {1047, L"j_sec"},    {1049, L"barcode"},    {1051, L"trace"},
    {1052, L"exit"},       {2, L"temperature"}, {1060, L"resistance"}, {1053, L"ov_min"},
    {1057, L"ov_max"},     {1061, L"oc_min"},   {1062, L"oc_max"},     {1054, L"iv_min"},
    {1058, L"iv_max"},     {1064, L"seconds"},  {1065, L"remain"},     {1056, L"energy"},
    {1059, L"lat"},        {1063, L"lon"},      {1066, L"order"},      {1071, L"worker"},
    {1072, L"version"},    {1073, L"maintenance"}, {1075, L"lcnt"},    {1077, L"remarks"},
};

const std::map<int, std::wstring> battery_only_expected{
    {1074, L"b_type"},       {1076, L"b_id"},        {1078, L"b_cycle"},       {1079, L"b_full"},
    {1080, L"b_cap_before"}, {1081, L"b_cap_after"}, {1082, L"b_temp_before"}, {1083, L"b_temp_after"},
};

std::map<int, std::wstring> asMap(const std::vector<std::pair<int, std::wstring>>& texts) {
  std::map<int, std::wstring> m;
  for (const auto& [id, text] : texts) EXPECT_TRUE(m.emplace(id, text).second) << "control " << id << " twice";
  return m;
}

TEST(DetailTexts, EveryControlShowsItsMember) {
  const file::EfdxBattery r = distinctRecord();
  EXPECT_EQ(asMap(detailTexts(static_cast<const file::Efdx&>(r))), plain_expected);
  auto battery_expected = plain_expected;
  battery_expected.insert(battery_only_expected.begin(), battery_only_expected.end());
  EXPECT_EQ(asMap(detailTexts(r)), battery_expected);
}

TEST(DetailTexts, InputModeTextReplacesTheBarcode) {
  file::EfdxBattery r = distinctRecord();
  r.input_mode_text = L"(手入力)";
  EXPECT_EQ(asMap(detailTexts(r)).at(IDC_DETAIL_JOINT_BARCODE), L"(手入力)");
}

TEST(DetailTexts, RecordWithoutDecodedBarcodeShowsPlaceholders) {
  file::EfdxBattery r = distinctRecord();
  r.decoded_barcode.reset();
  const auto texts = asMap(detailTexts(r));
  for (const int id : {1042, 1044, 1046, 1048, 1043, 1045, 1047}) EXPECT_EQ(texts.at(id), L"***") << id;
  EXPECT_EQ(texts.at(IDC_DETAIL_JOINT_BARCODE), L"barcode");
  EXPECT_EQ(texts.at(IDC_DETAIL_LOT_NUMBER), L"lot");
}

TEST(TypedIndexText, Readings) {
  using Kind = TypedIndex::Kind;
  struct Case {
    std::wstring text;
    Kind kind;
    long long value;
  };
  const Case cases[] = {
      {L"", Kind::empty, 0},
      {L"0", Kind::number, 0},
      {L"42", Kind::number, 42},
      {L"007", Kind::number, 7},
      {L"12abc", Kind::number, 12},
      {L"-3", Kind::number, -3},
      {L" 5", Kind::number, 5},
      {L"abc", Kind::not_number, 0},
      {L"-", Kind::not_number, 0},
      {L"99999999999999999999999", Kind::number, LLONG_MAX},
  };
  for (const Case& c : cases) {
    const TypedIndex typed = readTypedIndex(c.text);
    EXPECT_EQ(typed.kind, c.kind) << std::string(c.text.begin(), c.text.end());
    EXPECT_EQ(typed.value, c.value) << std::string(c.text.begin(), c.text.end());
  }
}

// --- the dialog in the main window ---

class DetailDialogFlow : public AppTest {
 protected:
  void SetUp() override {
    create();
    std::vector<kj::test::RecordFields> records;
    for (int i = 0; i < 5; ++i) records.push_back(kj::test::soundRecord(39, i));
    records[3][record_field::input_mode] = L"6";  // entered by hand
    path = file(L"five.efdx", kj::test::headerlessBlock(records));
    state->loadFile(path);
    ASSERT_TRUE(ui.window(DetailKind::plain).exists);
  }

  test::FakeDetailWindow& plain() { return ui.window(DetailKind::plain); }
  std::wstring numberOf(std::size_t i) const { return (*state->recordSet().plainRecords())[i].number; }
  std::wstring shownNumber() { return plain().texts.at(IDC_DETAIL_NUMBER); }
  int index() const { return state->recordSet().plain_detail.currentIndex(); }

  std::wstring path;
};

TEST_F(DetailDialogFlow, OpensAtTheFirstRecord) {
  EXPECT_EQ(plain().texts.at(IDC_DETAIL_INDEX), L"0");
  EXPECT_EQ(shownNumber(), numberOf(0));
  EXPECT_EQ(plain().range_low, 0);
  EXPECT_EQ(plain().range_high, 5);
  EXPECT_EQ(index(), 0);
  EXPECT_EQ(ui.selection_cleared, 0);
}

TEST_F(DetailDialogFlow, HandEnteredRecordShowsItsInputMode) {
  state->onListItemChanged(3);
  EXPECT_EQ(plain().texts.at(IDC_DETAIL_JOINT_BARCODE), L"(手入力)");
  state->onListItemChanged(2);
  EXPECT_EQ(plain().texts.at(IDC_DETAIL_JOINT_BARCODE), (*state->recordSet().plainRecords())[2].joint_barcode);
}

TEST_F(DetailDialogFlow, SelectionShowsTheRecordWithoutClearingTheSelection) {
  state->onListItemChanged(3);
  EXPECT_EQ(index(), 3);
  EXPECT_EQ(plain().texts.at(IDC_DETAIL_INDEX), L"3");
  EXPECT_EQ(shownNumber(), numberOf(3));
  EXPECT_EQ(plain().created, 1);
  EXPECT_EQ(ui.selection_cleared, 0);
}

TEST_F(DetailDialogFlow, IndexOutsideTheRecordsIsIgnored) {
  state->onListItemChanged(2);
  for (const std::intptr_t bad : {std::intptr_t{-1}, std::intptr_t{5}, std::intptr_t{1} << 40}) {
    state->onDetailShowRecord(DetailKind::plain, bad);
    EXPECT_EQ(index(), 2);
    EXPECT_EQ(plain().texts.at(IDC_DETAIL_INDEX), L"2");
    EXPECT_EQ(shownNumber(), numberOf(2));
  }
  state->onListItemChanged(-1);
  EXPECT_EQ(index(), 2);
}

TEST_F(DetailDialogFlow, ClosedDialogReopensAtTheSelectedRecord) {
  state->onDetailClose(DetailKind::plain);
  EXPECT_FALSE(plain().exists);
  EXPECT_FALSE(state->recordSet().plain_detail.records());
  EXPECT_TRUE(state->recordSet().plainRecords());  // the record set keeps its share
  state->onListItemChanged(4);
  EXPECT_TRUE(plain().exists);
  EXPECT_EQ(plain().created, 2);
  EXPECT_EQ(plain().title, path);
  EXPECT_EQ(plain().texts.at(IDC_DETAIL_INDEX), L"4");
  EXPECT_EQ(shownNumber(), numberOf(4));
  // A second close is harmless.
  state->onDetailClose(DetailKind::plain);
  state->onDetailClose(DetailKind::plain);
  EXPECT_EQ(plain().destroyed, 2);
}

TEST_F(DetailDialogFlow, SteppingStaysWithinTheRecords) {
  struct Case {
    int from;
    int delta;
    int to;
  };
  const Case cases[] = {{4, 1, 4}, {0, -1, 0}, {2, 1, 3}, {2, -1, 1}, {2, 5, 3}, {3, -4, 2}, {1, 0, 1}};
  for (const Case& c : cases) {
    state->onDetailShowRecord(DetailKind::plain, c.from);
    const int cleared = ui.selection_cleared;
    const std::size_t writes = plain().index_writes.size();
    plain().texts.erase(IDC_DETAIL_NUMBER);
    state->onDetailIndexStep(DetailKind::plain, c.delta);
    EXPECT_EQ(index(), c.to) << c.from << " by " << c.delta;
    EXPECT_EQ(plain().texts.at(IDC_DETAIL_INDEX), std::to_wstring(c.to));
    EXPECT_EQ(plain().index_writes.size(), writes + 1);  // written also when unchanged
    EXPECT_EQ(shownNumber(), numberOf(static_cast<std::size_t>(c.to)));
    EXPECT_EQ(ui.selection_cleared, cleared + 1);
  }
}

TEST_F(DetailDialogFlow, SteppingIsNotPulledBackByTheClearedSelection) {
  state->onListItemChanged(3);
  // Clearing the selection reports row 3 as changed, as the list does.
  ui.items_changed_on_clear = {3};
  state->onDetailIndexStep(DetailKind::plain, 1);
  EXPECT_EQ(ui.selection_cleared, 1);
  EXPECT_EQ(index(), 4);
  EXPECT_EQ(shownNumber(), numberOf(4));
}

TEST_F(DetailDialogFlow, TypedIndexIsClampedIntoTheRecords) {
  struct Case {
    std::wstring typed;
    int index;
    std::wstring field;  // the field afterwards
  };
  const Case cases[] = {
      {L"3", 3, L"3"},         {L"99", 4, L"4"},     {L"", 0, L"0"},
      {L"-2", 0, L"0"},        {L"12abc", 4, L"4"},  {L"2x", 2, L"2x"},
      {L"abc", 4, L"4"},       {L"4", 4, L"4"},      {L"99999999999999999999", 4, L"4"},
      {L"0", 0, L"0"},
  };
  ui.focusIndex(DetailKind::plain, true);
  for (const Case& c : cases) {
    const std::string name(c.typed.begin(), c.typed.end());
    state->onDetailShowRecord(DetailKind::plain, 1);
    const int cleared = ui.selection_cleared;
    ui.typeIndex(DetailKind::plain, c.typed);
    EXPECT_EQ(index(), c.index) << name;
    EXPECT_EQ(plain().texts.at(IDC_DETAIL_INDEX), c.field) << name;
    EXPECT_EQ(shownNumber(), numberOf(static_cast<std::size_t>(c.index))) << name;
    EXPECT_EQ(ui.selection_cleared, cleared + 1) << name;
  }
}

TEST_F(DetailDialogFlow, OnlyTypingWithFocusIsRead) {
  state->onListItemChanged(1);
  // No focus: not typing.
  ui.typeIndex(DetailKind::plain, L"3");
  EXPECT_EQ(index(), 1);
  ui.focusIndex(DetailKind::plain, true);
  EXPECT_TRUE(state->recordSet().plain_detail.typing());
  ui.typeIndex(DetailKind::plain, L"3");
  EXPECT_EQ(index(), 3);
  // What the dialog writes itself while the field has the focus is not read
  // as typing: no selection clearing for a selection made in the list.
  const int cleared = ui.selection_cleared;
  state->onListItemChanged(2);
  EXPECT_EQ(index(), 2);
  EXPECT_EQ(ui.selection_cleared, cleared);
  ui.focusIndex(DetailKind::plain, false);
  EXPECT_FALSE(state->recordSet().plain_detail.typing());
  ui.typeIndex(DetailKind::plain, L"4");
  EXPECT_EQ(index(), 2);
}

TEST_F(DetailDialogFlow, ClearSelectionCommandClearsTheList) {
  state->onCommand(CMD_CLEAR_SELECTION, 3);
  EXPECT_EQ(ui.selection_cleared, 1);
}

TEST_F(DetailDialogFlow, NewDisplayReplacesTheDialog) {
  const auto first = state->recordSet().plainRecords();
  state->loadFile(plainFile(L"two.efdx", 2));
  EXPECT_EQ(plain().destroyed, 1);
  EXPECT_EQ(plain().created, 2);
  EXPECT_EQ(state->recordSet().plain_detail.records(), state->recordSet().plainRecords());
  EXPECT_NE(state->recordSet().plain_detail.records(), first);
  EXPECT_EQ(plain().range_high, 2);
  // The old vector went with its last holders.
  EXPECT_EQ(first.use_count(), 1);
}

// --- creation of the dialog ---

class DetailCreation : public AppTest {
 protected:
  void SetUp() override { create(); }
};

TEST_F(DetailCreation, NestedSelectionDuringCreationIsRefused) {
  int nested = 0;
  ui.during_detail_create = [&](DetailKind) {
    ++nested;
    state->onListItemChanged(1);
  };
  state->loadFile(plainFile(L"nested.efdx", 3));
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(ui.window(DetailKind::plain).created, 1);
  EXPECT_EQ(state->recordSet().plain_detail.currentIndex(), 0);
  EXPECT_EQ(ui.window(DetailKind::plain).texts.at(IDC_DETAIL_INDEX), L"0");
}

TEST_F(DetailCreation, FocusTakenDuringCreationIsKept) {
  // The new dialog puts the focus into the index field; the first index the
  // dialog writes is not typing.
  ui.during_detail_create = [&](DetailKind kind) { ui.focusIndex(kind, true); };
  state->loadFile(plainFile(L"focus.efdx", 3));
  EXPECT_EQ(ui.selection_cleared, 0);
  EXPECT_TRUE(state->recordSet().plain_detail.typing());
  ui.typeIndex(DetailKind::plain, L"2");
  EXPECT_EQ(state->recordSet().plain_detail.currentIndex(), 2);
}

TEST_F(DetailCreation, FailedCreationLeavesTheListUsable) {
  ui.fail_detail_create = true;
  state->loadFile(plainFile(L"nowindow.efdx", 3));
  EXPECT_EQ(ui.rows().size(), 3U);
  EXPECT_FALSE(state->recordSet().plain_detail.isOpen());
  EXPECT_FALSE(state->recordSet().plain_detail.records());
  state->onListItemChanged(1);
  ui.fail_detail_create = false;
  state->onListItemChanged(2);
  EXPECT_EQ(state->recordSet().plain_detail.currentIndex(), 2);
}

TEST_F(DetailCreation, EmptyRecordSetDialogSurvivesUse) {
  state->loadFile(file(L"empty.efdx", L"0,"));
  auto& w = ui.window(DetailKind::plain);
  ASSERT_TRUE(w.exists);
  EXPECT_EQ(w.range_high, 0);
  EXPECT_EQ(w.texts.count(IDC_DETAIL_NUMBER), 0U);  // nothing to fill
  ui.focusIndex(DetailKind::plain, true);
  ui.typeIndex(DetailKind::plain, L"5");
  EXPECT_EQ(w.texts.at(IDC_DETAIL_INDEX), L"0");
  EXPECT_EQ(state->recordSet().plain_detail.currentIndex(), 0);
  state->onDetailIndexStep(DetailKind::plain, 1);
  state->onDetailIndexStep(DetailKind::plain, -1);
  EXPECT_EQ(state->recordSet().plain_detail.currentIndex(), 0);
  EXPECT_EQ(w.texts.count(IDC_DETAIL_NUMBER), 0U);
}

TEST_F(DetailCreation, BatteryDialogStepsThroughBatteryRecords) {
  state->loadFile(batteryFile(L"battery.efdx", 3));
  auto& w = ui.window(DetailKind::battery);
  ASSERT_TRUE(w.exists);
  const auto& records = *state->recordSet().batteryRecords();
  state->onDetailIndexStep(DetailKind::battery, 1);
  EXPECT_EQ(w.texts.at(IDC_DETAIL_INDEX), L"1");
  EXPECT_EQ(w.texts.at(IDC_DETAIL_NUMBER), records[1].number);
  EXPECT_EQ(w.texts.at(IDC_DETAIL_BATTERY_TEMPERATURE_AFTER), records[1].battery_temperature_after);
  EXPECT_EQ(ui.selection_cleared, 1);
  // Events for the dialog that is not open do nothing.
  state->onDetailIndexStep(DetailKind::plain, 1);
  state->onDetailShowRecord(DetailKind::plain, 0);
  EXPECT_FALSE(ui.window(DetailKind::plain).exists);
  EXPECT_EQ(ui.selection_cleared, 1);
}

}  // namespace
}  // namespace kj::app
