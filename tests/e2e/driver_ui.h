#pragma once
// What the end-to-end driver does to another program: start it, find its
// windows, send it commands, read its controls (through the target's own
// memory where the system does not carry the data across), answer its message
// boxes and file dialogs, capture the screen, read and write the registry.
//
// Every wait has a time limit and fails with a Failure naming what it waited
// for; every message sent to another program has a time limit too, so a hung
// program makes the driver fail instead of hang.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tests/e2e/driver_support.h"
#include "tests/e2e/driver_windows.h"

namespace e2e {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::milliseconds;

// Generous limits: a Wine program's first window can take seconds on a busy
// machine. They only bound a failure; a passing run never waits for them.
inline constexpr Millis kWindowTimeout{20000};
inline constexpr Millis kExitTimeout{15000};
inline constexpr Millis kMessageTimeout{5000};

// Calls probe until it returns something true (a window, an engaged optional,
// true) and returns that; fails when the time is up.
template <class Probe>
auto waitFor(Millis timeout, std::wstring_view what, Probe probe) -> decltype(probe()) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    auto result = probe();
    if (result) return result;
    if (Clock::now() >= deadline) {
      fail(L"timed out after " + std::to_wstring(timeout.count()) + L" ms waiting for " + std::wstring(what));
    }
    std::this_thread::sleep_for(Millis(40));
  }
}

// A kernel handle of our own; closed once, on destruction or reset.
class UniqueHandle {
 public:
  UniqueHandle() = default;
  // Takes ownership; INVALID_HANDLE_VALUE is kept as "no handle".
  explicit UniqueHandle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept;
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  HANDLE release() {
    HANDLE h = h_;
    h_ = nullptr;
    return h;
  }
  void reset(HANDLE h = nullptr);

 private:
  HANDLE h_ = nullptr;
};

// A program started by the driver. Destroying a Process that still runs
// terminates it and waits for its end, so a failed scenario leaves nothing
// behind that could take the next scenario's single-instance hand-off.
class Process {
 public:
  // Runs "exe" arguments. arguments is appended to the quoted program path as
  // it stands (the caller quotes what needs quoting).
  static Process start(const std::wstring& exe, const std::wstring& arguments);
  // A process running already, by its id.
  static Process attach(DWORD pid);

  Process(Process&&) noexcept = default;
  Process& operator=(Process&&) noexcept = default;
  ~Process();

  DWORD id() const { return id_; }
  HANDLE handle() const { return process_.get(); }
  const std::wstring& commandLine() const { return command_line_; }
  bool running() const;
  // The exit code, or nothing when the process still runs after timeout.
  std::optional<DWORD> waitExit(Millis timeout) const;
  // Ends the process (exit code 0xDEAD) and waits for the end.
  void kill();

 private:
  Process() = default;
  UniqueHandle process_;
  DWORD id_ = 0;
  std::wstring command_line_;
};

// Output of a console program run to completion.
struct Captured {
  DWORD exit_code = 0;
  std::string output;  // standard output, as bytes
};
Captured runAndCapture(const std::wstring& exe, const std::wstring& arguments, Millis timeout);

// --- Windows of other processes ---

std::wstring className(HWND window);
// The window text by WM_GETTEXT (so controls answer with their current text).
std::wstring windowText(HWND window);
DWORD processOf(HWND window);
HWND ownerOf(HWND window);
RECT windowRect(HWND window);
// A window's rectangle in the client coordinates of parent.
RECT rectIn(HWND window, HWND parent);
bool windowExists(HWND window);
bool windowVisible(HWND window);
bool windowEnabled(HWND window);

// Top-level windows of process pid with the given class ("#32770" for dialogs).
std::vector<HWND> topWindows(DWORD pid, std::wstring_view window_class);
std::vector<HWND> allTopWindows(std::wstring_view window_class);
std::vector<HWND> childWindows(HWND parent);
// The child with control id, or null.
HWND childById(HWND parent, int id);
// The child with control id; fails (naming what) when there is none.
HWND requireChild(HWND parent, int id, std::wstring_view what);
// The direct child of class and text, or null.
HWND childByText(HWND parent, std::wstring_view window_class, std::wstring_view text);

// Posts WM_COMMAND with the id, as a menu item does. Posting, not sending: a
// command that opens a modal dialog or message box would otherwise block us.
void postCommand(HWND window, int id);
// Clicks a button of a dialog: WM_COMMAND from that button, posted.
void clickDialogButton(HWND dialog, int id);
void postClose(HWND window);
// Sets a window's text (WM_SETTEXT, which the system carries across).
void setText(HWND window, std::wstring_view text);
// Sends a message without pointers, with a time limit. Fails when the target
// does not answer in time.
LRESULT sendPlain(HWND window, UINT message, WPARAM w, LPARAM l);
void waitGone(HWND window, Millis timeout, std::wstring_view what);

// Types into an edit control of another program as the keyboard would: the
// control gets the focus (so it tells its dialog so), its text is selected and
// replaced by the characters of text, one WM_CHAR each (a backspace is
// L'\b'). Then the focus moves to focus_after, so that the dialog sees the
// typing end. Works by sharing the target thread's input state for a moment.
void typeInto(HWND edit, std::wstring_view text, HWND focus_after);
// Activates the top-level window of a control of another program and gives
// the control the keyboard focus, as a click would.
void giveFocus(HWND control);

// A list view of another process, read through that process's memory.
class RemoteListView {
 public:
  explicit RemoteListView(HWND list) : list_(list) {}
  HWND hwnd() const { return list_; }
  int count() const;
  int columnCount() const;
  std::wstring columnTitle(int column) const;
  int columnWidth(int column) const;
  std::wstring cell(int row, int column) const;
  std::vector<std::vector<std::wstring>> rows(int columns) const;
  // Selects and focuses row (and deselects the rest), as a click does.
  void select(int row) const;
  int selectedCount() const;

 private:
  HWND list_;
};

// A status bar of another process.
class RemoteStatusBar {
 public:
  explicit RemoteStatusBar(HWND bar) : bar_(bar) {}
  std::vector<int> partEdges() const;
  std::wstring text(int part) const;
  std::vector<std::wstring> texts() const;

 private:
  HWND bar_;
};

// The items of a combo box (the system carries these texts across).
std::vector<std::wstring> comboItems(HWND combo);
int comboSelection(HWND combo);

// --- Message boxes ---

enum class Icon { none, error, question, warning, information };
std::wstring iconName(Icon icon);

struct MessageBoxView {
  HWND hwnd = nullptr;
  HWND owner = nullptr;
  std::wstring caption;
  std::wstring text;
  std::vector<int> buttons;  // control ids of the push buttons, in window order
};

// A visible message box of process pid (a dialog with the message static
// 0xFFFF), or null.
HWND findMessageBox(DWORD pid);
MessageBoxView readMessageBox(HWND box);
MessageBoxView waitMessageBox(DWORD pid, Millis timeout, std::wstring_view what);
// Which of the four system icons the box shows, judged from its pixels on the
// screen against the system icons drawn by the driver. Waits (up to timeout)
// for the box to be painted with the expected one, then reports the best match.
Icon messageBoxIcon(HWND box, Icon expected, Millis timeout);
std::wstring buttonNames(const std::vector<int>& ids);

// --- Screen ---

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first
};
Image captureScreen(const RECT& area);
// Writes a 24-bit BMP.
void saveBmp(const std::wstring& path, const Image& image);

// --- Registry (current user) ---

struct RegistryValue {
  DWORD type = REG_NONE;
  std::wstring text;  // REG_SZ
  DWORD number = 0;   // REG_DWORD
};
// Under HKEY_CURRENT_USER unless `root` says otherwise; an empty `name` is
// the key's default value.
std::optional<RegistryValue> readRegistryValue(const std::wstring& key, const std::wstring& name,
                                               HKEY root = HKEY_CURRENT_USER);
void writeRegistryText(const std::wstring& key, const std::wstring& name, const std::wstring& value);
void writeRegistryNumber(const std::wstring& key, const std::wstring& name, DWORD value);
void deleteRegistryKey(const std::wstring& key);
bool registryKeyExists(const std::wstring& key, HKEY root = HKEY_CURRENT_USER);

}  // namespace e2e
