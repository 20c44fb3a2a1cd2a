#pragma once
// The memory of this process as the system counts it, in bytes; 0 where the
// system does not tell.

#include <cstddef>

namespace kj::bench {

struct ProcessMemory {
  std::size_t private_bytes = 0;       // committed memory of this process alone
  std::size_t peak_private_bytes = 0;  // the most of it so far
  std::size_t working_set = 0;         // resident memory
  std::size_t peak_working_set = 0;    // the most of it so far
};

ProcessMemory processMemory();

}  // namespace kj::bench
