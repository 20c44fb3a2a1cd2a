#include "settings/settings.h"

#include <span>

namespace kj {

namespace {

constexpr std::size_t dword_bytes = 4;

// Opens a key for writing, creating it when it cannot be opened.
OpenKey open_or_create(KeyValueStore& store, std::wstring_view path)
{
    if (OpenKey key = store.open_for_write(path)) {
        return key;
    }
    return store.create(path);
}

// The integer values of the main key, in the order they are read and written.
struct IntegerValue {
    std::wstring_view name;
    std::int32_t Settings::*field;
};
constexpr IntegerValue integer_values[] = {
    {paper_size_value, &Settings::paper_size},
    {print_orientation_value, &Settings::print_orientation},
    {zoom_value, &Settings::zoom},
    {margin_top_value, &Settings::margin_top},
    {margin_bottom_value, &Settings::margin_bottom},
    {margin_left_value, &Settings::margin_left},
    {margin_right_value, &Settings::margin_right},
};

bool load_flags(KeyValueStore& store, std::wstring_view path, std::span<bool> flags)
{
    const OpenKey key = store.open_for_read(path);
    if (!key) {
        return false;
    }
    for (std::size_t i = 0; i < flags.size(); ++i) {
        const auto value = key->read(output_item_value_name(i), dword_bytes);
        if (value && value->type == ValueType::dword) {
            flags[i] = value->dword == 1;
        }
    }
    return true;
}

bool save_flags(KeyValueStore& store, std::wstring_view path,
                std::span<const bool> flags)
{
    const OpenKey key = open_or_create(store, path);
    if (!key) {
        return false;
    }
    for (std::size_t i = 0; i < flags.size(); ++i) {
        key->write(output_item_value_name(i), StoredValue::of_dword(flags[i] ? 1u : 0u));
    }
    return true;
}

}  // namespace

bool load_settings(Settings& settings, KeyValueStore& store)
{
    const OpenKey key = store.open_for_read(settings_key);
    if (!key) {
        return false;
    }

    // A port name longer than the buffer fails to read and is left alone.
    const auto port = key->read(port_name_value, port_name_buffer_bytes);
    if (port && port->type == ValueType::text) {
        settings.port_name = port->text.substr(0, port->text.find(L'\0'));
    }

    for (const IntegerValue& v : integer_values) {
        const auto value = key->read(v.name, dword_bytes);
        if (value && value->type == ValueType::dword) {
            // The stored 32 bits are the signed value as it was written.
            settings.*v.field = static_cast<std::int32_t>(value->dword);
        }
    }
    return true;
}

bool save_settings(const Settings& settings, KeyValueStore& store)
{
    const OpenKey key = open_or_create(store, settings_key);
    if (!key) {
        return false;
    }

    key->write(port_name_value, StoredValue::of_text(settings.port_name));
    for (const IntegerValue& v : integer_values) {
        key->write(v.name, StoredValue::of_dword(static_cast<std::uint32_t>(settings.*v.field)));
    }
    return true;
}

bool load_export_columns(Settings& settings, KeyValueStore& store)
{
    return load_flags(store, export_columns_key, settings.export_columns);
}

bool save_export_columns(const Settings& settings, KeyValueStore& store)
{
    return save_flags(store, export_columns_key, settings.export_columns);
}

bool load_battery_export_columns(Settings& settings, KeyValueStore& store)
{
    return load_flags(store, battery_export_columns_key, settings.battery_export_columns);
}

bool save_battery_export_columns(const Settings& settings, KeyValueStore& store)
{
    return save_flags(store, battery_export_columns_key,
                      settings.battery_export_columns);
}

}  // namespace kj
