// Writes the sample record files: make_samples <folder>.
#include <cstdio>

#include "records_io/paths.h"
#include "base/text_encoding.h"
#include "tests/samples/sample_files.h"
#include "tests/support/record_fixture.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: kj_make_samples FOLDER\n", stderr);
    return 2;
  }
  const std::wstring folder = kj::fromUtf8(argv[1]);
  for (const kj::test::SampleFile& f : kj::test::sampleFiles()) {
    kj::test::writeBytes(folder + L"/" + f.name, kj::test::storedBytes(f.text));
    std::printf("%s\n", kj::toUtf8(f.name).c_str());
  }
  return 0;
}
