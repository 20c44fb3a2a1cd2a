#pragma once
// Measures the heap the current thread takes within a scope: the peak of the
// bytes allocated and not yet released since the meter was made. A meter with a
// cap refuses (std::bad_alloc) an allocation that would take the peak beyond it,
// so a test of a bound fails without first exhausting the machine.

#include <cstddef>

namespace kj::test {

class AllocationMeter {
 public:
  explicit AllocationMeter(std::size_t cap = 0);
  ~AllocationMeter();
  AllocationMeter(const AllocationMeter&) = delete;
  AllocationMeter& operator=(const AllocationMeter&) = delete;

  // Highest number of bytes live at once since construction.
  std::size_t peak() const;
};

}  // namespace kj::test
