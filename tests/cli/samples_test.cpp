#include <gtest/gtest.h>

#include "base/text_encoding.h"
#include "tests/samples/sample_files.h"
#include "tests/support/record_fixture.h"

namespace kj::test {
namespace {

// The committed sample files are exactly what the fixture builder makes.
TEST(SamplesTest, CommittedSamplesAreUpToDate) {
  for (const SampleFile& f : sampleFiles()) {
    const std::wstring path = fromUtf8(KJ_SAMPLES_DIR) + L"/" + f.name;
    EXPECT_EQ(readBytes(path), storedBytes(f.text)) << toUtf8(f.name) << ": run kj_make_samples samples";
  }
}

}  // namespace
}  // namespace kj::test
