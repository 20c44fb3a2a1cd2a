#pragma once

// The persistent store behind the settings: nested keys holding named text
// and 32-bit values. On Windows it is the current user's registry hive; the
// portable code only sees this interface.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kj {

enum class ValueType {
    text,   // REG_SZ
    dword,  // REG_DWORD
    other,  // any other kind a store may hold; never written by this program
};

// One stored value. Only the member matching `type` is meaningful.
struct StoredValue {
    ValueType type = ValueType::other;
    // For text: the characters as stored, without the terminating null that
    // the store keeps after them. Embedded nulls are kept as they are.
    std::wstring text;
    std::uint32_t dword = 0;

    static StoredValue of_text(std::wstring value);
    static StoredValue of_dword(std::uint32_t value);

    bool operator==(const StoredValue&) const = default;
};

// Number of bytes a value occupies in the store, the way the registry counts
// them: a text takes two bytes per UTF-16 unit plus a two-byte terminator, a
// 32-bit value four bytes. Read capacities are compared against this.
std::size_t stored_size(const StoredValue& value);

// An open key. Destroying it closes the key; there is no other way to close
// it. A key must not outlive the store that opened it.
class StoreKey {
public:
    StoreKey() = default;
    StoreKey(const StoreKey&) = delete;
    StoreKey& operator=(const StoreKey&) = delete;
    virtual ~StoreKey() = default;

    // Reads the value `name` of this key into a buffer of `capacity_bytes`
    // bytes. Returns nothing when the value does not exist, cannot be read,
    // or needs more than `capacity_bytes` (see stored_size). A value of any
    // type is returned with its type; checking the type is the caller's job.
    virtual std::optional<StoredValue> read(std::wstring_view name,
                                            std::size_t capacity_bytes) = 0;

    // Writes `value` under `name`, replacing any value of that name whatever
    // its type. Returns false when the store refuses the write: on a key
    // opened for reading, or for a value of type other.
    virtual bool write(std::wstring_view name, const StoredValue& value) = 0;
};

using OpenKey = std::unique_ptr<StoreKey>;

// Key paths are relative to the store's root, with components separated by
// a backslash, e.g. L"SOFTWARE\\TOVANIC\\KJVT58". Every operation returns an
// empty pointer when it fails; callers treat that as "this key is not
// available" and do not ask why. Called from one thread only.
class KeyValueStore {
public:
    KeyValueStore() = default;
    KeyValueStore(const KeyValueStore&) = delete;
    KeyValueStore& operator=(const KeyValueStore&) = delete;
    virtual ~KeyValueStore() = default;

    // Opens an existing key for reading; fails when it does not exist.
    virtual OpenKey open_for_read(std::wstring_view path) = 0;
    // Opens an existing key for reading and writing; fails when it does not
    // exist.
    virtual OpenKey open_for_write(std::wstring_view path) = 0;
    // Opens the key for reading and writing, creating it and any missing
    // parent keys first. An existing key keeps its values.
    virtual OpenKey create(std::wstring_view path) = 0;
};

}  // namespace kj
