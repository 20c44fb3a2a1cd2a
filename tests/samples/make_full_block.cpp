// Writes a record file of sound plain records for the start-up measure:
// kj_make_full_block FILE [COUNT] (COUNT 1-65535, default 65535, the most a
// block holds). Dates, resistances, end codes and positions vary from record
// to record (the fixture's varied records).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "tests/support/record_fixture.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fputs("usage: kj_make_full_block FILE [COUNT]\n", stderr);
    return 2;
  }
  const long count = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 65535;
  if (count < 1 || count > 65535) {
    std::fputs("kj_make_full_block: COUNT must be 1-65535\n", stderr);
    return 2;
  }
  const auto records = kj::test::variedRecords(static_cast<std::size_t>(count));
  kj::test::writeBytes(kj::fromUtf8(argv[1]), kj::test::storedBytes(kj::test::headerlessBlock(records)));
  std::printf("%ld\n", count);
  return 0;
}
