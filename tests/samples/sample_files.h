#pragma once
// The sample record files of samples/, built from field values.

#include <string>
#include <vector>

namespace kj::test {

struct SampleFile {
  std::wstring name;  // file name in samples/
  std::wstring text;  // the block text the file holds
};

std::vector<SampleFile> sampleFiles();

}  // namespace kj::test
