// main() of the Windows test binaries, in place of gtest_main.
//
// Built with MSVC, GoogleTest turns a structured exception inside a test body
// into a test failure; built with mingw it cannot, and nowhere can it catch a
// crash on a worker thread, in a static initialiser or at exit. The filter
// below names the exception and the test that was running, then ends the
// process with the exception's status, which the launcher reports as an
// abnormal end.

#include <gtest/gtest.h>

#include <windows.h>

#include <charconv>
#include <cstdint>
#include <cstring>

namespace {

void write_stderr(const char* text, std::size_t length) {
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err == nullptr || err == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(err, text, static_cast<DWORD>(length), &written, nullptr);
}

void write_stderr(const char* text) { write_stderr(text, std::strlen(text)); }

void write_hex(std::uintptr_t value) {
  char digits[2 + 2 * sizeof value];
  digits[0] = '0';
  digits[1] = 'x';
  const auto end = std::to_chars(digits + 2, digits + sizeof digits, value, 16).ptr;
  write_stderr(digits, static_cast<std::size_t>(end - digits));
}

// Runs on the crashing thread with the process in an unknown state: no heap,
// no C runtime streams, only WriteFile on the standard error handle.
LONG WINAPI report_unhandled_exception(EXCEPTION_POINTERS* info) {
  const DWORD status = info->ExceptionRecord->ExceptionCode;
  write_stderr("\nunhandled exception ");
  write_hex(status);
  write_stderr(" at ");
  write_hex(reinterpret_cast<std::uintptr_t>(info->ExceptionRecord->ExceptionAddress));
  if (const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info()) {
    write_stderr(" during test ");
    write_stderr(test->test_suite_name());
    write_stderr(".");
    write_stderr(test->name());
  }
  write_stderr("\n");
  TerminateProcess(GetCurrentProcess(), status);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int main(int argc, char** argv) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(report_unhandled_exception);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
