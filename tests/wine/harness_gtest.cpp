// Tests of the Windows test main itself. They are disabled: the harness
// tests run them one at a time on purpose and check how the process ends.

#include <gtest/gtest.h>

#include <thread>

namespace {

int* volatile null_target = nullptr;

TEST(WindowsTestMain, DISABLED_CrashInWorkerThread) {
  std::thread worker([] { *null_target = 1; });
  worker.join();
}

TEST(WindowsTestMain, DISABLED_CrashInTestBody) {
  *null_target = 1;
}

}  // namespace
