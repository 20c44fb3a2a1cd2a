#include "tests/e2e/driver_timing.h"

#include <chrono>
#include <ratio>
#include <cstdio>
#include <thread>

namespace e2e {
namespace {

// Bounds a failure only: the old record list took close to a minute for a
// full block under Wine.
constexpr Millis kStartUpLimit{300000};

std::wstring secondsText(Clock::duration d) {
  const auto millis = std::chrono::duration_cast<Millis>(d).count();
  wchar_t text[32];
  std::swprintf(text, sizeof text / sizeof text[0], L"%lld.%03lld", static_cast<long long>(millis / 1000),
                static_cast<long long>(millis % 1000));
  return text;
}

struct StartUp {
  Clock::duration wall{};
  // Processor time of the program itself (user and kernel) until then: less
  // at the mercy of other load on the machine than the wall time.
  Clock::duration processor{};
};

Clock::duration processorTime(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return {};
  const auto ticks = [](const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  // FILETIME counts 100 ns units.
  return std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<unsigned long long, std::ratio<1, 10000000>>(ticks(kernel) + ticks(user)));
}

// One start; the seconds until the list and the detail dialog are there.
StartUp timeOneStart(const Environment& env, const std::wstring& file, int records) {
  // A window left from before would take the command line instead.
  waitFor(kExitTimeout, L"no record manager window left from before",
          [] { return allTopWindows(ids::kMainClass).empty(); });
  const auto start = Clock::now();
  App app = App::start(env, quotedArgument(file));
  const auto deadline = start + kStartUpLimit;
  for (;;) {
    if (!app.process().running()) fail(L"the program ended during its start with " + file);
    const auto main = topWindows(app.pid(), ids::kMainClass);
    if (!main.empty() && windowVisible(main.front())) {
      if (HWND box = findMessageBox(app.pid())) {
        fail(L"unexpected message box " + quoted(readMessageBox(box).text));
      }
      HWND list = childById(main.front(), ids::kList);
      if (list != nullptr && RemoteListView(list).count() == records && app.detail() != nullptr) break;
    }
    if (Clock::now() >= deadline) fail(L"the list of " + file + L" was not complete in time");
    std::this_thread::sleep_for(Millis(10));
  }
  const StartUp took{Clock::now() - start, processorTime(app.process().handle())};
  // The exit command ends the program without the closing question.
  PostMessageW(app.main(), WM_COMMAND, MAKEWPARAM(ids::kCmdExit, 0), 0);
  app.waitExit(L"the exit command");
  return took;
}

}  // namespace

int timeStartUp(const Environment& env, const std::wstring& file, int records, int runs) {
  int finished = 0;
  for (int run = 0; run < runs; ++run) {
    try {
      const auto took = timeOneStart(env, file, records);
      print(L"start " + file + L" " + std::to_wstring(records) + L" " + secondsText(took.wall) + L" cpu " +
            secondsText(took.processor) + L"\n");
      ++finished;
    } catch (const Failure& f) {
      printError(L"start " + file + L": " + f.message() + L"\n");
    }
  }
  return finished == runs ? 0 : 1;
}

}  // namespace e2e
