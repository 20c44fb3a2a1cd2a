// The fuzz target bodies replayed over the committed seed corpus and over the
// inputs that once made them fail (tests/fuzz/regressions/<target>/), in every
// build, without libFuzzer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "record/record_text.h"
#include "tests/fuzz/fuzz_checks.h"
#include "tests/fuzz/seed_corpus.h"

namespace kj::fuzz {
namespace {

const std::filesystem::path fuzz_dir = KJ_FUZZ_DIR;

std::string readAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(FuzzReplayTest, CommittedSeedCorpusIsUpToDate) {
  for (const SeedInput& seed : seedCorpus()) {
    const std::filesystem::path path = fuzz_dir / "corpus" / seed.target / seed.name;
    EXPECT_EQ(readAll(path), seed.bytes) << path.string() << ": run kj_make_fuzz_corpus tests/fuzz/corpus";
  }
}

TEST(FuzzReplayTest, SeedsAndRegressionInputsPassEveryCheck) {
  for (const char* target : {"record_file", "header", "barcode", "receive"}) {
    const Check check = checkByName(target);
    ASSERT_NE(check, nullptr) << target;
    bool any_seed = false;
    for (const char* kind : {"corpus", "regressions"}) {
      const std::filesystem::path dir = fuzz_dir / kind / target;
      if (!std::filesystem::is_directory(dir)) continue;
      for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (!entry.is_regular_file()) continue;
        const std::string bytes = readAll(entry.path());
        if (std::string_view(kind) == "corpus") any_seed = true;
        EXPECT_EQ(check(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), "")
            << entry.path().string();
      }
    }
    // The corpus is where the path says; otherwise nothing would be replayed.
    EXPECT_TRUE(any_seed) << "no seed inputs for " << target << " in " << fuzz_dir.string();
  }
}

// The row check of the record file target is not one that holds for any rows.
TEST(FuzzChecksTest, RowsOutsideTheTextAreReported) {
  const std::wstring text = L"5,\x02" L"a,bc\x03";
  const std::wstring elsewhere = L"a,bc";
  const std::wstring_view whole = text;
  struct Case {
    const char* what;
    Rows rows;
    bool holds;
  };
  const Case cases[] = {
      {"the rows splitRecords makes", splitRecords(text, 1), true},
      {"no rows", {}, true},
      {"the whole text", {{whole}}, true},
      {"a field in another string", {{whole.substr(3, 1), std::wstring_view(elsewhere).substr(2, 2)}}, false},
      {"a field running past the end", {{std::wstring_view(text.data() + 6, 3)}}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(checkRowsInText(text, c.rows).empty(), c.holds) << c.what;
}

}  // namespace
}  // namespace kj::fuzz
