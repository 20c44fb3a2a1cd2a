#include "cli/console.h"

#include <cstdio>
#include <exception>

#include "cli/dump.h"

namespace kj::cli {

int runConsole(const std::vector<std::wstring>& args) {
  std::string out;
  std::string err;
  int status = exit_usage;
  try {
    status = runCli(args, out, err);
  } catch (const std::exception& e) {
    err = std::string("kjvt58-cli: ") + e.what() + "\n";
    out.clear();
    status = exit_internal;
  }
  useBinaryConsole();
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fwrite(err.data(), 1, err.size(), stderr);
  std::fflush(stdout);
  return status;
}

}  // namespace kj::cli
