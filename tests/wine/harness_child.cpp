// A program that ends badly on request. The harness tests run it through the
// launcher to prove that every kind of bad ending reaches CTest as a failure.
//
//   kj_wine_harness_child exit <code>   returns <code> from main
//   kj_wine_harness_child crash         writes through a null pointer
//   kj_wine_harness_child throw         lets a C++ exception escape main

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

// volatile so that the compiler cannot prove the store undefined and drop it.
int* volatile null_target = nullptr;

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "exit") == 0) {
    const int code = std::atoi(argv[2]);
    std::printf("harness child: exiting with %d\n", code);
    return code;
  }
  if (argc == 2 && std::strcmp(argv[1], "crash") == 0) {
    std::printf("harness child: writing through a null pointer\n");
    std::fflush(stdout);
    *null_target = 1;
    std::printf("harness child: still alive after the write\n");
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "throw") == 0) {
    std::printf("harness child: throwing out of main\n");
    std::fflush(stdout);
    throw std::runtime_error("escaped main");
  }
  std::fprintf(stderr, "usage: kj_wine_harness_child exit <code> | crash | throw\n");
  return 2;
}
