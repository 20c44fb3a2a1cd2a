// Writes the sample record files: make_samples <folder>. With
// --records N FILE it writes one headerless record file of N varied records
// instead, the large file of the dump timing (scripts/bench-dump).
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "records_io/paths.h"
#include "base/text_encoding.h"
#include "tests/samples/sample_files.h"
#include "tests/support/record_fixture.h"

int main(int argc, char** argv) {
  if (argc == 4 && std::string_view(argv[1]) == "--records") {
    const long count = std::strtol(argv[2], nullptr, 10);
    if (count < 0 || count > 65535) {
      std::fputs("kj_make_samples: --records takes 0 to 65535\n", stderr);
      return 2;
    }
    const auto records = kj::test::variedRecords(static_cast<std::size_t>(count));
    kj::test::writeBytes(kj::fromUtf8(argv[3]), kj::test::storedBytes(kj::test::headerlessBlock(records)));
    return 0;
  }
  if (argc != 2) {
    std::fputs("usage: kj_make_samples FOLDER | kj_make_samples --records N FILE\n", stderr);
    return 2;
  }
  const std::wstring folder = kj::fromUtf8(argv[1]);
  for (const kj::test::SampleFile& f : kj::test::sampleFiles()) {
    kj::test::writeBytes(folder + L"/" + f.name, kj::test::storedBytes(f.text));
    std::printf("%s\n", kj::toUtf8(f.name).c_str());
  }
  return 0;
}
