#include <signal.h>
#include <unistd.h>

#include <atomic>

#include "cli/receive.h"

namespace kj::cli {
namespace {

std::atomic<bool> g_interrupted{false};
struct sigaction g_previous {};

void onInterrupt(int) { g_interrupted.store(true); }

}  // namespace

void watchInterrupt() {
  g_interrupted.store(false);
  struct sigaction sa {};
  sa.sa_handler = onInterrupt;
  sigemptyset(&sa.sa_mask);
  (void)sigaction(SIGINT, &sa, &g_previous);
}

void unwatchInterrupt() { (void)sigaction(SIGINT, &g_previous, nullptr); }

bool interruptRequested() { return g_interrupted.load(); }

bool stderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace kj::cli
