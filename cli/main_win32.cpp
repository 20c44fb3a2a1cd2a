// kjvt58-cli: the record manager's command-line tool. The arguments arrive as
// UTF-16 through the wide entry point.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/console.h"

namespace kj::cli {
void useBinaryConsole() {
  // The output is UTF-8 bytes; the C runtime must not turn LF into CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}
}  // namespace kj::cli

int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring> args(argv + 1, argv + argc);
  return kj::cli::runConsole(args);
}
