#pragma once
// Texts handed over by another process in a copy-data message.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace kj::app {

// Data tag of the command line a second instance hands to the first.
inline constexpr std::uintptr_t command_line_tag = 1;

// The UTF-16 text at `data`, up to its first zero unit, when that zero unit
// lies wholly within `size` bytes; nothing when there is none there (or
// `data` is null). Reads no byte at or beyond data + size and makes no
// assumption about the alignment of `data`.
std::optional<std::wstring> copyDataText(const void* data, std::size_t size);

}  // namespace kj::app
