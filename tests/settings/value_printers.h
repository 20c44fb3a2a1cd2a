#pragma once

// Readable failure messages for the store's value type.

#include <ostream>

#include <gtest/gtest.h>

#include "settings/key_value_store.h"

namespace kj {

inline void PrintTo(const StoredValue& value, std::ostream* out)
{
    switch (value.type) {
    case ValueType::text:
        *out << "text " << ::testing::PrintToString(value.text);
        return;
    case ValueType::dword:
        *out << "dword " << value.dword;
        return;
    case ValueType::other:
        *out << "other";
        return;
    }
}

}  // namespace kj
