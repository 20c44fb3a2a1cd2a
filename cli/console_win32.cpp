#include "cli/console.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace kj::cli {

void useBinaryConsole() {
  // The output is UTF-8 bytes; the C runtime must not turn LF into CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

// The Windows heap grows by itself in large reserved regions.
void prepareHeapForBulkWork() {}

}  // namespace kj::cli
