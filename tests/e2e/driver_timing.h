#pragma once
// The start-up measure of scripts/bench-startup: how long kjvt58.exe takes
// from its start with a record file to the list holding every record and the
// record detail dialog being shown.

#include <string>

#include "tests/e2e/driver_app.h"

namespace e2e {

// Starts the program `runs` times with `file` and prints one line per run:
// "start FILE RECORDS SECONDS cpu SECONDS" (wall time, then the program's own
// processor time). Each run fails unless the list shows exactly
// `records` rows and the detail dialog appears within the time limit. Exit
// code 0 when every run finished, 1 otherwise.
int timeStartUp(const Environment& env, const std::wstring& file, int records, int runs);

}  // namespace e2e
