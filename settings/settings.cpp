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

void read_integer(StoreKey& key, std::wstring_view name, std::int32_t& field)
{
    const auto value = key.read(name, dword_bytes);
    if (value && value->type == ValueType::dword) {
        // The stored 32 bits are the signed value as it was written.
        field = static_cast<std::int32_t>(value->dword);
    }
}

void write_integer(StoreKey& key, std::wstring_view name, std::int32_t field)
{
    key.write(name, StoredValue::of_dword(static_cast<std::uint32_t>(field)));
}

bool load_flags(KeyValueStore& store, std::wstring_view path, std::span<bool> flags)
{
    const OpenKey key = store.open_for_read(path);
    if (!key) {
        return false;
    }
    for (std::size_t i = 0; i < flags.size(); ++i) {
        const auto value = key->read(output_items[i].value_name, dword_bytes);
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
        key->write(output_items[i].value_name, StoredValue::of_dword(flags[i] ? 1u : 0u));
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

    read_integer(*key, paper_size_value, settings.paper_size);
    read_integer(*key, print_orientation_value, settings.print_orientation);
    read_integer(*key, zoom_value, settings.zoom);
    read_integer(*key, margin_top_value, settings.margin_top);
    read_integer(*key, margin_bottom_value, settings.margin_bottom);
    read_integer(*key, margin_left_value, settings.margin_left);
    read_integer(*key, margin_right_value, settings.margin_right);
    return true;
}

bool save_settings(const Settings& settings, KeyValueStore& store)
{
    const OpenKey key = open_or_create(store, settings_key);
    if (!key) {
        return false;
    }

    key->write(port_name_value, StoredValue::of_text(settings.port_name));
    write_integer(*key, paper_size_value, settings.paper_size);
    write_integer(*key, print_orientation_value, settings.print_orientation);
    write_integer(*key, zoom_value, settings.zoom);
    write_integer(*key, margin_top_value, settings.margin_top);
    write_integer(*key, margin_bottom_value, settings.margin_bottom);
    write_integer(*key, margin_left_value, settings.margin_left);
    write_integer(*key, margin_right_value, settings.margin_right);
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
