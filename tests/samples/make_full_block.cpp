// Writes a record file of sound plain records for the start-up measure:
// kj_make_full_block FILE [COUNT] (COUNT 1-65535, default 65535, the most a
// block holds). Dates, resistances and end codes vary from record to record.
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
  std::vector<kj::test::RecordFields> records;
  records.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < static_cast<int>(count); ++i) {
    kj::test::RecordFields r = kj::test::soundRecord(39, i);
    r[4] = L"24" + std::to_wstring(10 + i % 3) + L"1" + std::to_wstring(i % 10) + L"1430";
    r[13] = std::to_wstring(100 + i % 400);
    r[22] = i % 17 == 0 ? L"303" : L"500";
    kj::test::fixChecksums(r);
    records.push_back(std::move(r));
  }
  kj::test::writeBytes(kj::fromUtf8(argv[1]), kj::test::storedBytes(kj::test::headerlessBlock(records)));
  std::printf("%ld\n", count);
  return 0;
}
