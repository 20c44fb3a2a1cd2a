// Opening and decoding a full record file: 65,535 records, the most a block holds.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <optional>

#include "records_io/loaded_block.h"
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

constexpr int kRecords = 65535;

const std::wstring& recordFile() {
  static kj::test::TempDir dir;
  static const std::wstring path = [] {
    std::vector<kj::test::RecordFields> records;
    records.reserve(kRecords);
    for (int i = 0; i < kRecords; ++i) {
      kj::test::RecordFields r = kj::test::soundRecord(39, i);
      r[4] = L"24" + std::to_wstring(10 + i % 3) + L"1" + std::to_wstring(i % 10) + L"1430";
      r[13] = std::to_wstring(100 + i % 400);
      r[22] = i % 17 == 0 ? L"303" : L"500";
      r[36] = L"35" + std::to_wstring(10 + i % 50) + L".1234";
      kj::test::fixChecksums(r);
      records.push_back(std::move(r));
    }
    const std::wstring file = dir.file(L"full.efdx");
    kj::test::writeBytes(file, kj::test::storedBytes(kj::test::headerlessBlock(records)));
    return file;
  }();
  return path;
}

void BM_OpenAndDecodeFullFile(benchmark::State& state) {
  const std::wstring& path = recordFile();
  std::size_t peak_bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::size_t before = g_live.load();
    g_peak.store(before);
    state.ResumeTiming();
    std::optional<kj::LoadedBlock> block = kj::LoadedBlock::fromFile(path);
    if (!block || block->recordCount() != kRecords || block->counts().bad_count != 0) {
      state.SkipWithError("decode failed");
    }
    benchmark::DoNotOptimize(block);
    peak_bytes = g_peak.load() - before;
    state.PauseTiming();  // releasing the records is not part of opening them
    block.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
  state.counters["peak_bytes_per_record"] = static_cast<double>(peak_bytes) / kRecords;
}
BENCHMARK(BM_OpenAndDecodeFullFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

void* operator new(std::size_t size) { return counted(size); }
void* operator new[](std::size_t size) { return counted(size); }
void operator delete(void* p) noexcept { uncounted(p); }
void operator delete[](void* p) noexcept { uncounted(p); }
void operator delete(void* p, std::size_t) noexcept { uncounted(p); }
void operator delete[](void* p, std::size_t) noexcept { uncounted(p); }
