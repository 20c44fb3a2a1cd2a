// libFuzzer entry point; the body and its checks are in tests/fuzz/receive_check.cpp.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return kj::fuzz::runOrAbort(&kj::fuzz::checkReceive, data, size);
}
