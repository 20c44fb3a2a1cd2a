#include "settings/key_value_store.h"

#include <utility>

namespace kj {

namespace {

// A template so that the branch for the other width of wchar_t is never
// instantiated (it would compare a 16-bit value against 0xFFFF).
template <typename Char>
std::size_t utf16_length(std::basic_string_view<Char> text)
{
    if constexpr (sizeof(Char) == 2) {
        return text.size();
    } else {
        std::size_t units = 0;
        for (const Char c : text) {
            units += static_cast<std::uint32_t>(c) > 0xFFFFu ? 2 : 1;
        }
        return units;
    }
}

}  // namespace

StoredValue StoredValue::of_text(std::wstring value)
{
    StoredValue v;
    v.type = ValueType::text;
    v.text = std::move(value);
    return v;
}

StoredValue StoredValue::of_dword(std::uint32_t value)
{
    StoredValue v;
    v.type = ValueType::dword;
    v.dword = value;
    return v;
}

std::size_t stored_size(const StoredValue& value)
{
    switch (value.type) {
    case ValueType::text:
        // Counted in UTF-16 units whatever the width of wchar_t here, so that
        // the limits match the registry on every platform.
        return 2 * (utf16_length(std::wstring_view(value.text)) + 1);
    case ValueType::dword:
        return 4;
    case ValueType::other:
        break;
    }
    return 0;
}

}  // namespace kj
