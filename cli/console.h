#pragma once
// The process side of kjvt58-cli: runs a command line and writes its output.

#include <string>
#include <vector>

namespace kj::cli {

// Runs the command line (the arguments after the program name), writes what it
// printed to stdout and stderr as UTF-8 bytes and returns the exit status. An
// error that escapes the command is reported with status 3.
int runConsole(const std::vector<std::wstring>& args);

// Puts stdout and stderr into binary mode where the C runtime would otherwise
// translate line ends (Windows); nothing elsewhere.
void useBinaryConsole();

// Prepares the process heap for a command that fills tens of megabytes with
// small allocations (a full block of decoded records): where the system
// allows, the heap grows in large steps backed by large pages, so that first
// touching it takes a few page faults instead of thousands. Nothing changes
// what the command computes. Called once, first thing in main.
void prepareHeapForBulkWork();

}  // namespace kj::cli
