#include "cli/console.h"

#include <cstdio>
#include <exception>

#include "cli/dump.h"

namespace kj::cli {

int runConsole(const std::vector<std::wstring>& args) {
  std::string out;
  std::string err;
  int status = exit_usage;
  // The blocks of the command are kept to the end of the process: freeing
  // tens of thousands of records one by one takes longer than the decoding
  // of many of them, and the system takes the memory back at exit anyway.
  static auto* const kept = new std::vector<LoadedBlock>;
  try {
    status = runCli(args, out, err, kept);
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
