// The memory of loading one record file, measured as the system counts it.
//
//   kj_block_memory generate FILE COUNT   writes a headerless .efdx of COUNT records
//   kj_block_memory load FILE             loads it and prints the memory it took
//
// Load runs in a process of its own that has done nothing else, so that the
// peaks the system keeps belong to the load.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "records_io/loaded_block.h"
#include "tests/bench/block_memory/process_memory.h"
#include "tests/support/record_fixture.h"

namespace {

// The records of the open and decode benchmark: sound records of varying dates,
// resistances, end codes and positions; the fitting's barcode repeats.
int generate(const std::wstring& path, int count) {
  std::wstring text = std::to_wstring(count) + L",";
  for (int i = 0; i < count; ++i) {
    kj::test::RecordFields r = kj::test::soundRecord(39, i);
    r[4] = L"24" + std::to_wstring(10 + i % 3) + L"1" + std::to_wstring(i % 10) + L"1430";
    r[13] = std::to_wstring(100 + i % 400);
    r[22] = i % 17 == 0 ? L"303" : L"500";
    r[36] = L"35" + std::to_wstring(10 + i % 50) + L".1234";
    kj::test::fixChecksums(r);
    text += L"\r\n" + kj::test::framed(r);
  }
  kj::test::writeBytes(path, kj::test::storedBytes(text + L"\r\n"));
  return 0;
}

double perRecord(std::size_t after, std::size_t before, std::size_t records) {
  if (records == 0 || after < before) return 0;
  return static_cast<double>(after - before) / static_cast<double>(records);
}

int load(const std::wstring& path) {
  const kj::bench::ProcessMemory before = kj::bench::processMemory();
  const std::optional<kj::LoadedBlock> block = kj::LoadedBlock::fromFile(path);
  const kj::bench::ProcessMemory after = kj::bench::processMemory();
  if (!block || block->outcome() != kj::LoadOutcome::records) {
    std::fprintf(stderr, "kj_block_memory: %s is not a readable block of records\n", kj::toUtf8(path).c_str());
    return 1;
  }
  const std::size_t n = block->recordCount();
  std::printf("records                         %zu\n", n);
  std::printf("private bytes, held per record  %.0f\n", perRecord(after.private_bytes, before.private_bytes, n));
  std::printf("private bytes, peak per record  %.0f\n", perRecord(after.peak_private_bytes, before.private_bytes, n));
  std::printf("working set, held per record    %.0f\n", perRecord(after.working_set, before.working_set, n));
  std::printf("working set, peak per record    %.0f\n", perRecord(after.peak_working_set, before.working_set, n));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 3 && args[0] == "generate") return generate(kj::fromUtf8(args[1]), std::atoi(args[2].c_str()));
  if (args.size() == 2 && args[0] == "load") return load(kj::fromUtf8(args[1]));
  std::fputs("usage: kj_block_memory generate FILE COUNT | load FILE\n", stderr);
  return 2;
}
