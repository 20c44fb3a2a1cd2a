// kj_wine_launcher: runs one program as a child process and exits with the
// child's exit code.
//
//   kj_wine_launcher.exe <program> [arguments...]
//
// Everything after the launcher's own name is handed to CreateProcessW
// unchanged, so quoting survives as the caller wrote it. The child shares the
// launcher's standard handles.
//
// Why this exists: when a program crashes under Wine, the status that reaches
// the Linux side is the NTSTATUS cut to its low byte (0xC0000005 -> 5), and
// with Wine's debugger stepping in it is sometimes 0, so a crashing test can
// look like a passing one. Seen from inside Wine, GetExitCodeProcess reports
// the full status reliably, and the launcher itself always ends normally, so
// the code it returns is the code Linux sees.
//
// Exit codes: the child's code when it is 0..255; 255 when the child ended
// with a code that does not fit in a byte (an exception status, or an exit
// code Linux would truncate, such as 256 -> 0); 254 when the child could not
// be started or waited for.

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr int kAbnormalEnd = 255;
constexpr int kLaunchFailed = 254;

// Returns the part of a command line that follows its first argument, using
// the same rules as the C runtime: the program name ends at the first blank
// outside double quotes and contains no escapes.
const wchar_t* skip_program_name(const wchar_t* command_line) {
  const wchar_t* p = command_line;
  bool quoted = false;
  for (; *p != L'\0'; ++p) {
    if (*p == L'"') {
      quoted = !quoted;
    } else if (!quoted && (*p == L' ' || *p == L'\t')) {
      break;
    }
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return p;
}

// CTest hands us Linux paths ("/home/ci/project/build/x.exe"). Wine resolves a path that
// starts with a slash against the current drive, which is wrong when the
// working folder lies inside the prefix's drive_c, so name the root drive
// explicitly: Wine maps Z: to "/".
std::wstring windows_command_line(const wchar_t* rest) {
  std::wstring line(rest);
  const std::size_t start = (!line.empty() && line[0] == L'"') ? 1 : 0;
  if (line.size() > start + 1 && line[start] == L'/' && line[start + 1] != L'/') {
    std::size_t end = start;
    while (end < line.size() &&
           (start == 1 ? line[end] != L'"' : (line[end] != L' ' && line[end] != L'\t'))) {
      if (line[end] == L'/') line[end] = L'\\';
      ++end;
    }
    line.insert(start, L"Z:");
  }
  return line;
}

// An inheritable copy of one of our standard handles, or null when we have
// none. The child gets copies because the originals Wine gives a process are
// not necessarily marked inheritable.
HANDLE inheritable_std_handle(DWORD which) {
  HANDLE original = GetStdHandle(which);
  if (original == nullptr || original == INVALID_HANDLE_VALUE) return nullptr;
  HANDLE copy = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), original, GetCurrentProcess(), &copy, 0, TRUE,
                       DUPLICATE_SAME_ACCESS)) {
    return nullptr;
  }
  return copy;
}

const wchar_t* describe_status(DWORD status) {
  switch (status) {
    case 0xC0000005: return L"access violation";
    case 0xC000001D: return L"illegal instruction";
    case 0xC0000094: return L"integer division by zero";
    case 0xC00000FD: return L"stack overflow";
    case 0xC0000374: return L"heap corruption";
    case 0xC0000409: return L"stack buffer overrun / fast fail";
    case 0x80000003: return L"breakpoint";
    default: return (status & 0xC0000000u) == 0xC0000000u ? L"exception" : L"exit code out of range";
  }
}

}  // namespace

int wmain() {
  // A crash of the child must not wait for anyone to close a dialog. The
  // error mode is inherited by the child.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);

  const wchar_t* rest = skip_program_name(GetCommandLineW());
  if (*rest == L'\0') {
    std::fwprintf(stderr, L"usage: kj_wine_launcher <program> [arguments...]\n");
    return kLaunchFailed;
  }
  std::wstring command_line = windows_command_line(rest);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inheritable_std_handle(STD_INPUT_HANDLE);
  startup.hStdOutput = inheritable_std_handle(STD_OUTPUT_HANDLE);
  startup.hStdError = inheritable_std_handle(STD_ERROR_HANDLE);

  std::fflush(stdout);
  std::fflush(stderr);

  // Now and then Wine fails to bring a new process up (ERROR_INTERNAL_ERROR:
  // it died before running any of its code), so a failed start is retried.
  // The child's own code has not run at that point; nothing is hidden.
  PROCESS_INFORMATION child{};
  constexpr int kAttempts = 3;
  for (int attempt = 1;; ++attempt) {
    if (CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &child)) {
      break;
    }
    const DWORD error = GetLastError();
    std::fwprintf(stderr, L"kj_wine_launcher: cannot start %ls (error %lu)%ls\n",
                  command_line.c_str(), error, attempt < kAttempts ? L", trying again" : L"");
    if (attempt == kAttempts || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return kLaunchFailed;
    }
    Sleep(static_cast<DWORD>(500 * attempt));
  }
  CloseHandle(child.hThread);

  DWORD status = 0;
  if (WaitForSingleObject(child.hProcess, INFINITE) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(child.hProcess, &status)) {
    std::fwprintf(stderr, L"kj_wine_launcher: lost track of %ls (error %lu)\n",
                  command_line.c_str(), GetLastError());
    return kLaunchFailed;
  }
  CloseHandle(child.hProcess);

  if (status <= 255) return static_cast<int>(status);

  std::fwprintf(stderr, L"kj_wine_launcher: %ls ended abnormally: 0x%08lX (%ls)\n",
                command_line.c_str(), status, describe_status(status));
  return kAbnormalEnd;
}
