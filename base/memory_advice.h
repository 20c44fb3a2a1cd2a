#pragma once
// Hints to the system about how a large buffer will be used.

#include <cstddef>

namespace kj {

// The buffer [data, data + size) is about to be filled from start to end:
// where the system can, it backs the buffer with large pages, so that filling
// tens of megabytes takes a few page faults instead of thousands. Only whole
// large pages inside the buffer are affected; nothing happens where the
// system has no such pages. The contents are not changed.
void preferLargePages(void* data, std::size_t size) noexcept;

}  // namespace kj
