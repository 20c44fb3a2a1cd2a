#include "record/field_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "record/code_tables.h"

namespace kj::catalogue {
namespace {

// --- The member tables -------------------------------------------------------

// The address of the member an entry reaches in `r`, whatever its kind.
template <class Owner>
const void* memberAddress(const Field<Owner>& f, const Owner& r) {
  switch (f.kind) {
    case FieldKind::text: return f.text ? &(r.*f.text) : nullptr;
    case FieldKind::flag: return f.flag ? &(r.*f.flag) : nullptr;
    case FieldKind::integer: return f.integer ? &(r.*f.integer) : nullptr;
    case FieldKind::real: return f.real ? &(r.*f.real) : nullptr;
    case FieldKind::barcode: return f.barcode ? &(r.*f.barcode) : nullptr;
  }
  return nullptr;
}

// Exactly the accessor of the entry's kind is set.
template <class Owner>
int accessorsSet(const Field<Owner>& f) {
  return (f.text != nullptr) + (f.flag != nullptr) + (f.integer != nullptr) + (f.real != nullptr) +
         (f.barcode != nullptr);
}

bool isKeyText(std::wstring_view key) {
  return !key.empty() && std::all_of(key.begin(), key.end(), [](wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'_';
  });
}

// Every entry reaches a distinct member through the accessor of its kind, in
// the order the members are declared, and has a key of lower-case letters,
// digits and underscores, unique in its table.
template <class Owner, std::size_t N>
void expectDeclarationOrder(const std::array<Field<Owner>, N>& table, const Owner& sample,
                            const void* first_after_base, const char* name) {
  SCOPED_TRACE(name);
  std::set<std::wstring_view> keys;
  const char* previous = static_cast<const char*>(first_after_base);
  for (const auto& f : table) {
    SCOPED_TRACE(std::string(f.key.begin(), f.key.end()));
    EXPECT_TRUE(isKeyText(f.key));
    EXPECT_TRUE(keys.insert(f.key).second) << "duplicate key";
    EXPECT_EQ(accessorsSet(f), 1);
    const auto* address = static_cast<const char*>(memberAddress(f, sample));
    ASSERT_NE(address, nullptr);
    if (previous != nullptr) {
      EXPECT_GT(address, previous) << "out of declaration order";
    }
    previous = address;
  }
}

TEST(FieldCatalogue, ListsEveryMemberOnceInDeclarationOrder) {
  const file::EfdxBattery battery;
  const DecodedBarcode barcode(L"");
  expectDeclarationOrder(record_members, static_cast<const file::Efdx&>(battery), nullptr, "record");
  // The battery members follow the last plain member.
  expectDeclarationOrder(battery_members, battery, &battery.remarks, "battery");
  expectDeclarationOrder(joint_members, barcode, nullptr, "joint");
  // The tables end with the last member of their type.
  EXPECT_EQ(record_members.back().text, &file::Efdx::remarks);
  EXPECT_EQ(battery_members.back().integer, &file::EfdxBattery::battery_checksum_computed);
  EXPECT_EQ(joint_members.back().text, &DecodedBarcode::joint_barcode);
}

TEST(FieldCatalogue, KindsOfTheNonTextMembers) {
  struct Case {
    std::wstring_view key;
    FieldKind kind;
  };
  const std::vector<Case> cases = {
      {L"has_coord", FieldKind::flag},         {L"latitude", FieldKind::real},
      {L"longitude", FieldKind::real},         {L"barcode_present", FieldKind::flag},
      {L"input_mode", FieldKind::integer},     {L"barcode_kind", FieldKind::integer},
      {L"usage", FieldKind::integer},          {L"end_code", FieldKind::integer},
      {L"re_mark", FieldKind::flag},           {L"traceability_length", FieldKind::integer},
      {L"checksum_error", FieldKind::flag},    {L"decoded_barcode", FieldKind::barcode},
      {L"battery_type_code", FieldKind::integer}, {L"battery_checksum_error", FieldKind::flag},
      {L"battery_checksum", FieldKind::integer},  {L"battery_checksum_computed", FieldKind::integer},
  };
  std::set<std::wstring_view> non_text;
  for (const Case& c : cases) non_text.insert(c.key);
  const auto check = [&](std::wstring_view key, FieldKind kind) {
    SCOPED_TRACE(std::string(key.begin(), key.end()));
    const auto it = std::find_if(cases.begin(), cases.end(), [&](const Case& c) { return c.key == key; });
    EXPECT_EQ(kind, it == cases.end() ? FieldKind::text : it->kind);
    non_text.erase(key);
  };
  for (const auto& f : record_members) check(f.key, f.kind);
  for (const auto& f : battery_members) check(f.key, f.kind);
  for (const auto& f : joint_members) EXPECT_EQ(f.kind, FieldKind::text);
  EXPECT_TRUE(non_text.empty()) << "a listed member is missing from the catalogue";
}

// --- Text access --------------------------------------------------------------

TEST(FieldCatalogue, TextFieldsReadTheMemberItselfWithoutCopying) {
  file::EfdxBattery r;
  r.lot_number = L"0312345";
  r.battery_type = L"BQTX318";
  auto barcode = std::make_shared<DecodedBarcode>(L"3102");
  barcode->joint_kind = L"ソケット";
  r.decoded_barcode = barcode;

  const TextField lot = textField(L"lot_number");
  const TextField type = textField(L"battery_type");
  const TextField kind = textField(L"joint_kind", true);
  EXPECT_EQ(&lot.of(r), &r.lot_number);
  EXPECT_EQ(&lot.of(static_cast<const file::Efdx&>(r)), &r.lot_number);
  EXPECT_EQ(&type.of(r), &r.battery_type);
  EXPECT_EQ(&kind.of(r), &barcode->joint_kind);
  EXPECT_EQ(kind.of(r), L"ソケット");
  // The record's own barcode text and the decoded one are different fields.
  EXPECT_EQ(&textField(L"joint_barcode").of(r), &r.joint_barcode);
  EXPECT_EQ(&textField(L"joint_barcode", true).of(r), &barcode->joint_barcode);
}

TEST(FieldCatalogue, JointTextsOfARecordWithoutDecodedBarcodeAreNoData) {
  const file::Efdx r;  // decoding gave up before the barcode
  for (const auto& f : joint_members) {
    SCOPED_TRACE(std::string(f.key.begin(), f.key.end()));
    EXPECT_EQ(textField(f.key, true).of(r), no_data_text);
  }
  // A plain record has no battery texts.
  EXPECT_EQ(textField(L"battery_cycle").of(r), L"");
}

TEST(FieldCatalogue, UnknownTextFieldsAreRefused) {
  EXPECT_THROW(textField(L"no_such_member"), std::invalid_argument);
  EXPECT_THROW(textField(L"has_coord"), std::invalid_argument);  // a flag, not a text
  EXPECT_THROW(textField(L"lot_number", true), std::invalid_argument);
}

// --- Output items and their sheet columns ------------------------------------

// The output items with their check box texts, in their fixed order.
TEST(OutputItems, HaveTheirKeysAndCheckBoxTextsInOrder) {
  const std::vector<std::pair<std::wstring_view, std::wstring_view>> expected = {
      {L"lot_number", L"機体番号(Lot No.)"},
      {L"number", L"通し番号(No.)"},
      {L"datetime", L"日付/時刻"},
      {L"joint_kind", L"品種"},
      {L"joint_size", L"サイズ"},
      {L"joint_manufacturer", L"製造者"},
      {L"joint_management_id", L"管理番号"},
      {L"joint_resistance", L"標準抵抗"},
      {L"joint_output_voltage", L"標準出力電圧"},
      {L"joint_output_seconds", L"標準通電秒"},
      {L"joint_barcode", L"バーコードデータ"},
      {L"joint_traceability_barcode", L"トレサビリティーバーコードデータ"},
      {L"exit_code", L"終了状態(終了コード)"},
      {L"temperature", L"環境温度"},
      {L"resistance", L"実抵抗"},
      {L"output_voltage_min", L"出力電圧最低"},
      {L"output_voltage_max", L"出力電圧最高"},
      {L"output_current_min", L"出力電流最低"},
      {L"output_current_max", L"出力電流最高"},
      {L"input_voltage_min", L"入力電圧最低"},
      {L"input_voltage_max", L"入力電圧最高"},
      {L"output_seconds", L"目標通電秒"},
      {L"actual_output_seconds", L"実通電秒"},
      {L"remain_output_seconds", L"残通電秒"},
      {L"energy", L"融着エネルギー"},
      {L"coord", L"緯度経度"},
      {L"order", L"オーダー"},
      {L"worker", L"施工者"},
      {L"version", L"バージョン番号"},
      {L"maintenance_date", L"点検日"},
      {L"lifecycle_counts", L"L_CNT"},
      {L"remarks", L"備考"},
      {L"battery_type", L"電池タイプ"},
      {L"battery_identifier", L"電池識別情報"},
      {L"battery_cycle", L"電池サイクル数"},
      {L"battery_full_capacity", L"電池フル容量"},
      {L"battery_capacity_before", L"通電前電池残量"},
      {L"battery_capacity_after", L"通電後電池残量"},
      {L"battery_temperature_before", L"通電前電池温度"},
      {L"battery_temperature_after", L"通電後電池温度"},
  };
  ASSERT_EQ(output_items.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(::testing::Message() << "item " << i + 1);
    EXPECT_EQ(output_items[i].number, static_cast<int>(i + 1));
    EXPECT_EQ(output_items[i].key, expected[i].first);
    EXPECT_EQ(output_items[i].label, expected[i].second);
  }
  // Every item but the position is one record field under its own key.
  for (const OutputItem& item : output_items) {
    if (item.key == L"coord") continue;
    EXPECT_EQ(item.column_count, 1u);
    EXPECT_EQ(item.columns[0].key, item.key);
  }
}

struct Column {
  std::wstring_view key;  // of the record field in the cell
  std::wstring_view group;
  std::wstring_view header;
  std::wstring_view format;
};

// The columns of a sheet with every item selected, in order.
std::vector<Column> sheetColumns(std::size_t items, bool battery_sheet) {
  std::vector<Column> columns;
  for (std::size_t i = 0; i < items; ++i) {
    const OutputItem& item = output_items[i];
    for (std::size_t c = 0; c < item.column_count; ++c) {
      const TextField& f = item.columns[c];
      columns.push_back({f.key, sheetGroupText(f.texts.group), f.texts.header(battery_sheet), f.texts.format});
    }
  }
  return columns;
}

bool operator==(const Column& a, const Column& b) {
  return a.key == b.key && a.group == b.group && a.header == b.header && a.format == b.format;
}

void PrintTo(const Column& c, std::ostream* os) {
  const auto narrow = [](std::wstring_view w) {
    std::string s;
    for (wchar_t ch : w) s += ch < 0x80 ? static_cast<char>(ch) : '?';
    return s;
  };
  *os << narrow(c.key) << " / " << narrow(c.header) << " / " << narrow(c.format);
}

const std::vector<Column>& plainSheet() {
  static const std::vector<Column> columns = {
      {L"lot_number", L"", L"機体番号", L"@"},
      {L"number", L"", L"No.", L""},
      {L"datetime", L"", L"日付/時刻", L""},
      {L"joint_kind", L"継手情報", L"品種", L""},
      {L"joint_size", L"継手情報", L"サイズ", L"@"},
      {L"joint_manufacturer", L"継手情報", L"製造者", L""},
      {L"joint_management_id", L"継手情報", L"管理番号", L"@"},
      {L"joint_resistance", L"継手情報", L"標準\n抵抗", L""},
      {L"joint_output_voltage", L"継手情報", L"標準\n出力電圧", L""},
      {L"joint_output_seconds", L"継手情報", L"標準\n通電秒", L""},
      {L"joint_barcode", L"継手情報", L"バーコードデータ", L"@"},
      {L"joint_traceability_barcode", L"継手情報", L"トレーサビリティーバーコードデータ", L"@"},
      {L"exit_code", L"融着記録", L"終了状態(終了コード)", L""},
      {L"temperature", L"融着記録", L"環境温度", L""},
      {L"resistance", L"融着記録", L"実抵抗", L""},
      {L"output_voltage_min", L"融着記録", L"出力電圧\n最低", L""},
      {L"output_voltage_max", L"融着記録", L"出力電圧\n最高", L""},
      {L"output_current_min", L"融着記録", L"出力電流\n最低", L""},
      {L"output_current_max", L"融着記録", L"出力電流\n最高", L""},
      {L"input_voltage_min", L"融着記録", L"入力電圧\n最低", L""},
      {L"input_voltage_max", L"融着記録", L"入力電圧\n最高", L""},
      {L"output_seconds", L"融着記録", L"目標\n通電秒", L""},
      {L"actual_output_seconds", L"融着記録", L"実\n通電秒", L""},
      {L"remain_output_seconds", L"融着記録", L"残り\n通電秒", L""},
      {L"energy", L"融着記録", L"融着エネルギー", L""},
      {L"latitude_text", L"融着記録", L"緯度", L""},
      {L"longitude_text", L"融着記録", L"経度", L""},
      {L"order", L"管理情報", L"オーダーNo.", L"@"},
      {L"worker", L"管理情報", L"施工者ID", L"@"},
      {L"version", L"管理情報", L"Ver.", L"@"},
      {L"maintenance_date", L"管理情報", L"点検日", L""},
      {L"lifecycle_counts", L"管理情報", L"生涯融着回数", L""},
      {L"remarks", L"管理情報", L"備考", L""},
  };
  return columns;
}

TEST(SheetColumns, OfAPlainSheetWithEveryItem) {
  const std::vector<Column> columns = sheetColumns(plain_output_item_count, false);
  EXPECT_EQ(columns.size(), 33u);
  EXPECT_EQ(columns, plainSheet());
}

TEST(SheetColumns, OfABatterySheetChangeThreeHeadersAndAddTheBatteryGroup) {
  std::vector<Column> expected = plainSheet();
  const auto set_header = [&](std::wstring_view key, std::wstring_view header) {
    for (Column& c : expected) {
      if (c.key == key) c.header = header;
    }
  };
  set_header(L"input_voltage_min", L"電池電圧\n最低");
  set_header(L"input_voltage_max", L"電池電圧\n最高");
  set_header(L"lifecycle_counts", L"L_cnt");
  for (std::wstring_view key_and_header : {L"battery_type:電池タイプ", L"battery_identifier:電池識別情報",
                                           L"battery_cycle:電池サイクル数", L"battery_full_capacity:電池フル容量",
                                           L"battery_capacity_before:通電前電池残量",
                                           L"battery_capacity_after:通電後電池残量",
                                           L"battery_temperature_before:通電前電池温度",
                                           L"battery_temperature_after:通電後電池温度"}) {
    const std::size_t colon = key_and_header.find(L':');
    expected.push_back({key_and_header.substr(0, colon), L"電池情報", key_and_header.substr(colon + 1), L""});
  }
  const std::vector<Column> columns = sheetColumns(battery_output_item_count, true);
  EXPECT_EQ(columns.size(), 41u);
  EXPECT_EQ(columns, expected);
}

TEST(SheetColumns, FallIntoTheirGroupsInGroupOrder) {
  // The merged group headers need the columns of a group side by side, in
  // the order none, joint, fusion, management, battery.
  SheetGroup previous = SheetGroup::none;
  std::array<int, sheet_group_count> counts{};
  for (const OutputItem& item : output_items) {
    for (std::size_t c = 0; c < item.column_count; ++c) {
      const SheetGroup group = item.columns[c].texts.group;
      EXPECT_GE(group, previous) << "item " << item.number;
      previous = group;
      ++counts[static_cast<std::size_t>(group)];
    }
  }
  EXPECT_EQ(counts, (std::array<int, sheet_group_count>{3, 9, 15, 6, 8}));
}

// --- Labels ---------------------------------------------------------------------

TEST(FieldCatalogue, EveryShownFieldHasItsTexts) {
  // A field on the sheet has a check box text (the position through its item);
  // a field with a detail label is on the sheet as well, and only the members
  // no view shows have no texts at all.
  const std::set<std::wstring_view> on_sheet_only = {L"actual_output_seconds"};
  const std::set<std::wstring_view> position = {L"latitude_text", L"longitude_text"};
  const auto check = [&](std::wstring_view key, const FieldTexts& t) {
    SCOPED_TRACE(std::string(key.begin(), key.end()));
    EXPECT_EQ(t.onSheet(), !t.detail_label.empty() || on_sheet_only.count(key) > 0);
    if (t.onSheet()) {
      EXPECT_EQ(t.output_label.empty(), position.count(key) > 0);
    } else {
      EXPECT_EQ(t.group, SheetGroup::none);
    }
    EXPECT_TRUE(t.format.empty() || t.format == L"@");
  };
  for (const auto& f : record_members) check(f.key, f.texts);
  for (const auto& f : battery_members) check(f.key, f.texts);
  for (const auto& f : joint_members) check(f.key, f.texts);
}

TEST(OutputItems, CheckBoxTextsAreUnique) {
  std::set<std::wstring_view> labels;
  for (const OutputItem& item : output_items) EXPECT_TRUE(labels.insert(item.label).second) << item.number;
}

}  // namespace
}  // namespace kj::catalogue
