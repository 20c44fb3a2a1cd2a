#include "tests/support/memory_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store_contract.h"
#include "value_printers.h"

namespace kj {
namespace {

struct MemoryBackend {
    MemoryStore memory;

    KeyValueStore& store() { return memory; }
    std::wstring root() { return L"SOFTWARE\\TOVANIC\\KJVT58"; }
    void put_other(const std::wstring& path, const std::wstring& name)
    {
        memory.put(path, name, StoredValue{});
    }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Memory, StoreContract, MemoryBackend);

const std::wstring key_path = L"SOFTWARE\\TOVANIC\\KJVT58";

TEST(MemoryStoreFailures, InjectedOpenFailuresHitOnlyTheirOperationAndKey)
{
    const std::wstring other_path = key_path + L"\\EfdxExportProps";
    struct Case {
        const char* label;
        void (MemoryStore::*inject)(std::wstring_view);
        bool read_opens, write_opens, create_opens;
    };
    const std::vector<Case> cases = {
        {"open for read", &MemoryStore::fail_open_for_read, false, true, true},
        {"open for write", &MemoryStore::fail_open_for_write, true, false, true},
        {"create", &MemoryStore::fail_create, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        MemoryStore store;
        store.create_key(key_path);
        store.create_key(other_path);
        (store.*c.inject)(key_path);

        EXPECT_EQ(store.open_for_read(key_path) != nullptr, c.read_opens);
        EXPECT_EQ(store.open_for_write(key_path) != nullptr, c.write_opens);
        EXPECT_EQ(store.create(key_path) != nullptr, c.create_opens);
        EXPECT_NE(store.open_for_read(other_path), nullptr);
        EXPECT_NE(store.open_for_write(other_path), nullptr);
        EXPECT_NE(store.create(other_path), nullptr);

        store.clear_failures();
        EXPECT_NE(store.open_for_read(key_path), nullptr);
        EXPECT_NE(store.open_for_write(key_path), nullptr);
        EXPECT_NE(store.create(key_path), nullptr);
    }
}

TEST(MemoryStoreFailures, FailedCreateMakesNoKey)
{
    MemoryStore store;
    store.fail_create(key_path);
    EXPECT_EQ(store.create(key_path), nullptr);
    EXPECT_FALSE(store.has_key(key_path));
}

TEST(MemoryStoreFailures, InjectedReadFailureHitsOnlyThatValue)
{
    MemoryStore store;
    store.put(key_path, L"Zoom", StoredValue::of_dword(80));
    store.put(key_path, L"MarginTop", StoredValue::of_dword(5));
    store.fail_read(key_path, L"Zoom");

    const OpenKey key = store.open_for_read(key_path);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->read(L"Zoom", 4), std::nullopt);
    EXPECT_EQ(key->read(L"MarginTop", 4), StoredValue::of_dword(5));
    // The value itself is still there.
    EXPECT_EQ(store.get(key_path, L"Zoom"), StoredValue::of_dword(80));
}

TEST(MemoryStoreContents, JournalListsSuccessfulWritesInOrder)
{
    MemoryStore store;
    const std::wstring sub_path = key_path + L"\\EfdxExportProps";
    {
        const OpenKey main = store.create(key_path);
        const OpenKey sub = store.create(sub_path);
        ASSERT_NE(main, nullptr);
        ASSERT_NE(sub, nullptr);
        main->write(L"Zoom", StoredValue::of_dword(1));
        sub->write(L"coord", StoredValue::of_dword(0));
        main->write(L"COM", StoredValue::of_text(L"COM2"));
        main->write(L"Refused", StoredValue{});
    }
    {
        const OpenKey read_only = store.open_for_read(key_path);
        ASSERT_NE(read_only, nullptr);
        read_only->write(L"Zoom", StoredValue::of_dword(2));
    }
    const std::vector<MemoryStore::Write> expected = {
        {key_path, L"Zoom"}, {sub_path, L"coord"}, {key_path, L"COM"}};
    EXPECT_EQ(store.writes(), expected);
    // Direct puts are not writes through a key.
    store.put(key_path, L"Direct", StoredValue::of_dword(3));
    EXPECT_EQ(store.writes(), expected);
}

TEST(MemoryStoreContents, OpenKeysAreCountedUntilDestroyed)
{
    MemoryStore store;
    store.create_key(key_path);
    OpenKey first = store.open_for_read(key_path);
    OpenKey second = store.open_for_write(key_path);
    EXPECT_EQ(store.open_key_count(), 2u);

    OpenKey moved = std::move(first);
    EXPECT_EQ(store.open_key_count(), 2u);
    moved.reset();
    EXPECT_EQ(store.open_key_count(), 1u);
    second.reset();
    EXPECT_EQ(store.open_key_count(), 0u);

    EXPECT_EQ(store.open_for_read(L"SOFTWARE\\Missing"), nullptr);
    EXPECT_EQ(store.open_key_count(), 0u);
}

TEST(MemoryStoreContents, ValuesShowAKeyExactlyAndNothingForAMissingKey)
{
    MemoryStore store;
    store.put(key_path, L"COM", StoredValue::of_text(L"COM1"));
    store.put(key_path, L"Zoom", StoredValue::of_dword(60));

    const MemoryStore::Values expected = {{L"COM", StoredValue::of_text(L"COM1")},
                                          {L"Zoom", StoredValue::of_dword(60)}};
    EXPECT_EQ(store.values(key_path), expected);
    EXPECT_EQ(store.values(L"SOFTWARE\\TOVANIC"), MemoryStore::Values{});
    EXPECT_EQ(store.values(L"SOFTWARE\\Missing"), std::nullopt);
    EXPECT_EQ(store.get(L"SOFTWARE\\Missing", L"COM"), std::nullopt);
}

TEST(StoredSize, CountsUtf16UnitsAndTheTerminator)
{
    struct Case {
        StoredValue value;
        std::size_t bytes;
    };
    const std::vector<Case> cases = {
        {StoredValue::of_text(L""), 2},
        {StoredValue::of_text(L"COM3"), 10},
        {StoredValue::of_text(L"融着"), 6},
        // A character outside the basic plane takes a surrogate pair.
        {StoredValue::of_text(L"\U0001F600"), 6},
        {StoredValue::of_dword(0xFFFFFFFFu), 4},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "case " << i);
        EXPECT_EQ(stored_size(cases[i].value), cases[i].bytes);
    }
}

}  // namespace
}  // namespace kj
