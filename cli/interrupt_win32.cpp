#include <atomic>

#include "base/win32_include.h"
#include "cli/receive.h"

namespace kj::cli {
namespace {

std::atomic<bool> g_interrupted{false};

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI onConsoleEvent(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
    g_interrupted.store(true);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

void watchInterrupt() {
  g_interrupted.store(false);
  (void)SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

void unwatchInterrupt() { (void)SetConsoleCtrlHandler(onConsoleEvent, FALSE); }

bool interruptRequested() { return g_interrupted.load(); }

bool stderrIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace kj::cli
