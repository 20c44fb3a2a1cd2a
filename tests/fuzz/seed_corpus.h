#pragma once
// The seed inputs of the fuzz targets, made by the record fixture builder:
// kj_make_fuzz_corpus writes them to tests/fuzz/corpus/<target>/<name>, and
// the replay test checks that the committed files are these.

#include <string>
#include <vector>

namespace kj::fuzz {

struct SeedInput {
  std::string target;  // record_file, header or barcode
  std::string name;
  std::string bytes;   // the whole input, first byte included
};

std::vector<SeedInput> seedCorpus();

}  // namespace kj::fuzz
