// Writes the seed inputs of the fuzz targets: kj_make_fuzz_corpus <folder>
// (tests/fuzz/corpus), one sub-folder per target.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/fuzz/seed_corpus.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: kj_make_fuzz_corpus FOLDER\n", stderr);
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  for (const kj::fuzz::SeedInput& seed : kj::fuzz::seedCorpus()) {
    std::filesystem::create_directories(folder / seed.target);
    const std::filesystem::path path = folder / seed.target / seed.name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(seed.bytes.data(), static_cast<std::streamsize>(seed.bytes.size()));
    out.close();
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
      return 1;
    }
    std::printf("%s/%s (%zu bytes)\n", seed.target.c_str(), seed.name.c_str(), seed.bytes.size());
  }
  return 0;
}
