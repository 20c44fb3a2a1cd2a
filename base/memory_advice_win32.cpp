#include "base/memory_advice.h"

namespace kj {

// Large pages on Windows need a privilege the program does not have; the
// buffer keeps the ordinary pages.
void preferLargePages(void*, std::size_t) noexcept {}

}  // namespace kj
