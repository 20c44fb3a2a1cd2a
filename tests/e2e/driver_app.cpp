#include "tests/e2e/driver_app.h"

namespace e2e {

std::wstring quotedArgument(const std::wstring& path) { return L"\"" + path + L"\""; }

App App::start(const Environment& env, const std::wstring& arguments) {
  // A window left by an earlier scenario would take this start's command line
  // (single instance) and the process would end at once.
  waitFor(kExitTimeout, L"no record manager window left from before",
          [] { return allTopWindows(ids::kMainClass).empty(); });
  return App(Process::start(env.app, arguments));
}

App App::attach(DWORD pid) { return App(Process::attach(pid)); }

HWND App::main() {
  if (!main_) {
    main_ = waitFor(kWindowTimeout, L"the main window (class kj_vt58) of " + process_.commandLine(), [&]() -> HWND {
      if (!process_.running()) {
        const auto code = process_.waitExit(Millis(0));
        fail(L"the program ended before showing its main window, exit code " + std::to_wstring(code.value_or(0)));
      }
      const auto found = topWindows(pid(), ids::kMainClass);
      return found.empty() ? nullptr : found.front();
    });
  }
  return main_;
}

HWND App::waitIdle() {
  HWND w = main();
  waitFor(kWindowTimeout, L"the main window to be shown", [&] {
    if (HWND box = findMessageBox(pid())) {
      const MessageBoxView view = readMessageBox(box);
      fail(L"unexpected message box " + quoted(view.text) + L" (caption " + quoted(view.caption) + L")");
    }
    return windowVisible(w);
  });
  return w;
}

RemoteListView App::list() { return RemoteListView(requireChild(main(), ids::kList, L"main window")); }

RemoteStatusBar App::status() { return RemoteStatusBar(requireChild(main(), ids::kStatusBar, L"main window")); }

std::vector<std::vector<std::wstring>> App::rows() { return list().rows(5); }

HWND App::detail() {
  for (HWND w : topWindows(pid(), L"#32770")) {
    if (windowVisible(w) && childById(w, ids::kDetailIndex)) return w;
  }
  return nullptr;
}

HWND App::waitDetail() {
  return waitFor(kWindowTimeout, L"the record detail dialog", [&] { return detail(); });
}

MessageBoxView App::waitMessageBox(std::wstring_view what) { return e2e::waitMessageBox(pid(), kWindowTimeout, what); }

HWND App::button(std::wstring_view name) {
  HWND b = childByText(main(), L"Button", name);
  if (!b) fail(L"the main window has no button named " + quoted(name));
  return b;
}

DWORD App::waitExit(std::wstring_view what) {
  const auto code = process_.waitExit(kExitTimeout);
  if (!code) {
    std::wstring extra;
    if (HWND box = findMessageBox(pid())) extra = L"; a message box is open: " + quoted(readMessageBox(box).text);
    fail(L"the program did not end after " + std::wstring(what) + extra);
  }
  return *code;
}

}  // namespace e2e
