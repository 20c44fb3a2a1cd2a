#include "tests/bench/block_memory/process_memory.h"

#include <fstream>
#include <sstream>
#include <string>

namespace kj::bench {

// Linux tells the resident sizes in /proc/self/status, in kB; the anonymous part
// of the resident memory stands in for the private bytes, whose peak it does
// not keep.
ProcessMemory processMemory() {
  ProcessMemory m;
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    std::istringstream fields(line);
    std::string key;
    std::size_t kb = 0;
    if (!(fields >> key >> kb)) continue;
    if (key == "RssAnon:") m.private_bytes = kb * 1024;
    if (key == "VmRSS:") m.working_set = kb * 1024;
    if (key == "VmHWM:") m.peak_working_set = kb * 1024;
  }
  return m;
}

}  // namespace kj::bench
