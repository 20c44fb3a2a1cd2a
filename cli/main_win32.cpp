// kjvt58-cli: the record manager's command-line tool. The arguments arrive as
// UTF-16 through the wide entry point.
#include <string>
#include <vector>

#include "cli/console.h"

int wmain(int argc, wchar_t** argv) {
  kj::cli::prepareHeapForBulkWork();
  std::vector<std::wstring> args(argv + 1, argv + argc);
  return kj::cli::runConsole(args);
}
