#pragma once

// The user settings kept between runs: the serial port, the print settings
// and the two sets of output items of the Excel conversion. They persist in
// a KeyValueStore (the per-user registry on Windows) under settings_key.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/key_value_store.h"

namespace kj {

// Key of the main values (port and print settings).
inline constexpr std::wstring_view settings_key = L"SOFTWARE\\TOVANIC\\KJVT58";
// Subkeys of settings_key holding the flags of the two output item sets.
inline constexpr std::wstring_view export_columns_key =
    L"SOFTWARE\\TOVANIC\\KJVT58\\EfdxExportProps";
inline constexpr std::wstring_view battery_export_columns_key =
    L"SOFTWARE\\TOVANIC\\KJVT58\\EfdxBatteryExportProps";

// Value names of the main key.
inline constexpr std::wstring_view port_name_value = L"COM";
inline constexpr std::wstring_view paper_size_value = L"PaperSize";
inline constexpr std::wstring_view print_orientation_value = L"PrintOrientation";
inline constexpr std::wstring_view zoom_value = L"Zoom";
inline constexpr std::wstring_view margin_top_value = L"MarginTop";
inline constexpr std::wstring_view margin_bottom_value = L"MarginBottom";
inline constexpr std::wstring_view margin_left_value = L"MarginLeft";
inline constexpr std::wstring_view margin_right_value = L"MarginRight";

// The port name is read into a buffer of this many bytes: 255 UTF-16 units
// and a terminator. A longer stored text is not read at all.
inline constexpr std::size_t port_name_buffer_bytes = 512;

// One output item (column) of the Excel conversion: the name of the value
// that stores its flag and its label in the output item dialog.
struct OutputItem {
    std::wstring_view value_name;
    std::wstring_view label;
};

inline constexpr std::size_t export_column_count = 32;
inline constexpr std::size_t battery_export_column_count = 40;

// The output items in their fixed order; item n (counted from 1) is
// output_items[n - 1]. The ordinary set is the first export_column_count of
// them, the battery set all of them.
inline constexpr std::array<OutputItem, battery_export_column_count> output_items{{
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
}};

// One flag per output item, true when the item is written.
using ExportColumns = std::array<bool, export_column_count>;
using BatteryExportColumns = std::array<bool, battery_export_column_count>;

namespace detail {
template <std::size_t N>
constexpr std::array<bool, N> all_on()
{
    std::array<bool, N> flags{};
    flags.fill(true);
    return flags;
}
}  // namespace detail

// The settings as the program holds them in memory. The members start with
// the defaults that stand until a load succeeds. The integers are held as
// read, without range checks; the dialogs that edit them keep them in range.
struct Settings {
    std::wstring port_name;             // e.g. L"COM3"; empty: none chosen
    std::int32_t paper_size = 1;        // index into the paper size table (1: A4)
    std::int32_t print_orientation = 0; // 0 landscape, 1 portrait
    std::int32_t zoom = 50;             // print scale in percent
    std::int32_t margin_top = 10;       // margins in millimetres
    std::int32_t margin_bottom = 10;
    std::int32_t margin_left = 10;
    std::int32_t margin_right = 10;
    ExportColumns export_columns = detail::all_on<export_column_count>();
    BatteryExportColumns battery_export_columns =
        detail::all_on<battery_export_column_count>();

    bool operator==(const Settings&) const = default;
};

// The operations below never report anything themselves. Each returns false
// when its key cannot be opened (or, when saving, neither opened nor
// created); the settings are then left exactly as they were. Values that are
// missing, of another type or unreadable are skipped one by one and the
// field keeps its current value. The results of the single writes of a save
// are not checked: once the key is open the save counts as done.

// Reads port name and print settings from settings_key.
bool load_settings(Settings& settings, KeyValueStore& store);
// Writes port name and print settings to settings_key, creating it if needed.
bool save_settings(const Settings& settings, KeyValueStore& store);

// Reads the ordinary output item flags from export_columns_key. A stored 1
// turns a flag on, any other number turns it off.
bool load_export_columns(Settings& settings, KeyValueStore& store);
// Writes all ordinary flags (1 on, 0 off) to export_columns_key, creating it
// if needed. The battery set is not touched.
bool save_export_columns(const Settings& settings, KeyValueStore& store);

// The same for the battery output items and battery_export_columns_key.
bool load_battery_export_columns(Settings& settings, KeyValueStore& store);
bool save_battery_export_columns(const Settings& settings, KeyValueStore& store);

}  // namespace kj
