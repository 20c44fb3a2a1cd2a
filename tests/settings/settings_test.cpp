#include "settings/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "tests/support/memory_store.h"
#include "value_printers.h"

namespace kj {
namespace {

using LoadFn = bool (*)(Settings&, KeyValueStore&);
using SaveFn = bool (*)(const Settings&, KeyValueStore&);

struct Operation {
    const char* label;
    std::wstring_view key;
};

struct LoadOperation : Operation {
    LoadFn load;
};

struct SaveOperation : Operation {
    SaveFn save;
};

const std::vector<LoadOperation> load_operations = {
    {{"load_settings", settings_key}, &load_settings},
    {{"load_export_columns", export_columns_key}, &load_export_columns},
    {{"load_battery_export_columns", battery_export_columns_key},
     &load_battery_export_columns},
};

const std::vector<SaveOperation> save_operations = {
    {{"save_settings", settings_key}, &save_settings},
    {{"save_export_columns", export_columns_key}, &save_export_columns},
    {{"save_battery_export_columns", battery_export_columns_key},
     &save_battery_export_columns},
};

// The integer fields of the main key with their value names, in the order
// they are read and written.
struct IntegerField {
    std::wstring_view name;
    std::int32_t Settings::*member;
};

const std::vector<IntegerField> integer_fields = {
    {L"PaperSize", &Settings::paper_size},
    {L"PrintOrientation", &Settings::print_orientation},
    {L"Zoom", &Settings::zoom},
    {L"MarginTop", &Settings::margin_top},
    {L"MarginBottom", &Settings::margin_bottom},
    {L"MarginLeft", &Settings::margin_left},
    {L"MarginRight", &Settings::margin_right},
};

StoredValue text(std::wstring value) { return StoredValue::of_text(std::move(value)); }
StoredValue dword(std::uint32_t value) { return StoredValue::of_dword(value); }

// Settings in which every field differs from its default and from the values
// the tests store, so that a change or a missing change shows.
Settings distinctive_settings()
{
    Settings s;
    s.port_name = L"COM9";
    s.paper_size = 4;
    s.print_orientation = 1;
    s.zoom = 120;
    s.margin_top = 1;
    s.margin_bottom = 2;
    s.margin_left = 3;
    s.margin_right = 4;
    for (std::size_t i = 0; i < s.export_columns.size(); ++i) {
        s.export_columns[i] = i % 3 == 0;
    }
    for (std::size_t i = 0; i < s.battery_export_columns.size(); ++i) {
        s.battery_export_columns[i] = i % 2 == 0;
    }
    return s;
}

// A complete, valid main key whose values all differ from
// distinctive_settings() and from the defaults.
MemoryStore::Values main_values()
{
    return {
        {L"COM", text(L"COM3")},
        {L"PaperSize", dword(0)},
        {L"PrintOrientation", dword(0)},
        {L"Zoom", dword(75)},
        {L"MarginTop", dword(11)},
        {L"MarginBottom", dword(12)},
        {L"MarginLeft", dword(13)},
        {L"MarginRight", dword(0xFFFFFFF6u)},  // -10
    };
}

// Stores main_values(), leaving out the value named `skip`.
void put_main_values(MemoryStore& store, std::wstring_view skip = {})
{
    store.create_key(settings_key);
    for (const auto& [name, value] : main_values()) {
        if (name != skip) {
            store.put(settings_key, name, value);
        }
    }
}

// For trace messages; the names are ASCII.
std::string narrow(std::wstring_view name)
{
    std::string out;
    for (const wchar_t c : name) {
        out.push_back(static_cast<char>(c));
    }
    return out;
}

void put_flags(MemoryStore& store, std::wstring_view key, std::size_t count,
               std::uint32_t value)
{
    store.create_key(key);
    for (std::size_t i = 0; i < count; ++i) {
        store.put(key, output_item_value_name(i), dword(value));
    }
}

// What a key should hold after the given flags were saved.
MemoryStore::Values saved_flags(std::span<const bool> flags)
{
    MemoryStore::Values values;
    for (std::size_t i = 0; i < flags.size(); ++i) {
        values.emplace(std::wstring(output_item_value_name(i)), dword(flags[i] ? 1 : 0));
    }
    return values;
}

std::vector<MemoryStore::Write> writes_of(std::wstring_view key,
                                          const std::vector<std::wstring_view>& names)
{
    std::vector<MemoryStore::Write> writes;
    for (const auto name : names) {
        writes.push_back({std::wstring(key), std::wstring(name)});
    }
    return writes;
}

std::vector<std::wstring_view> item_names(std::size_t count)
{
    std::vector<std::wstring_view> names;
    for (std::size_t i = 0; i < count; ++i) {
        names.push_back(output_item_value_name(i));
    }
    return names;
}

// --- Defaults and the output item table -----------------------------------

TEST(SettingsDefaults, AreThoseInForceBeforeAnyLoad)
{
    const Settings s;
    EXPECT_EQ(s.port_name, L"");
    EXPECT_EQ(s.paper_size, 1);
    EXPECT_EQ(s.print_orientation, 0);
    EXPECT_EQ(s.zoom, 50);
    EXPECT_EQ(s.margin_top, 10);
    EXPECT_EQ(s.margin_bottom, 10);
    EXPECT_EQ(s.margin_left, 10);
    EXPECT_EQ(s.margin_right, 10);
    EXPECT_EQ(s.export_columns.size(), 32u);
    EXPECT_EQ(s.battery_export_columns.size(), 40u);
    EXPECT_TRUE(std::ranges::all_of(s.export_columns, [](bool f) { return f; }));
    EXPECT_TRUE(std::ranges::all_of(s.battery_export_columns, [](bool f) { return f; }));
}

TEST(OutputItems, StoreTheirFlagsUnderTheirNames)
{
    struct Case {
        std::size_t number;  // counted from 1, as the items are numbered
        std::wstring_view name;
    };
    const std::vector<Case> cases = {
        {1, L"lot_number"},
        {3, L"datetime"},
        {12, L"joint_traceability_barcode"},
        {13, L"exit_code"},
        {26, L"coord"},
        {31, L"lifecycle_counts"},
        {32, L"remarks"},
        {33, L"battery_type"},
        {40, L"battery_temperature_after"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "item " << c.number);
        EXPECT_EQ(output_item_value_name(c.number - 1), c.name);
    }
}

TEST(OutputItems, NamesAreUnique)
{
    std::set<std::wstring_view> names;
    for (std::size_t i = 0; i < battery_export_column_count; ++i) {
        const std::wstring_view name = output_item_value_name(i);
        EXPECT_TRUE(names.insert(name).second) << "duplicate name";
        EXPECT_FALSE(name.empty());
    }
}

// --- Failures to open ----------------------------------------------------

TEST(SettingsLoad, FailsAndChangesNothingWhenTheKeyCannotBeOpened)
{
    enum class Cause { missing, refused };
    for (const LoadOperation& op : load_operations) {
        for (const Cause cause : {Cause::missing, Cause::refused}) {
            SCOPED_TRACE(::testing::Message()
                         << op.label << (cause == Cause::missing ? ", missing" : ", refused"));
            MemoryStore store;
            if (cause == Cause::refused) {
                // Everything is there, but the key does not open for reading.
                put_main_values(store);
                put_flags(store, export_columns_key, export_column_count, 0);
                put_flags(store, battery_export_columns_key, battery_export_column_count, 0);
                store.fail_open_for_read(op.key);
            }
            Settings s = distinctive_settings();
            EXPECT_FALSE(op.load(s, store));
            EXPECT_EQ(s, distinctive_settings());
            EXPECT_TRUE(store.writes().empty());
            EXPECT_EQ(store.open_key_count(), 0u);
        }
    }
}

TEST(SettingsLoad, WithoutAnyKeyTheDefaultsStand)
{
    MemoryStore store;
    Settings s;
    EXPECT_FALSE(load_settings(s, store));
    EXPECT_FALSE(load_export_columns(s, store));
    EXPECT_FALSE(load_battery_export_columns(s, store));
    EXPECT_EQ(s, Settings{});
}

TEST(SettingsSave, FallsBackToCreateWhenOpeningForWritingFails)
{
    enum class Cause { missing, refused };
    for (const SaveOperation& op : save_operations) {
        for (const Cause cause : {Cause::missing, Cause::refused}) {
            SCOPED_TRACE(::testing::Message()
                         << op.label << (cause == Cause::missing ? ", missing" : ", refused"));
            MemoryStore store;
            if (cause == Cause::refused) {
                store.create_key(op.key);
                store.fail_open_for_write(op.key);
            }
            EXPECT_TRUE(op.save(distinctive_settings(), store));
            EXPECT_TRUE(store.has_key(op.key));
            EXPECT_FALSE(store.writes().empty());
            for (const MemoryStore::Write& w : store.writes()) {
                EXPECT_EQ(w.path, op.key);
            }
            EXPECT_EQ(store.open_key_count(), 0u);
        }
    }
}

TEST(SettingsSave, OpensAnExistingKeyBeforeTryingToCreateIt)
{
    for (const SaveOperation& op : save_operations) {
        SCOPED_TRACE(op.label);
        MemoryStore store;
        store.create_key(op.key);
        store.fail_create(op.key);
        EXPECT_TRUE(op.save(distinctive_settings(), store));
        EXPECT_FALSE(store.writes().empty());
    }
}

TEST(SettingsSave, FailsWithoutWritingWhenTheKeyCanBeNeitherOpenedNorCreated)
{
    enum class Cause { missing, refused };
    for (const SaveOperation& op : save_operations) {
        for (const Cause cause : {Cause::missing, Cause::refused}) {
            SCOPED_TRACE(::testing::Message()
                         << op.label << (cause == Cause::missing ? ", missing" : ", existing"));
            MemoryStore store;
            if (cause == Cause::refused) {
                store.put(op.key, L"Stale", dword(5));
                store.fail_open_for_write(op.key);
            }
            store.fail_create(op.key);
            EXPECT_FALSE(op.save(distinctive_settings(), store));
            EXPECT_TRUE(store.writes().empty());
            if (cause == Cause::refused) {
                EXPECT_EQ(store.values(op.key), (MemoryStore::Values{{L"Stale", dword(5)}}));
            } else {
                EXPECT_FALSE(store.has_key(op.key));
            }
            EXPECT_EQ(store.open_key_count(), 0u);
        }
    }
}

// --- Main key -------------------------------------------------------------

TEST(SettingsSave, FirstSaveCreatesTheKeyWithAllEightValuesInOrder)
{
    MemoryStore store;
    Settings s = distinctive_settings();
    s.port_name = L"COM12";
    s.margin_left = -3;
    ASSERT_TRUE(save_settings(s, store));

    const MemoryStore::Values expected = {
        {L"COM", text(L"COM12")},          {L"PaperSize", dword(4)},
        {L"PrintOrientation", dword(1)},   {L"Zoom", dword(120)},
        {L"MarginTop", dword(1)},          {L"MarginBottom", dword(2)},
        {L"MarginLeft", dword(0xFFFFFFFDu)}, {L"MarginRight", dword(4)},
    };
    EXPECT_EQ(store.values(settings_key), expected);
    EXPECT_EQ(store.writes(),
              writes_of(settings_key, {L"COM", L"PaperSize", L"PrintOrientation", L"Zoom",
                                       L"MarginTop", L"MarginBottom", L"MarginLeft",
                                       L"MarginRight"}));
    EXPECT_FALSE(store.has_key(export_columns_key));
    EXPECT_FALSE(store.has_key(battery_export_columns_key));
    EXPECT_EQ(store.open_key_count(), 0u);
}

TEST(SettingsSave, OverwritesValuesOfAnotherTypeAndKeepsForeignValues)
{
    MemoryStore store;
    store.put(settings_key, L"PaperSize", text(L"2"));
    store.put(settings_key, L"COM", dword(3));
    store.put(settings_key, L"WindowPlacement", StoredValue{});
    ASSERT_TRUE(save_settings(distinctive_settings(), store));
    EXPECT_EQ(store.get(settings_key, L"PaperSize"), dword(4));
    EXPECT_EQ(store.get(settings_key, L"COM"), text(L"COM9"));
    EXPECT_EQ(store.get(settings_key, L"WindowPlacement"), StoredValue{});
}

TEST(SettingsLoad, ReadsAllEightValuesAndNothingElse)
{
    MemoryStore store;
    put_main_values(store);
    Settings s = distinctive_settings();
    ASSERT_TRUE(load_settings(s, store));

    Settings expected = distinctive_settings();
    expected.port_name = L"COM3";
    expected.paper_size = 0;
    expected.print_orientation = 0;
    expected.zoom = 75;
    expected.margin_top = 11;
    expected.margin_bottom = 12;
    expected.margin_left = 13;
    expected.margin_right = -10;
    EXPECT_EQ(s, expected);
    EXPECT_TRUE(store.writes().empty());
    EXPECT_EQ(store.open_key_count(), 0u);
}

TEST(SettingsLoad, GivesBackWhatWasSaved)
{
    MemoryStore store;
    Settings saved = distinctive_settings();
    saved.port_name = L"ＣＯＭ１";
    saved.zoom = -2147483647 - 1;
    saved.margin_bottom = 2147483647;
    ASSERT_TRUE(save_settings(saved, store));
    ASSERT_TRUE(save_export_columns(saved, store));
    ASSERT_TRUE(save_battery_export_columns(saved, store));

    Settings loaded;
    ASSERT_TRUE(load_settings(loaded, store));
    ASSERT_TRUE(load_export_columns(loaded, store));
    ASSERT_TRUE(load_battery_export_columns(loaded, store));
    EXPECT_EQ(loaded, saved);
}

TEST(SettingsLoad, AnIntegerThatCannotBeTakenLeavesItsFieldAndTheOthersAreRead)
{
    enum class Bad { text, other, unreadable, missing };
    const std::vector<std::pair<Bad, const char*>> kinds = {
        {Bad::text, "stored as text"},
        {Bad::other, "stored as another type"},
        {Bad::unreadable, "unreadable"},
        {Bad::missing, "missing"},
    };
    for (const IntegerField& field : integer_fields) {
        for (const auto& [bad, label] : kinds) {
            SCOPED_TRACE(::testing::Message() << narrow(field.name) << " " << label);
            MemoryStore store;
            put_main_values(store, bad == Bad::missing ? field.name : std::wstring_view{});
            if (bad == Bad::text) {
                store.put(settings_key, field.name, text(L"3"));
            } else if (bad == Bad::other) {
                store.put(settings_key, field.name, StoredValue{});
            } else if (bad == Bad::unreadable) {
                store.fail_read(settings_key, field.name);
            }

            Settings s = distinctive_settings();
            ASSERT_TRUE(load_settings(s, store));

            EXPECT_EQ(s.port_name, L"COM3");
            for (const IntegerField& other : integer_fields) {
                const std::int32_t expected =
                    other.name == field.name
                        ? distinctive_settings().*other.member
                        : static_cast<std::int32_t>(
                              main_values().at(std::wstring(other.name)).dword);
                EXPECT_EQ(s.*other.member, expected) << narrow(other.name);
            }
        }
    }
}

TEST(SettingsLoad, PortNameIsTakenOnlyFromAFittingText)
{
    enum class How { stored, unreadable, missing };
    struct Case {
        const char* label;
        How how;
        StoredValue value;
        std::wstring expected;
    };
    const std::wstring before = L"COM1";
    const std::vector<Case> cases = {
        {"plain", How::stored, text(L"COM3"), L"COM3"},
        {"empty", How::stored, text(L""), L""},
        {"Japanese", How::stored, text(L"ポート"), L"ポート"},
        {"255 characters fill the buffer", How::stored, text(std::wstring(255, L'P')),
         std::wstring(255, L'P')},
        {"256 characters are too long", How::stored, text(std::wstring(256, L'P')), before},
        {"cut at an embedded null", How::stored, text(std::wstring(L"COM4\0junk", 9)),
         L"COM4"},
        {"null first", How::stored, text(std::wstring(L"\0COM5", 5)), L""},
        {"stored as dword", How::stored, dword(3), before},
        {"stored as another type", How::stored, StoredValue{}, before},
        {"unreadable", How::unreadable, text(L"COM6"), before},
        {"missing", How::missing, {}, before},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        MemoryStore store;
        store.put(settings_key, L"Zoom", dword(200));
        if (c.how != How::missing) {
            store.put(settings_key, L"COM", c.value);
        }
        if (c.how == How::unreadable) {
            store.fail_read(settings_key, L"COM");
        }
        Settings s;
        s.port_name = before;
        ASSERT_TRUE(load_settings(s, store));
        EXPECT_EQ(s.port_name, c.expected);
        EXPECT_EQ(s.zoom, 200);  // the values after it are still read
    }
}

// --- Output item flags ----------------------------------------------------

struct FlagSet {
    const char* label;
    std::wstring_view key;
    std::size_t count;
    LoadFn load;
    SaveFn save;
    std::span<bool> (*flags)(Settings&);
};

const std::vector<FlagSet> flag_sets = {
    {"ordinary", export_columns_key, export_column_count, &load_export_columns,
     &save_export_columns, [](Settings& s) { return std::span<bool>(s.export_columns); }},
    {"battery", battery_export_columns_key, battery_export_column_count,
     &load_battery_export_columns, &save_battery_export_columns,
     [](Settings& s) { return std::span<bool>(s.battery_export_columns); }},
};

TEST(ExportColumnsLoad, StoredOneIsOnOtherNumbersOffAnythingElseKeepsTheFlag)
{
    enum class How { stored, unreadable, missing };
    struct Case {
        const char* label;
        How how;
        StoredValue value;
        bool before;
        bool after;
    };
    const std::vector<Case> cases = {
        {"1 turns on", How::stored, dword(1), false, true},
        {"1 keeps on", How::stored, dword(1), true, true},
        {"0 turns off", How::stored, dword(0), true, false},
        {"2 turns off", How::stored, dword(2), true, false},
        {"all bits turn off", How::stored, dword(0xFFFFFFFFu), true, false},
        {"0x101 turns off", How::stored, dword(0x101), true, false},
        {"text 1 keeps off", How::stored, text(L"1"), false, false},
        {"text 0 keeps on", How::stored, text(L"0"), true, true},
        {"other type keeps on", How::stored, StoredValue{}, true, true},
        {"unreadable keeps off", How::unreadable, dword(1), false, false},
        {"missing keeps on", How::missing, {}, true, true},
        {"missing keeps off", How::missing, {}, false, false},
    };
    for (const FlagSet& set : flag_sets) {
        // The first item, one in the middle, the last of the set.
        for (const std::size_t index : {std::size_t{0}, std::size_t{17}, set.count - 1}) {
            for (const Case& c : cases) {
                SCOPED_TRACE(::testing::Message()
                             << set.label << " item " << index + 1 << ": " << c.label);
                MemoryStore store;
                // Every other item is stored as on and starts off, so that
                // reading it shows.
                store.create_key(set.key);
                for (std::size_t i = 0; i < set.count; ++i) {
                    if (i != index) {
                        store.put(set.key, output_item_value_name(i), dword(1));
                    }
                }
                const std::wstring_view name = output_item_value_name(index);
                if (c.how != How::missing) {
                    store.put(set.key, name, c.value);
                }
                if (c.how == How::unreadable) {
                    store.fail_read(set.key, name);
                }
                Settings s;
                std::ranges::fill(set.flags(s), false);
                set.flags(s)[index] = c.before;

                ASSERT_TRUE(set.load(s, store));
                for (std::size_t i = 0; i < set.count; ++i) {
                    EXPECT_EQ(set.flags(s)[i], i == index ? c.after : true) << "flag " << i + 1;
                }
                EXPECT_EQ(store.open_key_count(), 0u);
            }
        }
    }
}

TEST(ExportColumnsLoad, EmptySubkeyKeepsEveryFlag)
{
    for (const FlagSet& set : flag_sets) {
        SCOPED_TRACE(set.label);
        MemoryStore store;
        store.create_key(set.key);
        Settings s = distinctive_settings();
        EXPECT_TRUE(set.load(s, store));
        EXPECT_EQ(s, distinctive_settings());
    }
}

TEST(ExportColumnsLoad, ReadsOnlyItsOwnSubkeyAndItems)
{
    MemoryStore store;
    put_main_values(store);
    put_flags(store, export_columns_key, battery_export_column_count, 0);
    put_flags(store, battery_export_columns_key, battery_export_column_count, 1);

    Settings s;
    ASSERT_TRUE(load_export_columns(s, store));
    Settings expected;
    expected.export_columns.fill(false);
    EXPECT_EQ(s, expected);

    // The battery set reads from its own subkey.
    s.battery_export_columns.fill(false);
    ASSERT_TRUE(load_battery_export_columns(s, store));
    EXPECT_EQ(s, expected);
}

TEST(ExportColumnsSave, WritesEveryFlagInItemOrderAsOneOrZero)
{
    for (const FlagSet& set : flag_sets) {
        SCOPED_TRACE(set.label);
        MemoryStore store;
        Settings s = distinctive_settings();
        ASSERT_TRUE(set.save(s, store));
        EXPECT_EQ(store.values(set.key), saved_flags(set.flags(s)));
        EXPECT_EQ(store.writes(), writes_of(set.key, item_names(set.count)));
        EXPECT_EQ(store.open_key_count(), 0u);
    }
}

TEST(ExportColumnsSave, BatterySetRepeatsTheOrdinaryItemsBeforeItsOwn)
{
    MemoryStore store;
    ASSERT_TRUE(save_export_columns(Settings{}, store));
    ASSERT_TRUE(save_battery_export_columns(Settings{}, store));
    const auto& writes = store.writes();
    ASSERT_EQ(writes.size(), 72u);
    for (std::size_t i = 0; i < 32; ++i) {
        EXPECT_EQ(writes[i].name, writes[32 + i].name);
    }
    EXPECT_EQ(writes[64].name, L"battery_type");
    EXPECT_EQ(writes[71].name, L"battery_temperature_after");
}

// --- Each save touches its own key only ------------------------------------

TEST(SettingsSave, EachSaveLeavesTheOtherKeysUntouched)
{
    for (const SaveOperation& op : save_operations) {
        SCOPED_TRACE(op.label);
        MemoryStore store;
        put_main_values(store);
        store.put(settings_key, L"Extra", text(L"kept"));
        put_flags(store, export_columns_key, export_column_count, 0);
        put_flags(store, battery_export_columns_key, battery_export_column_count, 2);
        const std::vector<std::wstring_view> keys = {settings_key, export_columns_key,
                                                     battery_export_columns_key};
        std::vector<MemoryStore::Values> before;
        for (const auto key : keys) {
            before.push_back(*store.values(key));
        }

        ASSERT_TRUE(op.save(distinctive_settings(), store));

        for (std::size_t k = 0; k < keys.size(); ++k) {
            if (keys[k] == op.key) {
                EXPECT_NE(store.values(keys[k]), before[k]) << "the saved key changes";
            } else {
                EXPECT_EQ(store.values(keys[k]), before[k]) << "another key changed";
            }
        }
        for (const MemoryStore::Write& w : store.writes()) {
            EXPECT_EQ(w.path, op.key);
        }
    }
}

}  // namespace
}  // namespace kj
