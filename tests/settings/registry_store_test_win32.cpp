// Runs against the real registry of the current user, below a key of its own
// that is removed again after each test. Windows only (a _win32 file).

#include "settings/registry_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "base/win32_include.h"
#include "store_contract.h"
#include "value_printers.h"

namespace kj {
namespace {

const std::wstring vendor_key = L"SOFTWARE\\TOVANIC";

// A key below HKEY_CURRENT_USER that no one else uses, deleted with all its
// contents on destruction. The vendor key above it goes too when it was only
// made for the test.
class ScratchKey {
public:
    ScratchKey()
        : path_(vendor_key + L"\\KJVT58-test-" + std::to_wstring(::GetCurrentProcessId()) +
                L"-" + std::to_wstring(++counter_))
    {
        HKEY key = nullptr;
        vendor_existed_ = ::RegOpenKeyExW(HKEY_CURRENT_USER, vendor_key.c_str(), 0, KEY_READ,
                                          &key) == ERROR_SUCCESS;
        if (vendor_existed_) {
            ::RegCloseKey(key);
        }
    }
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;
    ~ScratchKey()
    {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        ::RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
        if (!vendor_existed_) {
            // Fails, as it should, if anything else lives there now.
            ::RegDeleteKeyW(HKEY_CURRENT_USER, vendor_key.c_str());
        }
    }

    const std::wstring& path() const { return path_; }

private:
    static inline unsigned counter_ = 0;
    std::wstring path_;
    bool vendor_existed_ = false;
};

bool key_exists(const std::wstring& path)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    ::RegCloseKey(key);
    return true;
}

// Writes a value with the raw API, bypassing the store under test.
void set_raw(const std::wstring& path, const std::wstring& name, DWORD type, const void* data,
             DWORD size)
{
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr,
                                REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const LONG result =
        ::RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(key);
    ASSERT_EQ(result, ERROR_SUCCESS);
}

void set_raw_text(const std::wstring& path, const std::wstring& name, const std::wstring& text)
{
    set_raw(path, name, REG_SZ, text.c_str(),
            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void set_raw_dword(const std::wstring& path, const std::wstring& name, DWORD number)
{
    set_raw(path, name, REG_DWORD, &number, sizeof(number));
}

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// Reads a value with the raw API.
std::optional<RawValue> get_raw(const std::wstring& path, const std::wstring& name)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    RawValue value;
    DWORD size = 0;
    LONG result = ::RegQueryValueExW(key, name.c_str(), nullptr, &value.type, nullptr, &size);
    if (result == ERROR_SUCCESS) {
        value.data.resize(size + 1);
        result = ::RegQueryValueExW(key, name.c_str(), nullptr, &value.type, value.data.data(),
                                    &size);
        value.data.resize(size);
    }
    ::RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

std::vector<BYTE> bytes_of_text(const std::wstring& text)
{
    std::vector<BYTE> bytes((text.size() + 1) * sizeof(wchar_t));
    std::memcpy(bytes.data(), text.c_str(), bytes.size());
    return bytes;
}

std::vector<BYTE> bytes_of_dword(DWORD number)
{
    std::vector<BYTE> bytes(sizeof(number));
    std::memcpy(bytes.data(), &number, sizeof(number));
    return bytes;
}

struct RegistryBackend {
    ScratchKey scratch;
    RegistryStore registry;

    KeyValueStore& store() { return registry; }
    std::wstring root() { return scratch.path(); }
    void put_other(const std::wstring& path, const std::wstring& name)
    {
        const BYTE blob[3] = {1, 2, 3};
        set_raw(path, name, REG_BINARY, blob, sizeof(blob));
    }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Registry, StoreContract, RegistryBackend);

// Hands every path to the registry below a scratch key, so that the settings
// operations run against the real registry without touching the user's own
// settings.
class ScratchStore final : public KeyValueStore {
public:
    explicit ScratchStore(std::wstring root) : root_(std::move(root)) {}

    OpenKey open_for_read(std::wstring_view path) override
    {
        return registry_.open_for_read(below(path));
    }
    OpenKey open_for_write(std::wstring_view path) override
    {
        return registry_.open_for_write(below(path));
    }
    OpenKey create(std::wstring_view path) override { return registry_.create(below(path)); }

    std::wstring below(std::wstring_view path) const
    {
        return root_ + L"\\" + std::wstring(path);
    }

private:
    std::wstring root_;
    RegistryStore registry_;
};

class RegistrySettings : public ::testing::Test {
protected:
    ScratchKey scratch_;
    ScratchStore store_{scratch_.path()};
};

TEST_F(RegistrySettings, WithoutTheKeyLoadFailsAndTheFirstSaveWritesAllEightValues)
{
    Settings s;
    EXPECT_FALSE(load_settings(s, store_));
    EXPECT_FALSE(load_export_columns(s, store_));
    EXPECT_FALSE(load_battery_export_columns(s, store_));
    EXPECT_EQ(s, Settings{});

    s.port_name = L"COM5";
    s.zoom = 150;
    s.margin_right = -1;
    ASSERT_TRUE(save_settings(s, store_));

    const std::wstring main = store_.below(settings_key);
    struct Expected {
        const wchar_t* name;
        DWORD type;
        std::vector<BYTE> data;
    };
    const std::vector<Expected> expected = {
        {L"COM", REG_SZ, bytes_of_text(L"COM5")},
        {L"PaperSize", REG_DWORD, bytes_of_dword(1)},
        {L"PrintOrientation", REG_DWORD, bytes_of_dword(0)},
        {L"Zoom", REG_DWORD, bytes_of_dword(150)},
        {L"MarginTop", REG_DWORD, bytes_of_dword(10)},
        {L"MarginBottom", REG_DWORD, bytes_of_dword(10)},
        {L"MarginLeft", REG_DWORD, bytes_of_dword(10)},
        {L"MarginRight", REG_DWORD, bytes_of_dword(0xFFFFFFFFu)},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(e.name)));
        const auto raw = get_raw(main, e.name);
        ASSERT_TRUE(raw.has_value());
        EXPECT_EQ(raw->type, e.type);
        EXPECT_EQ(raw->data, e.data);
    }
    EXPECT_FALSE(key_exists(store_.below(export_columns_key)));

    Settings loaded;
    ASSERT_TRUE(load_settings(loaded, store_));
    EXPECT_EQ(loaded, s);
}

TEST_F(RegistrySettings, ValuesOfTheWrongTypeOrSizeAreIgnoredOneByOne)
{
    const std::wstring main = store_.below(settings_key);
    set_raw_text(main, L"PaperSize", L"3");
    set_raw_dword(main, L"Zoom", 80);
    set_raw_text(main, L"COM", std::wstring(256, L'C'));
    set_raw_dword(main, L"MarginTop", 0);

    Settings s;
    s.port_name = L"COM1";
    ASSERT_TRUE(load_settings(s, store_));
    EXPECT_EQ(s.paper_size, 1);
    EXPECT_EQ(s.port_name, L"COM1");
    EXPECT_EQ(s.zoom, 80);
    EXPECT_EQ(s.margin_top, 0);

    set_raw_text(main, L"COM", std::wstring(L"COM7\0old", 8));
    ASSERT_TRUE(load_settings(s, store_));
    EXPECT_EQ(s.port_name, L"COM7");
}

TEST_F(RegistrySettings, FlagsReadOnlyFromOneAndKeepTheirStateOtherwise)
{
    const std::wstring sub = store_.below(export_columns_key);
    set_raw_dword(sub, L"lot_number", 0);
    set_raw_dword(sub, L"number", 2);
    set_raw_text(sub, L"datetime", L"0");
    const BYTE blob[4] = {0, 0, 0, 0};
    set_raw(sub, L"joint_kind", REG_BINARY, blob, sizeof(blob));
    set_raw_dword(sub, L"joint_size", 1);

    Settings s;
    s.export_columns[4] = false;
    ASSERT_TRUE(load_export_columns(s, store_));
    EXPECT_FALSE(s.export_columns[0]);
    EXPECT_FALSE(s.export_columns[1]);
    EXPECT_TRUE(s.export_columns[2]);
    EXPECT_TRUE(s.export_columns[3]);
    EXPECT_TRUE(s.export_columns[4]);
    EXPECT_TRUE(s.export_columns[5]);  // missing
}

TEST_F(RegistrySettings, SavingOneFlagSetLeavesTheOtherAlone)
{
    Settings s;
    s.battery_export_columns.fill(false);
    ASSERT_TRUE(save_battery_export_columns(s, store_));
    s.export_columns[31] = false;
    ASSERT_TRUE(save_export_columns(s, store_));

    const auto ordinary = get_raw(store_.below(export_columns_key), L"remarks");
    ASSERT_TRUE(ordinary.has_value());
    EXPECT_EQ(ordinary->data, bytes_of_dword(0));
    EXPECT_EQ(get_raw(store_.below(export_columns_key), L"battery_type"), std::nullopt);

    Settings loaded;
    ASSERT_TRUE(load_battery_export_columns(loaded, store_));
    ASSERT_TRUE(load_export_columns(loaded, store_));
    EXPECT_EQ(loaded.battery_export_columns, s.battery_export_columns);
    EXPECT_EQ(loaded.export_columns, s.export_columns);
}

}  // namespace
}  // namespace kj
