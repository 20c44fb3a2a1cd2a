// kjvt58-cli: the record manager's command-line tool. The arguments arrive as
// UTF-8 bytes.
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "cli/console.h"
#include "cli/receive.h"

int main(int argc, char** argv) {
  kj::cli::prepareHeapForBulkWork();
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.push_back(kj::fromUtf8(argv[i]));
  // receive talks to the console while it runs; every other command prints
  // when it is done.
  if (!args.empty() && args[0] == L"receive") return kj::cli::receiveOnConsole({args.begin() + 1, args.end()});
  return kj::cli::runConsole(args);
}
