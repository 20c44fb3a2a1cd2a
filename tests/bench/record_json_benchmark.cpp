// Writing decoded records as JSON: 20,000 records of a headerless file, as
// kjvt58-cli dump --json writes them (about 28 MB).
#include <benchmark/benchmark.h>

#include <string>

#include "cli/record_json.h"
#include "records_io/record_file_reader.h"
#include "tests/support/record_fixture.h"

namespace {

constexpr std::size_t kJsonRecords = 20000;

const kj::RecordVector<kj::file::Efdx>& decodedRecords() {
  static const kj::RecordVector<kj::file::Efdx> records = [] {
    kj::test::TempDir dir;
    const std::wstring file = dir.file(L"json.efdx");
    kj::test::writeBytes(file,
                         kj::test::storedBytes(kj::test::headerlessBlock(kj::test::variedRecords(kJsonRecords))));
    kj::EfdxReader reader;
    if (!reader.open(file)) return kj::RecordVector<kj::file::Efdx>{};
    bool any_coord = false;
    int bad = 0;
    int abnormal = 0;
    return reader.parseRecords(any_coord, bad, abnormal);
  }();
  return records;
}

void BM_RecordsAsJson(benchmark::State& state) {
  const auto& records = decodedRecords();
  if (!records || records->size() != kJsonRecords) {
    state.SkipWithError("decode failed");
    return;
  }
  std::size_t bytes = 0;
  for (auto _ : state) {
    // As the dump does it: one output string with room for every record.
    std::string out;
    kj::cli::reserveRecordsJson(out, records->size());
    out += '[';
    bool first = true;
    for (const kj::file::Efdx& r : *records) {
      if (!first) out += ", ";
      first = false;
      kj::cli::appendRecordJson(out, r);
    }
    out += ']';
    bytes = out.size();
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kJsonRecords));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
  state.counters["json_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_RecordsAsJson)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
