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

// The records of the open and decode benchmark: the fixture's varied records,
// whose fitting barcode repeats.
int generate(const std::wstring& path, int count) {
  kj::test::writeBytes(path, kj::test::storedBytes(kj::test::headerlessBlock(
                                 kj::test::variedRecords(static_cast<std::size_t>(count)))));
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
