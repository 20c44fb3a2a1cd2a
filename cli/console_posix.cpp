#include "cli/console.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#endif

namespace kj::cli {

void useBinaryConsole() {}

void prepareHeapForBulkWork() {
#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)
  // The heap grows by this much beyond each request, so that one growth
  // holds a full block's records; untouched parts cost nothing.
  constexpr std::size_t step = std::size_t{256} << 20;
  constexpr std::uintptr_t large_page = std::uintptr_t{2} << 20;
  if (mallopt(M_TOP_PAD, static_cast<int>(step)) == 0) return;
  const auto before = reinterpret_cast<std::uintptr_t>(sbrk(0));
  // A request below the mmap threshold that the first small heap cannot
  // serve makes the heap grow by it and the step.
  void* probe = std::malloc(std::size_t{120} << 10);
  const auto after = reinterpret_cast<std::uintptr_t>(sbrk(0));
  if (probe != nullptr && after > before + large_page) {
    const std::uintptr_t first = (before + large_page - 1) & ~(large_page - 1);
    const std::uintptr_t last = after & ~(large_page - 1);
    // Only advice: a refusal leaves the heap as it was.
    if (last > first) (void)madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
  }
  std::free(probe);
#endif
}

}  // namespace kj::cli
