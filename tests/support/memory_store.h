#pragma once

// A KeyValueStore held in memory: the fallback where no persistent store is
// available, and the store the tests drive. Besides the store operations it
// lets a caller lay out keys and values directly, look at them, and make
// single operations fail the way a real store can.

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/key_value_store.h"

namespace kj {

class MemoryStore final : public KeyValueStore {
public:
    // Names of one key's values and their contents.
    using Values = std::map<std::wstring, StoredValue, std::less<>>;

    // One successful write through an open key, in the order they happened.
    struct Write {
        std::wstring path;
        std::wstring name;
        bool operator==(const Write&) const = default;
    };

    MemoryStore();
    ~MemoryStore() override;

    OpenKey open_for_read(std::wstring_view path) override;
    OpenKey open_for_write(std::wstring_view path) override;
    OpenKey create(std::wstring_view path) override;

    // Direct access, bypassing open keys and injected failures. Paths and
    // names are compared exactly. put creates the key (and its parents) when
    // needed and may store a value of any type, including ValueType::other.
    void put(std::wstring_view path, std::wstring_view name, StoredValue value);
    void create_key(std::wstring_view path);
    bool has_key(std::wstring_view path) const;
    // The values of a key, or nothing when the key does not exist.
    std::optional<Values> values(std::wstring_view path) const;
    std::optional<StoredValue> get(std::wstring_view path, std::wstring_view name) const;
    // Every key, parents included, in ascending order of path.
    std::vector<std::wstring> key_paths() const;

    // Injected failures; each lasts until clear_failures().
    void fail_open_for_read(std::wstring_view path);
    void fail_open_for_write(std::wstring_view path);
    void fail_create(std::wstring_view path);
    // Reading this one value fails although it exists.
    void fail_read(std::wstring_view path, std::wstring_view name);
    void clear_failures();

    const std::vector<Write>& writes() const { return writes_; }
    void clear_writes() { writes_.clear(); }
    // Keys opened through this store and not yet closed.
    std::size_t open_key_count() const { return open_keys_; }

private:
    class Key;

    using Paths = std::set<std::wstring, std::less<>>;

    OpenKey open(std::wstring_view path, bool writable);

    std::map<std::wstring, Values, std::less<>> keys_;
    Paths failing_read_opens_;
    Paths failing_write_opens_;
    Paths failing_creates_;
    std::set<std::pair<std::wstring, std::wstring>> failing_reads_;
    std::vector<Write> writes_;
    std::size_t open_keys_ = 0;
};

}  // namespace kj
