#include <gtest/gtest.h>

#include <optional>
#include <random>

#include "cli/dump.h"
#include "record/record_text.h"
#include "records_io/loaded_block.h"
#include "tests/samples/sample_files.h"
#include "tests/support/json_reader.h"

namespace kj::cli {
namespace {

// Damaged blocks (characters replaced, dropped, inserted, the text cut short)
// never let an error escape the decoder, and always dump as valid JSON with
// one entry per record. Run under the sanitizers this also covers reading past
// a field or a row.
TEST(RobustnessTest, DamagedBlocksDecodeAndDumpSafely) {
  std::mt19937 rng(20261210);
  const std::vector<test::SampleFile> samples = test::sampleFiles();
  const std::wstring alphabet = std::wstring(L"0123456789,,,,\x01\x02\x03-+ .eExXFfSNWinfa") + wchar_t(0xFF80) +
                                wchar_t(0xFFFF) + L"\"\\";
  const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
  for (int iteration = 0; iteration < 1500; ++iteration) {
    std::wstring text = samples[pick(samples.size())].text;
    const std::size_t damage = 1 + pick(8);
    for (std::size_t d = 0; d < damage && !text.empty(); ++d) {
      const std::size_t at = pick(text.size());
      switch (pick(4)) {
        case 0: text[at] = alphabet[pick(alphabet.size())]; break;
        case 1: text.erase(at, 1 + pick(5)); break;
        case 2: text.insert(at, 1, alphabet[pick(alphabet.size())]); break;
        default: text.resize(at); break;
      }
    }
    for (const bool short_block : {false, true}) {
      file::Header header;
      try {
        header = parseHeader(text, short_block);
      } catch (const std::logic_error&) {
        continue;  // an unreadable header is a refused file, not a fault
      }
      // Each decoder meets every damaged text: the header's kind picks it.
      for (const BlockKind kind : {BlockKind::Headerless39, BlockKind::TaggedBT}) {
        file::Header as_kind = header;
        as_kind.kind = static_cast<std::int32_t>(kind);
        std::optional<LoadedBlock> loaded;
        ASSERT_NO_THROW(loaded = LoadedBlock::fromReceived(as_kind, text));
        test::JsonValue doc;
        ASSERT_NO_THROW(doc = test::parseJson(dumpJson(*loaded))) << "iteration " << iteration;
        EXPECT_EQ(doc["records"].array().size(), loaded->recordCount()) << "iteration " << iteration;
      }
    }
  }
}

}  // namespace
}  // namespace kj::cli
