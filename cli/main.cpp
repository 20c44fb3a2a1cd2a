// kjvt58-cli: the record manager's command-line tool.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/dump.h"
#include "records_io/text_encoding.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {
int run(const std::vector<std::wstring>& args) {
  std::string out;
  std::string err;
  int status = 2;
  try {
    status = kj::cli::runCli(args, out, err);
  } catch (const std::exception& e) {
    err = std::string("kjvt58-cli: ") + e.what() + "\n";
    out.clear();
    status = 3;
  }
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fwrite(err.data(), 1, err.size(), stderr);
  std::fflush(stdout);
  return status;
}
}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring> args(argv + 1, argv + argc);
  return run(args);
}
#else
int main(int argc, char** argv) {
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.push_back(kj::fromUtf8(argv[i]));
  return run(args);
}
#endif
