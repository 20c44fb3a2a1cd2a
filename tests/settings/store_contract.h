#pragma once

// Behaviour every KeyValueStore must show, written once and run against each
// store. The settings code relies on exactly these rules, so the in-memory
// store the settings tests use must behave like the registry here.
//
// A backend type B provides:
//   kj::KeyValueStore& store();
//   std::wstring root();   // a key path that is free for the test to use
//   void put_other(const std::wstring& path, const std::wstring& name);
//                          // stores a value that is neither text nor dword
// and removes whatever the test left below root() when it is destroyed.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/key_value_store.h"
#include "value_printers.h"

namespace kj {

template <typename Backend>
class StoreContract : public ::testing::Test {
protected:
    KeyValueStore& store() { return backend_.store(); }
    std::wstring path(std::wstring_view relative)
    {
        return backend_.root() + L"\\" + std::wstring(relative);
    }
    void put_other(const std::wstring& key_path, const std::wstring& name)
    {
        backend_.put_other(key_path, name);
    }

    // Writes one value through a freshly created key and closes the key.
    void put(const std::wstring& key_path, std::wstring_view name, const StoredValue& value)
    {
        const OpenKey key = store().create(key_path);
        ASSERT_NE(key, nullptr);
        ASSERT_TRUE(key->write(name, value));
    }

    // Reads one value through a key opened for reading.
    std::optional<StoredValue> get(const std::wstring& key_path, std::wstring_view name,
                                   std::size_t capacity = 1024)
    {
        const OpenKey key = store().open_for_read(key_path);
        if (!key) {
            ADD_FAILURE() << "key cannot be opened for reading";
            return std::nullopt;
        }
        return key->read(name, capacity);
    }

private:
    Backend backend_;
};

TYPED_TEST_SUITE_P(StoreContract);

TYPED_TEST_P(StoreContract, MissingKeyOpensOnlyThroughCreate)
{
    const std::wstring key_path = this->path(L"Missing");
    EXPECT_EQ(this->store().open_for_read(key_path), nullptr);
    EXPECT_EQ(this->store().open_for_write(key_path), nullptr);

    EXPECT_NE(this->store().create(key_path), nullptr);
    EXPECT_NE(this->store().open_for_read(key_path), nullptr);
    EXPECT_NE(this->store().open_for_write(key_path), nullptr);
}

TYPED_TEST_P(StoreContract, CreateMakesTheParentKeys)
{
    ASSERT_NE(this->store().create(this->path(L"Parent\\Child\\Grandchild")), nullptr);
    EXPECT_NE(this->store().open_for_read(this->path(L"Parent")), nullptr);
    EXPECT_NE(this->store().open_for_read(this->path(L"Parent\\Child")), nullptr);
}

TYPED_TEST_P(StoreContract, CreateKeepsTheValuesOfAnExistingKey)
{
    const std::wstring key_path = this->path(L"Existing");
    this->put(key_path, L"Kept", StoredValue::of_dword(7));

    const OpenKey again = this->store().create(key_path);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->read(L"Kept", 4), StoredValue::of_dword(7));
}

TYPED_TEST_P(StoreContract, ValuesComeBackWithTheirType)
{
    const std::vector<StoredValue> cases = {
        StoredValue::of_text(L""),
        StoredValue::of_text(L"COM3"),
        StoredValue::of_text(L"融着記録"),
        StoredValue::of_text(std::wstring(L"COM4\0tail", 9)),
        StoredValue::of_text(std::wstring(255, L'x')),
        StoredValue::of_dword(0),
        StoredValue::of_dword(1),
        StoredValue::of_dword(0x80000000u),
        StoredValue::of_dword(0xFFFFFFFFu),
    };
    const std::wstring key_path = this->path(L"RoundTrip");
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "case " << i);
        const std::wstring name = L"Value" + std::to_wstring(i);
        this->put(key_path, name, cases[i]);
        EXPECT_EQ(this->get(key_path, name), cases[i]);
    }
}

TYPED_TEST_P(StoreContract, ValueLargerThanTheBufferIsNotRead)
{
    struct Case {
        StoredValue value;
        std::size_t capacity;
        bool fits;
    };
    const std::vector<Case> cases = {
        {StoredValue::of_text(std::wstring(255, L'C')), 512, true},
        {StoredValue::of_text(std::wstring(256, L'C')), 512, false},
        {StoredValue::of_text(L""), 2, true},
        {StoredValue::of_text(L""), 1, false},
        {StoredValue::of_text(L"1"), 4, true},
        {StoredValue::of_text(L"12"), 4, false},
        {StoredValue::of_dword(5), 4, true},
        {StoredValue::of_dword(5), 3, false},
    };
    const std::wstring key_path = this->path(L"Capacity");
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "case " << i);
        const std::wstring name = L"Value" + std::to_wstring(i);
        this->put(key_path, name, cases[i].value);
        const auto read = this->get(key_path, name, cases[i].capacity);
        if (cases[i].fits) {
            EXPECT_EQ(read, cases[i].value);
        } else {
            EXPECT_EQ(read, std::nullopt);
        }
    }
}

TYPED_TEST_P(StoreContract, MissingValueIsNotRead)
{
    const std::wstring key_path = this->path(L"Sparse");
    this->put(key_path, L"Present", StoredValue::of_dword(1));
    EXPECT_EQ(this->get(key_path, L"Absent"), std::nullopt);
}

TYPED_TEST_P(StoreContract, WriteReplacesAValueOfAnotherType)
{
    const std::wstring key_path = this->path(L"Retyped");
    this->put(key_path, L"Value", StoredValue::of_text(L"text"));
    this->put(key_path, L"Value", StoredValue::of_dword(9));
    EXPECT_EQ(this->get(key_path, L"Value"), StoredValue::of_dword(9));
}

TYPED_TEST_P(StoreContract, KeyOpenedForReadingRefusesWrites)
{
    const std::wstring key_path = this->path(L"ReadOnly");
    this->put(key_path, L"Value", StoredValue::of_dword(1));
    {
        const OpenKey key = this->store().open_for_read(key_path);
        ASSERT_NE(key, nullptr);
        EXPECT_FALSE(key->write(L"Value", StoredValue::of_dword(2)));
        EXPECT_FALSE(key->write(L"New", StoredValue::of_dword(2)));
    }
    EXPECT_EQ(this->get(key_path, L"Value"), StoredValue::of_dword(1));
    EXPECT_EQ(this->get(key_path, L"New"), std::nullopt);
}

TYPED_TEST_P(StoreContract, ValueOfAnotherKindReadsAsOther)
{
    const std::wstring key_path = this->path(L"Foreign");
    ASSERT_NE(this->store().create(key_path), nullptr);
    this->put_other(key_path, L"Blob");
    const auto read = this->get(key_path, L"Blob");
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->type, ValueType::other);
}

TYPED_TEST_P(StoreContract, ValueOfTypeOtherIsNotWritten)
{
    const std::wstring key_path = this->path(L"NoOther");
    const OpenKey key = this->store().create(key_path);
    ASSERT_NE(key, nullptr);
    EXPECT_FALSE(key->write(L"Blob", StoredValue{}));
    EXPECT_EQ(key->read(L"Blob", 1024), std::nullopt);
}

TYPED_TEST_P(StoreContract, SubkeysHoldTheirOwnValues)
{
    const std::wstring parent = this->path(L"Outer");
    const std::wstring child = this->path(L"Outer\\Inner");
    this->put(parent, L"Value", StoredValue::of_dword(1));
    this->put(child, L"Value", StoredValue::of_dword(2));
    EXPECT_EQ(this->get(parent, L"Value"), StoredValue::of_dword(1));
    EXPECT_EQ(this->get(child, L"Value"), StoredValue::of_dword(2));
}

REGISTER_TYPED_TEST_SUITE_P(StoreContract, MissingKeyOpensOnlyThroughCreate,
                            CreateMakesTheParentKeys, CreateKeepsTheValuesOfAnExistingKey,
                            ValuesComeBackWithTheirType, ValueLargerThanTheBufferIsNotRead,
                            MissingValueIsNotRead, WriteReplacesAValueOfAnotherType,
                            KeyOpenedForReadingRefusesWrites, ValueOfAnotherKindReadsAsOther,
                            ValueOfTypeOtherIsNotWritten, SubkeysHoldTheirOwnValues);

}  // namespace kj
