#include "settings/registry_store.h"

#include "base/win32_include.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kj {

namespace {

// Sole owner of one open registry key handle.
class UniqueHkey {
public:
    UniqueHkey() = default;
    explicit UniqueHkey(HKEY key) noexcept : key_(key) {}
    UniqueHkey(UniqueHkey&& other) noexcept : key_(other.release()) {}
    UniqueHkey& operator=(UniqueHkey&& other) noexcept
    {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueHkey(const UniqueHkey&) = delete;
    UniqueHkey& operator=(const UniqueHkey&) = delete;
    ~UniqueHkey() { reset(); }

    HKEY get() const noexcept { return key_; }
    HKEY release() noexcept
    {
        HKEY key = key_;
        key_ = nullptr;
        return key;
    }
    void reset(HKEY key = nullptr) noexcept
    {
        if (key_ != nullptr) {
            ::RegCloseKey(key_);
        }
        key_ = key;
    }
    explicit operator bool() const noexcept { return key_ != nullptr; }

private:
    HKEY key_ = nullptr;
};

constexpr REGSAM read_access = KEY_READ;
constexpr REGSAM write_access = KEY_READ | KEY_WRITE;

class RegistryKey final : public StoreKey {
public:
    explicit RegistryKey(UniqueHkey key) : key_(std::move(key)) {}

    std::optional<StoredValue> read(std::wstring_view name,
                                    std::size_t capacity_bytes) override
    {
        if (capacity_bytes > std::numeric_limits<DWORD>::max()) {
            capacity_bytes = std::numeric_limits<DWORD>::max();
        }
        // One spare byte keeps the data pointer non-null for a zero capacity:
        // with a null pointer the call would succeed and report only the size.
        std::vector<BYTE> buffer(capacity_bytes + 1, 0);
        const std::wstring name_z(name);
        DWORD type = REG_NONE;
        auto size = static_cast<DWORD>(capacity_bytes);
        // A value larger than the buffer fails with ERROR_MORE_DATA.
        if (::RegQueryValueExW(key_.get(), name_z.c_str(), nullptr, &type, buffer.data(),
                               &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }

        StoredValue value;
        if (type == REG_SZ) {
            value.type = ValueType::text;
            value.text.resize(size / sizeof(wchar_t));
            std::memcpy(value.text.data(), buffer.data(), value.text.size() * sizeof(wchar_t));
            // The terminator is usually stored with the text, but the registry
            // does not insist on it.
            if (!value.text.empty() && value.text.back() == L'\0') {
                value.text.pop_back();
            }
        } else if (type == REG_DWORD) {
            value.type = ValueType::dword;
            std::memcpy(&value.dword, buffer.data(),
                        std::min<std::size_t>(size, sizeof(value.dword)));
        } else {
            value.type = ValueType::other;
        }
        return value;
    }

    bool write(std::wstring_view name, const StoredValue& value) override
    {
        const std::wstring name_z(name);
        switch (value.type) {
        case ValueType::text: {
            const std::size_t bytes = (value.text.size() + 1) * sizeof(wchar_t);
            if (bytes > std::numeric_limits<DWORD>::max()) {
                return false;
            }
            return ::RegSetValueExW(key_.get(), name_z.c_str(), 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(value.text.c_str()),
                                    static_cast<DWORD>(bytes)) == ERROR_SUCCESS;
        }
        case ValueType::dword: {
            const DWORD number = value.dword;
            return ::RegSetValueExW(key_.get(), name_z.c_str(), 0, REG_DWORD,
                                    reinterpret_cast<const BYTE*>(&number),
                                    sizeof(number)) == ERROR_SUCCESS;
        }
        case ValueType::other:
            break;
        }
        return false;
    }

private:
    UniqueHkey key_;
};

OpenKey wrap(HKEY key)
{
    UniqueHkey owner(key);  // closes the key should the allocation throw
    return std::make_unique<RegistryKey>(std::move(owner));
}

OpenKey open_key(std::wstring_view path, REGSAM access)
{
    const std::wstring path_z(path);
    HKEY key = nullptr;
    // After a failure the output handle holds nothing to close; only a success
    // hands over a key.
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path_z.c_str(), 0, access, &key) !=
        ERROR_SUCCESS) {
        return nullptr;
    }
    return wrap(key);
}

}  // namespace

OpenKey RegistryStore::open_for_read(std::wstring_view path)
{
    return open_key(path, read_access);
}

OpenKey RegistryStore::open_for_write(std::wstring_view path)
{
    return open_key(path, write_access);
}

OpenKey RegistryStore::create(std::wstring_view path)
{
    const std::wstring path_z(path);
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, path_z.c_str(), 0, nullptr,
                          REG_OPTION_NON_VOLATILE, write_access, nullptr, &key,
                          nullptr) != ERROR_SUCCESS) {
        return nullptr;
    }
    return wrap(key);
}

}  // namespace kj
