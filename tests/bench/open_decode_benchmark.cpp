// Loading record files: full blocks of 20,000 and 65,535 records (the most a
// block holds), and blocks that announce far more records than they hold.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <memory>
#include <new>
#include <optional>

#include "records_io/loaded_block.h"
#include "records_io/record_file_reader.h"
#include "tests/support/record_fixture.h"

namespace {

// Heap accounting for the peak-memory figure: every allocation carries its size
// in a 16-byte prefix.
std::atomic<std::size_t> g_live{0};
std::atomic<std::size_t> g_peak{0};

void* counted(std::size_t size) {
  void* p = std::malloc(size + 16);
  if (!p) throw std::bad_alloc();
  *static_cast<std::size_t*>(p) = size;
  const std::size_t live = g_live.fetch_add(size) + size;
  std::size_t peak = g_peak.load();
  while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
  }
  return static_cast<char*>(p) + 16;
}

void uncounted(void* p) noexcept {
  if (!p) return;
  char* base = static_cast<char*>(p) - 16;
  g_live.fetch_sub(*reinterpret_cast<std::size_t*>(base));
  std::free(base);
}

kj::test::TempDir& benchDir() {
  static kj::test::TempDir dir;
  return dir;
}

// A headerless .efdx of `count` sound records of varying dates, resistances,
// end codes and positions; the fitting's barcode repeats, as on a site.
const std::wstring& recordFile(int count) {
  static std::map<int, std::wstring> paths;
  auto& path = paths[count];
  if (!path.empty()) return path;
  const auto records = kj::test::variedRecords(static_cast<std::size_t>(count));
  path = benchDir().file(L"full" + std::to_wstring(count) + L".efdx");
  kj::test::writeBytes(path, kj::test::storedBytes(kj::test::headerlessBlock(records)));
  return path;
}

void BM_LoadFullFile(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::wstring& path = recordFile(count);
  std::size_t peak_bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::size_t before = g_live.load();
    g_peak.store(before);
    state.ResumeTiming();
    std::optional<kj::LoadedBlock> block = kj::LoadedBlock::fromFile(path);
    if (!block || block->recordCount() != static_cast<std::size_t>(count) || block->counts().bad_count != 0) {
      state.SkipWithError("decode failed");
    }
    benchmark::DoNotOptimize(block);
    peak_bytes = g_peak.load() - before;
    state.PauseTiming();  // releasing the records is not part of loading them
    block.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * count);
  state.counters["peak_bytes_per_record"] = static_cast<double>(peak_bytes) / count;
}
BENCHMARK(BM_LoadFullFile)->Arg(20000)->Arg(65535)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Files of the decoded text `unit` repeated after `head`, rejected as invalid.
const std::wstring& rejectedFile(int which) {
  static std::map<int, std::wstring> paths;
  auto& path = paths[which];
  if (!path.empty()) return path;
  struct Shape {
    const wchar_t* name;
    const char* head;
    const char* unit;
    std::size_t repeat;
  };
  static const Shape shapes[] = {
      {L"stx.mrgx", "1,", "\x02", 5'000'000},          // 5 MB of STX characters
      {L"pairs.mrgx", "1,", "\x02\x03", 3'000'000},    // 3 million empty records
      {L"count.efdx", "65535,", "", 0},                // a 6-byte header announcing 65,535
  };
  const Shape& shape = shapes[which];
  std::string text = shape.head;
  for (std::size_t i = 0; i < shape.repeat; ++i) text += shape.unit;
  std::string stored;
  for (char c : text) stored.push_back(static_cast<char>(kj::substituteByte(static_cast<unsigned char>(c))));
  path = benchDir().file(shape.name);
  kj::test::writeBytes(path, stored);
  return path;
}

void BM_RejectAnnouncedRecords(benchmark::State& state) {
  const std::wstring& path = rejectedFile(static_cast<int>(state.range(0)));
  std::size_t peak_bytes = 0;
  for (auto _ : state) {
    const std::size_t before = g_live.load();
    g_peak.store(before);
    std::optional<kj::LoadedBlock> block = kj::LoadedBlock::fromFile(path);
    if (!block || block->outcome() != kj::LoadOutcome::invalid) state.SkipWithError("not rejected");
    benchmark::DoNotOptimize(block);
    peak_bytes = g_peak.load() - before;
  }
  state.counters["peak_bytes"] = static_cast<double>(peak_bytes);
}
BENCHMARK(BM_RejectAnnouncedRecords)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace

void* operator new(std::size_t size) { return counted(size); }
void* operator new[](std::size_t size) { return counted(size); }
void operator delete(void* p) noexcept { uncounted(p); }
void operator delete[](void* p) noexcept { uncounted(p); }
void operator delete(void* p, std::size_t) noexcept { uncounted(p); }
void operator delete[](void* p, std::size_t) noexcept { uncounted(p); }
