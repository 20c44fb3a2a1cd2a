#pragma once

// The settings store of the Windows build: the current user's registry hive
// (HKEY_CURRENT_USER). Key paths are subkeys of that hive. Windows only; the
// implementation lives in registry_store_win32.cpp.

#include <string_view>

#include "settings/key_value_store.h"

namespace kj {

class RegistryStore final : public KeyValueStore {
public:
    RegistryStore() = default;

    OpenKey open_for_read(std::wstring_view path) override;
    OpenKey open_for_write(std::wstring_view path) override;
    // Creates a non-volatile key with default security.
    OpenKey create(std::wstring_view path) override;
};

}  // namespace kj
