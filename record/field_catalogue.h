#pragma once
// The record field catalogue: every member of file::Efdx, file::EfdxBattery
// and DecodedBarcode once, in declaration order, with its key (the member name,
// which is also the JSON member name and the registry value name of its
// output item), its kind, a typed accessor and the texts the program shows for
// it: the detail dialog label, the output item check box text and the sheet
// column (group, header, number format). The output items of the Excel
// conversion are a list over it.
//
// Everything here is constant data; a lookup allocates nothing.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "record/barcode.h"
#include "record/record_types.h"

namespace kj::catalogue {

enum class FieldKind : std::uint8_t {
  text,     // std::wstring
  flag,     // bool
  integer,  // std::int32_t
  real,     // double
  barcode,  // std::shared_ptr<const DecodedBarcode>, written as an object of the joint texts
};

// The group header of a sheet column, in the order the groups appear.
enum class SheetGroup : std::uint8_t { none, joint, fusion, management, battery };
inline constexpr std::size_t sheet_group_count = 5;

constexpr std::wstring_view sheetGroupText(SheetGroup group) {
  switch (group) {
    case SheetGroup::joint: return L"継手情報";
    case SheetGroup::fusion: return L"融着記録";
    case SheetGroup::management: return L"管理情報";
    case SheetGroup::battery: return L"電池情報";
    case SheetGroup::none: break;
  }
  return L"";
}

// Where the program shows a field; an empty text means it does not show it
// there. In sheet headers "\n" is a line break inside the cell.
struct FieldTexts {
  std::wstring_view detail_label;    // label in the record detail dialog
  std::wstring_view output_label;    // check box of the output item dialog
  SheetGroup group = SheetGroup::none;
  std::wstring_view sheet_header;    // sheet column header
  std::wstring_view battery_header;  // header on battery record sheets, when it differs
  std::wstring_view format;          // number format of the sheet column: "@" (text) or empty

  constexpr bool onSheet() const { return !sheet_header.empty(); }
  constexpr std::wstring_view header(bool battery_sheet) const {
    return battery_sheet && !battery_header.empty() ? battery_header : sheet_header;
  }
};

// One member of Owner (file::Efdx, file::EfdxBattery or DecodedBarcode). The
// accessor of its kind is set, the others are null.
template <class Owner>
struct Field {
  std::wstring_view key;
  FieldKind kind = FieldKind::text;
  std::wstring Owner::*text = nullptr;
  bool Owner::*flag = nullptr;
  std::int32_t Owner::*integer = nullptr;
  double Owner::*real = nullptr;
  std::shared_ptr<const DecodedBarcode> Owner::*barcode = nullptr;
  FieldTexts texts{};
};

namespace build {
template <class Owner>
constexpr Field<Owner> text(std::wstring_view key, std::wstring Owner::*m, FieldTexts t = {}) {
  Field<Owner> f{key, FieldKind::text};
  f.text = m;
  f.texts = t;
  return f;
}
template <class Owner>
constexpr Field<Owner> flag(std::wstring_view key, bool Owner::*m) {
  Field<Owner> f{key, FieldKind::flag};
  f.flag = m;
  return f;
}
template <class Owner>
constexpr Field<Owner> integer(std::wstring_view key, std::int32_t Owner::*m) {
  Field<Owner> f{key, FieldKind::integer};
  f.integer = m;
  return f;
}
template <class Owner>
constexpr Field<Owner> real(std::wstring_view key, double Owner::*m) {
  Field<Owner> f{key, FieldKind::real};
  f.real = m;
  return f;
}
constexpr Field<file::Efdx> barcode(std::wstring_view key, std::shared_ptr<const DecodedBarcode> file::Efdx::*m) {
  Field<file::Efdx> f{key, FieldKind::barcode};
  f.barcode = m;
  return f;
}
using G = SheetGroup;
}  // namespace build

// The members of file::Efdx in declaration order.
inline constexpr std::array<Field<file::Efdx>, 42> record_members = [] {
  using namespace build;
  using R = file::Efdx;
  return std::array<Field<R>, 42>{{
      text(L"number", &R::number, {L"No.", L"通し番号(No.)", G::none, L"No.", L"", L""}),
      text(L"order", &R::order, {L"オーダー", L"オーダー", G::management, L"オーダーNo.", L"", L"@"}),
      text(L"aux_text", &R::aux_text),
      text(L"worker", &R::worker, {L"施工者", L"施工者", G::management, L"施工者ID", L"", L"@"}),
      text(L"datetime", &R::datetime, {L"日付/時刻", L"日付/時刻", G::none, L"日付/時刻", L"", L""}),
      text(L"lifecycle_counts", &R::lifecycle_counts,
           {L"L_CNT", L"L_CNT", G::management, L"生涯融着回数", L"L_cnt", L""}),
      flag(L"has_coord", &R::has_coord),
      // The position is one output item, "coord", of two columns.
      text(L"latitude_text", &R::latitude_text, {L"緯度", L"", G::fusion, L"緯度", L"", L""}),
      real(L"latitude", &R::latitude),
      text(L"longitude_text", &R::longitude_text, {L"経度", L"", G::fusion, L"経度", L"", L""}),
      real(L"longitude", &R::longitude),
      flag(L"barcode_present", &R::barcode_present),
      integer(L"input_mode", &R::input_mode),
      text(L"input_mode_text", &R::input_mode_text),
      text(L"joint_barcode", &R::joint_barcode,
           {L"バーコードデータ", L"バーコードデータ", G::joint, L"バーコードデータ", L"", L"@"}),
      integer(L"barcode_kind", &R::barcode_kind),
      integer(L"usage", &R::usage),
      text(L"resistance", &R::resistance, {L"実抵抗", L"実抵抗", G::fusion, L"実抵抗", L"", L""}),
      text(L"temperature", &R::temperature, {L"環境温度", L"環境温度", G::fusion, L"環境温度", L"", L""}),
      text(L"output_voltage_max", &R::output_voltage_max,
           {L"出力電圧最高", L"出力電圧最高", G::fusion, L"出力電圧\n最高", L"", L""}),
      text(L"output_voltage_min", &R::output_voltage_min,
           {L"出力電圧最低", L"出力電圧最低", G::fusion, L"出力電圧\n最低", L"", L""}),
      text(L"input_voltage_max", &R::input_voltage_max,
           {L"入力電圧最高", L"入力電圧最高", G::fusion, L"入力電圧\n最高", L"電池電圧\n最高", L""}),
      text(L"input_voltage_min", &R::input_voltage_min,
           {L"入力電圧最低", L"入力電圧最低", G::fusion, L"入力電圧\n最低", L"電池電圧\n最低", L""}),
      text(L"output_seconds", &R::output_seconds,
           {L"目標通電秒", L"目標通電秒", G::fusion, L"目標\n通電秒", L"", L""}),
      text(L"remain_output_seconds", &R::remain_output_seconds,
           {L"残通電秒", L"残通電秒", G::fusion, L"残り\n通電秒", L"", L""}),
      // Exported, not shown in the detail dialog.
      text(L"actual_output_seconds", &R::actual_output_seconds,
           {L"", L"実通電秒", G::fusion, L"実\n通電秒", L"", L""}),
      text(L"energy", &R::energy, {L"融着エネルギー", L"融着エネルギー", G::fusion, L"融着エネルギー", L"", L""}),
      integer(L"end_code", &R::end_code),
      text(L"exit_code", &R::exit_code,
           {L"終了状態(終了コード)", L"終了状態(終了コード)", G::fusion, L"終了状態(終了コード)", L"", L""}),
      flag(L"re_mark", &R::re_mark),
      text(L"output_current_max", &R::output_current_max,
           {L"出力電流最高", L"出力電流最高", G::fusion, L"出力電流\n最高", L"", L""}),
      text(L"output_current_min", &R::output_current_min,
           {L"出力電流最低", L"出力電流最低", G::fusion, L"出力電流\n最低", L"", L""}),
      // The sheet header is spelt with "ー" after "ティ", the dialogs without.
      text(L"joint_traceability_barcode", &R::joint_traceability_barcode,
           {L"トレサビリティーバーコードデータ", L"トレサビリティーバーコードデータ", G::joint,
            L"トレーサビリティーバーコードデータ", L"", L"@"}),
      integer(L"traceability_length", &R::traceability_length),
      text(L"lot_number", &R::lot_number, {L"機体番号(Lot No.)", L"機体番号(Lot No.)", G::none, L"機体番号", L"", L"@"}),
      text(L"version", &R::version, {L"バージョン番号", L"バージョン番号", G::management, L"Ver.", L"", L"@"}),
      text(L"maintenance_date", &R::maintenance_date, {L"点検日", L"点検日", G::management, L"点検日", L"", L""}),
      text(L"scaled_31", &R::scaled_31),
      text(L"checksum_text", &R::checksum_text),
      flag(L"checksum_error", &R::checksum_error),
      barcode(L"decoded_barcode", &R::decoded_barcode),
      text(L"remarks", &R::remarks, {L"備考", L"備考", G::management, L"備考", L"", L""}),
  }};
}();

// The members file::EfdxBattery adds, in declaration order.
inline constexpr std::array<Field<file::EfdxBattery>, 12> battery_members = [] {
  using namespace build;
  using B = file::EfdxBattery;
  constexpr auto battery = [](std::wstring_view label) {
    return FieldTexts{label, label, G::battery, label, L"", L""};
  };
  return std::array<Field<B>, 12>{{
      integer(L"battery_type_code", &B::battery_type_code),
      text(L"battery_type", &B::battery_type, battery(L"電池タイプ")),
      text(L"battery_identifier", &B::battery_identifier, battery(L"電池識別情報")),
      text(L"battery_cycle", &B::battery_cycle, battery(L"電池サイクル数")),
      text(L"battery_full_capacity", &B::battery_full_capacity, battery(L"電池フル容量")),
      text(L"battery_capacity_before", &B::battery_capacity_before, battery(L"通電前電池残量")),
      text(L"battery_capacity_after", &B::battery_capacity_after, battery(L"通電後電池残量")),
      text(L"battery_temperature_before", &B::battery_temperature_before, battery(L"通電前電池温度")),
      text(L"battery_temperature_after", &B::battery_temperature_after, battery(L"通電後電池温度")),
      flag(L"battery_checksum_error", &B::battery_checksum_error),
      integer(L"battery_checksum", &B::battery_checksum),
      integer(L"battery_checksum_computed", &B::battery_checksum_computed),
  }};
}();

// The nine joint texts of DecodedBarcode in declaration order. The cooling
// time and the barcode text are not shown on their own (the record's own
// joint_barcode is).
inline constexpr std::array<Field<DecodedBarcode>, 9> joint_members = [] {
  using namespace build;
  using D = DecodedBarcode;
  return std::array<Field<D>, 9>{{
      text(L"joint_output_voltage", &D::joint_output_voltage,
           {L"標準出力電圧", L"標準出力電圧", G::joint, L"標準\n出力電圧", L"", L""}),
      text(L"joint_output_seconds", &D::joint_output_seconds,
           {L"標準通電秒", L"標準通電秒", G::joint, L"標準\n通電秒", L"", L""}),
      text(L"joint_resistance", &D::joint_resistance, {L"標準抵抗", L"標準抵抗", G::joint, L"標準\n抵抗", L"", L""}),
      text(L"joint_manufacturer", &D::joint_manufacturer, {L"製造者", L"製造者", G::joint, L"製造者", L"", L""}),
      text(L"joint_kind", &D::joint_kind, {L"品種", L"品種", G::joint, L"品種", L"", L""}),
      text(L"joint_size", &D::joint_size, {L"サイズ", L"サイズ", G::joint, L"サイズ", L"", L"@"}),
      text(L"joint_management_id", &D::joint_management_id,
           {L"管理番号", L"管理番号", G::joint, L"管理番号", L"", L"@"}),
      text(L"joint_cooling_minutes", &D::joint_cooling_minutes),
      text(L"joint_barcode", &D::joint_barcode),
  }};
}();

// One display text of a record: a text member of the record, of the battery
// part or of its decoded barcode.
struct TextField {
  enum class Owner : std::uint8_t { record, battery, joint };
  std::wstring_view key;
  Owner owner = Owner::record;
  std::wstring file::Efdx::*record = nullptr;
  std::wstring file::EfdxBattery::*battery = nullptr;
  std::wstring DecodedBarcode::*joint = nullptr;
  FieldTexts texts{};

  // The text in `r`, not copied. A joint text of a record without a decoded
  // barcode is "***"; a battery text of a plain record is empty.
  const std::wstring& of(const file::Efdx& r) const;
  const std::wstring& of(const file::EfdxBattery& r) const;
};

// The text field of a record or battery member (`joint` false) or of a joint
// text (`joint` true) named `key`. Used in constant expressions: an unknown
// key does not compile there.
constexpr TextField textField(std::wstring_view key, bool joint = false) {
  if (joint) {
    for (const auto& f : joint_members) {
      if (f.key == key && f.kind == FieldKind::text) {
        return {f.key, TextField::Owner::joint, nullptr, nullptr, f.text, f.texts};
      }
    }
  } else {
    for (const auto& f : record_members) {
      if (f.key == key && f.kind == FieldKind::text) {
        return {f.key, TextField::Owner::record, f.text, nullptr, nullptr, f.texts};
      }
    }
    for (const auto& f : battery_members) {
      if (f.key == key && f.kind == FieldKind::text) {
        return {f.key, TextField::Owner::battery, nullptr, f.text, nullptr, f.texts};
      }
    }
  }
  throw std::invalid_argument("no text field of that name");
}

// One output item of the Excel conversion: its number (from 1), its key (the
// registry value name of its flag), its check box text and the sheet columns
// it produces, one for every item but "coord", which gives two.
struct OutputItem {
  int number = 0;
  std::wstring_view key;
  std::wstring_view label;
  std::array<TextField, 2> columns{};
  std::size_t column_count = 1;
};

namespace build {
constexpr OutputItem item(int number, TextField column) {
  OutputItem i{number, column.key, column.texts.output_label};
  i.columns[0] = column;
  return i;
}
constexpr OutputItem coordItem(int number) {
  OutputItem i{number, L"coord", L"緯度経度"};
  i.columns = {textField(L"latitude_text"), textField(L"longitude_text")};
  i.column_count = 2;
  return i;
}
}  // namespace build

inline constexpr std::size_t plain_output_item_count = 32;    // items 1-32
inline constexpr std::size_t battery_output_item_count = 40;  // items 1-40: 33-40 are the battery data

// The output items in their fixed order; item n is output_items[n - 1].
// Plain records offer the first plain_output_item_count of them.
inline constexpr std::array<OutputItem, battery_output_item_count> output_items = [] {
  using build::item;
  constexpr bool joint = true;
  return std::array<OutputItem, battery_output_item_count>{{
      item(1, textField(L"lot_number")),
      item(2, textField(L"number")),
      item(3, textField(L"datetime")),
      item(4, textField(L"joint_kind", joint)),
      item(5, textField(L"joint_size", joint)),
      item(6, textField(L"joint_manufacturer", joint)),
      item(7, textField(L"joint_management_id", joint)),
      item(8, textField(L"joint_resistance", joint)),
      item(9, textField(L"joint_output_voltage", joint)),
      item(10, textField(L"joint_output_seconds", joint)),
      item(11, textField(L"joint_barcode")),
      item(12, textField(L"joint_traceability_barcode")),
      item(13, textField(L"exit_code")),
      item(14, textField(L"temperature")),
      item(15, textField(L"resistance")),
      item(16, textField(L"output_voltage_min")),
      item(17, textField(L"output_voltage_max")),
      item(18, textField(L"output_current_min")),
      item(19, textField(L"output_current_max")),
      item(20, textField(L"input_voltage_min")),
      item(21, textField(L"input_voltage_max")),
      item(22, textField(L"output_seconds")),
      item(23, textField(L"actual_output_seconds")),
      item(24, textField(L"remain_output_seconds")),
      item(25, textField(L"energy")),
      build::coordItem(26),
      item(27, textField(L"order")),
      item(28, textField(L"worker")),
      item(29, textField(L"version")),
      item(30, textField(L"maintenance_date")),
      item(31, textField(L"lifecycle_counts")),
      item(32, textField(L"remarks")),
      item(33, textField(L"battery_type")),
      item(34, textField(L"battery_identifier")),
      item(35, textField(L"battery_cycle")),
      item(36, textField(L"battery_full_capacity")),
      item(37, textField(L"battery_capacity_before")),
      item(38, textField(L"battery_capacity_after")),
      item(39, textField(L"battery_temperature_before")),
      item(40, textField(L"battery_temperature_after")),
  }};
}();

}  // namespace kj::catalogue
