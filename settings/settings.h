#pragma once

// The user settings kept between runs: the serial port, the print settings
// and the two sets of output items of the Excel conversion. They persist in
// a KeyValueStore (the per-user registry on Windows) under settings_key.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "record/field_catalogue.h"
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

// The output items of the Excel conversion are those of the record field
// catalogue; each flag is stored under the item's key. The ordinary set holds
// the first export_column_count items, the battery set all of them.
inline constexpr std::size_t export_column_count = catalogue::plain_output_item_count;
inline constexpr std::size_t battery_export_column_count = catalogue::battery_output_item_count;

// The name of the registry value of output item `index` (counted from 0).
constexpr std::wstring_view output_item_value_name(std::size_t index)
{
    return catalogue::output_items.at(index).key;
}

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
