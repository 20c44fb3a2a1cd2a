#include "tests/records_io/allocation_meter.h"

#include <cstdlib>
#include <new>

// Every allocation of this test program carries its size in a prefix, so that
// the meter of the allocating thread can follow what is live.
namespace {

constexpr std::size_t prefix = alignof(std::max_align_t) > 16 ? alignof(std::max_align_t) : 16;

struct ThreadMeter {
  bool active = false;
  std::size_t cap = 0;
  long long live = 0;  // can go below zero: blocks made before the meter are freed under it
  long long peak = 0;
};

thread_local ThreadMeter meter;

void* allocate(std::size_t size) {
  if (meter.active && meter.cap != 0 && meter.live + static_cast<long long>(size) > static_cast<long long>(meter.cap)) {
    throw std::bad_alloc();
  }
  void* p = std::malloc(size + prefix);
  if (p == nullptr) throw std::bad_alloc();
  *static_cast<std::size_t*>(p) = size;
  if (meter.active) {
    meter.live += static_cast<long long>(size);
    if (meter.live > meter.peak) meter.peak = meter.live;
  }
  return static_cast<char*>(p) + prefix;
}

void release(void* p) noexcept {
  if (p == nullptr) return;
  char* base = static_cast<char*>(p) - prefix;
  if (meter.active) meter.live -= static_cast<long long>(*reinterpret_cast<std::size_t*>(base));
  std::free(base);
}

}  // namespace

namespace kj::test {

AllocationMeter::AllocationMeter(std::size_t cap) { meter = ThreadMeter{true, cap, 0, 0}; }

AllocationMeter::~AllocationMeter() { meter.active = false; }

std::size_t AllocationMeter::peak() const { return static_cast<std::size_t>(meter.peak); }

}  // namespace kj::test

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }
