#include "tests/support/memory_store.h"

namespace kj {

class MemoryStore::Key final : public StoreKey {
public:
    Key(MemoryStore& store, std::wstring path, bool writable)
        : store_(store), path_(std::move(path)), writable_(writable)
    {
        ++store_.open_keys_;
    }

    ~Key() override { --store_.open_keys_; }

    std::optional<StoredValue> read(std::wstring_view name,
                                    std::size_t capacity_bytes) override
    {
        if (store_.failing_reads_.contains({path_, std::wstring(name)})) {
            return std::nullopt;
        }
        const Values& values = store_.keys_.find(path_)->second;
        const auto found = values.find(name);
        if (found == values.end() || stored_size(found->second) > capacity_bytes) {
            return std::nullopt;
        }
        return found->second;
    }

    bool write(std::wstring_view name, const StoredValue& value) override
    {
        if (!writable_ || value.type == ValueType::other) {
            return false;
        }
        store_.keys_.find(path_)->second.insert_or_assign(std::wstring(name), value);
        store_.writes_.push_back({path_, std::wstring(name)});
        return true;
    }

private:
    MemoryStore& store_;
    std::wstring path_;  // always a key of store_.keys_: keys are never removed
    bool writable_;
};

MemoryStore::MemoryStore() = default;
MemoryStore::~MemoryStore() = default;

OpenKey MemoryStore::open(std::wstring_view path, bool writable)
{
    if (!has_key(path)) {
        return nullptr;
    }
    return std::make_unique<Key>(*this, std::wstring(path), writable);
}

OpenKey MemoryStore::open_for_read(std::wstring_view path)
{
    if (failing_read_opens_.contains(path)) {
        return nullptr;
    }
    return open(path, false);
}

OpenKey MemoryStore::open_for_write(std::wstring_view path)
{
    if (failing_write_opens_.contains(path)) {
        return nullptr;
    }
    return open(path, true);
}

OpenKey MemoryStore::create(std::wstring_view path)
{
    if (failing_creates_.contains(path)) {
        return nullptr;
    }
    create_key(path);
    return open(path, true);
}

void MemoryStore::create_key(std::wstring_view path)
{
    // Every parent exists as a key of its own, as in the registry.
    for (std::size_t separator = path.find(L'\\'); separator != std::wstring_view::npos;
         separator = path.find(L'\\', separator + 1)) {
        keys_.try_emplace(std::wstring(path.substr(0, separator)));
    }
    keys_.try_emplace(std::wstring(path));
}

void MemoryStore::put(std::wstring_view path, std::wstring_view name, StoredValue value)
{
    create_key(path);
    keys_.find(path)->second.insert_or_assign(std::wstring(name), std::move(value));
}

bool MemoryStore::has_key(std::wstring_view path) const
{
    return keys_.find(path) != keys_.end();
}

std::optional<MemoryStore::Values> MemoryStore::values(std::wstring_view path) const
{
    const auto found = keys_.find(path);
    if (found == keys_.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::optional<StoredValue> MemoryStore::get(std::wstring_view path,
                                            std::wstring_view name) const
{
    const auto key = keys_.find(path);
    if (key == keys_.end()) {
        return std::nullopt;
    }
    const auto value = key->second.find(name);
    if (value == key->second.end()) {
        return std::nullopt;
    }
    return value->second;
}

std::vector<std::wstring> MemoryStore::key_paths() const
{
    std::vector<std::wstring> paths;
    paths.reserve(keys_.size());
    for (const auto& entry : keys_) {
        paths.push_back(entry.first);
    }
    return paths;
}

void MemoryStore::fail_open_for_read(std::wstring_view path)
{
    failing_read_opens_.emplace(path);
}

void MemoryStore::fail_open_for_write(std::wstring_view path)
{
    failing_write_opens_.emplace(path);
}

void MemoryStore::fail_create(std::wstring_view path)
{
    failing_creates_.emplace(path);
}

void MemoryStore::fail_read(std::wstring_view path, std::wstring_view name)
{
    failing_reads_.emplace(std::wstring(path), std::wstring(name));
}

void MemoryStore::clear_failures()
{
    failing_read_opens_.clear();
    failing_write_opens_.clear();
    failing_creates_.clear();
    failing_reads_.clear();
}

}  // namespace kj
