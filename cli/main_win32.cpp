// kjvt58-cli: the record manager's command-line tool. The arguments arrive as
// UTF-16 through the wide entry point.
#include <string>
#include <vector>

#include "cli/console.h"
#include "cli/receive.h"

int wmain(int argc, wchar_t** argv) {
  kj::cli::prepareHeapForBulkWork();
  std::vector<std::wstring> args(argv + 1, argv + argc);
  // receive talks to the console while it runs; every other command prints
  // when it is done.
  if (!args.empty() && args[0] == L"receive") return kj::cli::receiveOnConsole({args.begin() + 1, args.end()});
  return kj::cli::runConsole(args);
}
