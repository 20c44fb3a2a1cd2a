#include "tests/bench/block_memory/process_memory.h"

#include "base/win32_include.h"

#include <psapi.h>

namespace kj::bench {

ProcessMemory processMemory() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  ProcessMemory m;
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof counters)) {
    m.private_bytes = counters.PrivateUsage;
    m.peak_private_bytes = counters.PeakPagefileUsage;
    m.working_set = counters.WorkingSetSize;
    m.peak_working_set = counters.PeakWorkingSetSize;
  }
  return m;
}

}  // namespace kj::bench
