#include "base/memory_advice.h"

#include <sys/mman.h>

#include <cstdint>

namespace kj {

void preferLargePages(void* data, std::size_t size) noexcept {
#ifdef MADV_HUGEPAGE
  constexpr std::uintptr_t large_page = std::uintptr_t{2} << 20;
  const auto begin = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (begin + large_page - 1) & ~(large_page - 1);
  const std::uintptr_t last = (begin + size) & ~(large_page - 1);
  if (size < large_page || last <= first) return;
  // Only advice: a refusal leaves the buffer as it was.
  (void)madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
  (void)data;
  (void)size;
#endif
}

}  // namespace kj
