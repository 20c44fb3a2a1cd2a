#include "tests/e2e/driver_ui.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "tests/e2e/driver_prefix_guard.h"

namespace e2e {

// --- Handles and processes ---

UniqueHandle& UniqueHandle::operator=(UniqueHandle&& other) noexcept {
  if (this != &other) reset(other.release());
  return *this;
}

void UniqueHandle::reset(HANDLE h) {
  if (h_ != nullptr) CloseHandle(h_);
  h_ = (h == INVALID_HANDLE_VALUE) ? nullptr : h;
}

namespace {
std::wstring lastError() { return L"error " + std::to_wstring(GetLastError()); }
}  // namespace

Process Process::start(const std::wstring& exe, const std::wstring& arguments) {
  Process p;
  p.command_line_ = L"\"" + exe + L"\"";
  if (!arguments.empty()) p.command_line_ += L" " + arguments;
  std::wstring line = p.command_line_;  // CreateProcessW may write into it
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    fail(L"cannot start " + p.command_line_ + L" (" + lastError() + L")");
  }
  CloseHandle(info.hThread);
  p.process_.reset(info.hProcess);
  p.id_ = info.dwProcessId;
  return p;
}

Process Process::attach(DWORD pid) {
  Process p;
  p.process_.reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, pid));
  if (!p.process_.get()) fail(L"cannot open process " + std::to_wstring(pid) + L" (" + lastError() + L")");
  p.id_ = pid;
  p.command_line_ = L"(process " + std::to_wstring(pid) + L")";
  return p;
}

Process::~Process() {
  if (process_ && running()) kill();
}

bool Process::running() const { return WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

std::optional<DWORD> Process::waitExit(Millis timeout) const {
  if (WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  if (!GetExitCodeProcess(process_.get(), &code)) fail(L"cannot read the exit code (" + lastError() + L")");
  return code;
}

void Process::kill() {
  if (!process_) return;
  TerminateProcess(process_.get(), 0xDEAD);
  WaitForSingleObject(process_.get(), 10000);
}

Captured runAndCapture(const std::wstring& exe, const std::wstring& arguments, Millis timeout) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) fail(L"cannot create a pipe (" + lastError() + L")");
  UniqueHandle reader(read_end);
  UniqueHandle writer(write_end);
  SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);

  std::wstring line = L"\"" + exe + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writer.get();
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                      &info)) {
    fail(L"cannot start " + line + L" (" + lastError() + L")");
  }
  CloseHandle(info.hThread);
  UniqueHandle process(info.hProcess);
  writer.reset();  // the child holds the only write end now: end of file when it ends

  Captured result;
  const auto deadline = Clock::now() + timeout;
  char buffer[4096];
  for (;;) {
    DWORD available = 0;
    if (!PeekNamedPipe(reader.get(), nullptr, 0, nullptr, &available, nullptr)) break;  // closed: child ended
    if (available > 0) {
      DWORD got = 0;
      if (!ReadFile(reader.get(), buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr)) break;
      result.output.append(buffer, got);
      continue;
    }
    if (WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) {
      // Ended; whatever it wrote is in the pipe already.
      if (PeekNamedPipe(reader.get(), nullptr, 0, nullptr, &available, nullptr) && available > 0) continue;
      break;
    }
    if (Clock::now() >= deadline) {
      TerminateProcess(process.get(), 0xDEAD);
      fail(L"timed out after " + std::to_wstring(timeout.count()) + L" ms running " + line);
    }
    Sleep(20);
  }
  if (WaitForSingleObject(process.get(), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
    TerminateProcess(process.get(), 0xDEAD);
    fail(L"timed out waiting for the end of " + line);
  }
  GetExitCodeProcess(process.get(), &result.exit_code);
  return result;
}

// --- Windows ---

LRESULT sendPlain(HWND window, UINT message, WPARAM w, LPARAM l) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, w, l, SMTO_NORMAL, static_cast<UINT>(kMessageTimeout.count()), &result)) {
    fail(L"no answer to message 0x" + std::to_wstring(message) + L" from window of class " + quoted(className(window)) +
         L" (" + lastError() + L"): the program hangs or the window is gone");
  }
  return static_cast<LRESULT>(result);
}

std::wstring className(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::wstring windowText(HWND window) {
  const auto length = static_cast<std::size_t>(sendPlain(window, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                           static_cast<UINT>(kMessageTimeout.count()), &copied)) {
    fail(L"no answer to WM_GETTEXT from a window of class " + quoted(className(window)));
  }
  text.resize(std::min<std::size_t>(copied, length));
  return text;
}

DWORD processOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

HWND ownerOf(HWND window) { return GetWindow(window, GW_OWNER); }

RECT windowRect(HWND window) {
  RECT r{};
  if (!GetWindowRect(window, &r)) fail(L"cannot read a window rectangle (" + lastError() + L")");
  return r;
}

RECT rectIn(HWND window, HWND parent) {
  RECT r = windowRect(window);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool windowExists(HWND window) { return IsWindow(window) != FALSE; }
bool windowVisible(HWND window) { return IsWindowVisible(window) != FALSE; }
bool windowEnabled(HWND window) { return IsWindowEnabled(window) != FALSE; }

namespace {
struct EnumState {
  DWORD pid;  // 0: any process
  std::wstring_view window_class;
  std::vector<HWND> found;
};

BOOL CALLBACK collectTop(HWND window, LPARAM param) {
  auto* state = reinterpret_cast<EnumState*>(param);
  if ((state->pid == 0 || processOf(window) == state->pid) && className(window) == state->window_class) {
    state->found.push_back(window);
  }
  return TRUE;
}

BOOL CALLBACK collectChild(HWND window, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
  return TRUE;
}
}  // namespace

std::vector<HWND> topWindows(DWORD pid, std::wstring_view window_class) {
  EnumState state{pid, window_class, {}};
  EnumWindows(collectTop, reinterpret_cast<LPARAM>(&state));
  return state.found;
}

std::vector<HWND> allTopWindows(std::wstring_view window_class) { return topWindows(0, window_class); }

std::vector<HWND> childWindows(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, collectChild, reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND childById(HWND parent, int id) { return GetDlgItem(parent, id); }

HWND requireChild(HWND parent, int id, std::wstring_view what) {
  HWND child = GetDlgItem(parent, id);
  if (!child) fail(std::wstring(what) + L": no control with id " + std::to_wstring(id));
  return child;
}

HWND childByText(HWND parent, std::wstring_view window_class, std::wstring_view text) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (_wcsicmp(className(child).c_str(), std::wstring(window_class).c_str()) == 0 && windowText(child) == text) {
      return child;
    }
  }
  return nullptr;
}

void postCommand(HWND window, int id) {
  if (!PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0)) {
    fail(L"cannot post command " + std::to_wstring(id) + L" (" + lastError() + L")");
  }
}

void clickDialogButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  if (!PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button))) {
    fail(L"cannot post the click of button " + std::to_wstring(id) + L" (" + lastError() + L")");
  }
}

void postClose(HWND window) {
  if (!PostMessageW(window, WM_CLOSE, 0, 0)) fail(L"cannot post WM_CLOSE (" + lastError() + L")");
}

void setText(HWND window, std::wstring_view text) {
  const std::wstring copy(text);
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()), SMTO_NORMAL,
                           static_cast<UINT>(kMessageTimeout.count()), &result)) {
    fail(L"no answer to WM_SETTEXT");
  }
}

void waitGone(HWND window, Millis timeout, std::wstring_view what) {
  waitFor(timeout, what, [&] { return !IsWindow(window); });
}

namespace {
// Shares the input state (focus, active window) of the calling thread with
// the thread of a window of another program for as long as it lives: only
// then may SetFocus name that program's windows.
class SharedInput {
 public:
  explicit SharedInput(HWND window) : ours_(GetCurrentThreadId()), theirs_(GetWindowThreadProcessId(window, nullptr)) {
    if (!AttachThreadInput(ours_, theirs_, TRUE)) fail(L"cannot share the input state of another program");
  }
  SharedInput(const SharedInput&) = delete;
  SharedInput& operator=(const SharedInput&) = delete;
  ~SharedInput() { AttachThreadInput(ours_, theirs_, FALSE); }

 private:
  DWORD ours_;
  DWORD theirs_;
};
}  // namespace

namespace {
// Activates the top-level window of control and gives control the focus,
// again and again until it has held it across a pause. Under Wine a window
// of the target that is still being shown (a modeless dialog just created,
// say) can take the activation back a moment after SetFocus succeeded.
bool focusUntilSettled(const SharedInput&, HWND control) {
  const auto deadline = Clock::now() + kMessageTimeout;
  HWND top = GetAncestor(control, GA_ROOT);
  for (;;) {
    SetForegroundWindow(top);
    SetActiveWindow(top);
    SetFocus(control);
    if (GetFocus() == control) {
      std::this_thread::sleep_for(Millis(150));
      if (GetFocus() == control) return true;
    }
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(Millis(40));
  }
}
}  // namespace

void typeInto(HWND edit, std::wstring_view text, HWND focus_after) {
  SharedInput input(edit);
  if (!focusUntilSettled(input, edit))
    fail(L"cannot give the keyboard focus to an edit field of class " + quoted(className(edit)));
  sendPlain(edit, EM_SETSEL, 0, -1);
  for (wchar_t c : text) sendPlain(edit, WM_CHAR, c, 1);
  SetFocus(focus_after);
}

void giveFocus(HWND control) {
  SharedInput input(control);
  if (!focusUntilSettled(input, control))
    fail(L"cannot give the keyboard focus to a control of class " + quoted(className(control)));
}

namespace {

// Memory in the process that owns a window, for the control messages whose
// pointers the system does not carry across processes (list view and status
// bar messages): the pointer we pass must be valid in the target.
class RemoteMemory {
 public:
  RemoteMemory(HWND window, std::size_t size) : size_(size) {
    process_.reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processOf(window)));
    if (!process_) fail(L"cannot open the process of a window of class " + quoted(className(window)));
    address_ = VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!address_) fail(L"cannot allocate memory in another process (" + lastError() + L")");
  }
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;
  ~RemoteMemory() { VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE); }

  void write(std::size_t offset, const void* data, std::size_t size) {
    SIZE_T done = 0;
    if (offset + size > size_ || !WriteProcessMemory(process_.get(), at(offset), data, size, &done) || done != size) {
      fail(L"cannot write into another process (" + lastError() + L")");
    }
  }
  void read(std::size_t offset, void* data, std::size_t size) const {
    SIZE_T done = 0;
    if (offset + size > size_ || !ReadProcessMemory(process_.get(), at(offset), data, size, &done) || done != size) {
      fail(L"cannot read from another process (" + lastError() + L")");
    }
  }
  std::wstring readText(std::size_t offset, std::size_t max_chars) const {
    std::wstring text(max_chars, L'\0');
    read(offset, text.data(), max_chars * sizeof(wchar_t));
    text.resize(std::wcslen(text.c_str()));
    return text;
  }
  void* at(std::size_t offset) const { return static_cast<char*>(address_) + offset; }
  LPARAM param(std::size_t offset = 0) const { return reinterpret_cast<LPARAM>(at(offset)); }

 private:
  UniqueHandle process_;
  void* address_ = nullptr;
  std::size_t size_;
};

constexpr std::size_t kTextChars = 2048;

}  // namespace

int RemoteListView::count() const { return static_cast<int>(sendPlain(list_, LVM_GETITEMCOUNT, 0, 0)); }

int RemoteListView::columnCount() const {
  auto header = reinterpret_cast<HWND>(sendPlain(list_, LVM_GETHEADER, 0, 0));
  if (!header) fail(L"the list view has no header control");
  return static_cast<int>(sendPlain(header, HDM_GETITEMCOUNT, 0, 0));
}

std::wstring RemoteListView::columnTitle(int column) const {
  RemoteMemory memory(list_, sizeof(LVCOLUMNW) + kTextChars * sizeof(wchar_t));
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT;
  col.pszText = static_cast<wchar_t*>(memory.at(sizeof(LVCOLUMNW)));
  col.cchTextMax = static_cast<int>(kTextChars);
  memory.write(0, &col, sizeof col);
  const wchar_t zero = 0;
  memory.write(sizeof(LVCOLUMNW), &zero, sizeof zero);
  if (!sendPlain(list_, LVM_GETCOLUMNW, static_cast<WPARAM>(column), memory.param())) {
    fail(L"the list view has no column " + std::to_wstring(column));
  }
  // The control may point pszText elsewhere; read what the structure says.
  memory.read(0, &col, sizeof col);
  if (col.pszText != memory.at(sizeof(LVCOLUMNW))) fail(L"the list view moved the column title buffer");
  return memory.readText(sizeof(LVCOLUMNW), kTextChars);
}

int RemoteListView::columnWidth(int column) const {
  return static_cast<int>(sendPlain(list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

std::wstring RemoteListView::cell(int row, int column) const {
  RemoteMemory memory(list_, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = static_cast<wchar_t*>(memory.at(sizeof(LVITEMW)));
  item.cchTextMax = static_cast<int>(kTextChars);
  memory.write(0, &item, sizeof item);
  const wchar_t zero = 0;
  memory.write(sizeof(LVITEMW), &zero, sizeof zero);
  const auto length =
      static_cast<std::size_t>(sendPlain(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), memory.param()));
  std::wstring text = memory.readText(sizeof(LVITEMW), kTextChars);
  if (text.size() != length)
    fail(L"list cell " + std::to_wstring(row) + L"/" + std::to_wstring(column) +
         L": the length returned differs from the text");
  return text;
}

std::vector<std::vector<std::wstring>> RemoteListView::rows(int columns) const {
  std::vector<std::vector<std::wstring>> out;
  const int n = count();
  for (int r = 0; r < n; ++r) {
    std::vector<std::wstring> row;
    for (int c = 0; c < columns; ++c) row.push_back(cell(r, c));
    out.push_back(std::move(row));
  }
  return out;
}

void RemoteListView::select(int row) const {
  RemoteMemory memory(list_, sizeof(LVITEMW));
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = 0;
  memory.write(0, &item, sizeof item);
  // -1: every item. A click first takes the selection off the old row.
  sendPlain(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), memory.param());
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  memory.write(0, &item, sizeof item);
  if (!sendPlain(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), memory.param())) {
    fail(L"the list view refused to select row " + std::to_wstring(row));
  }
}

int RemoteListView::selectedCount() const { return static_cast<int>(sendPlain(list_, LVM_GETSELECTEDCOUNT, 0, 0)); }

std::vector<int> RemoteStatusBar::partEdges() const {
  const auto n = static_cast<std::size_t>(sendPlain(bar_, SB_GETPARTS, 0, 0));
  if (n == 0) return {};
  RemoteMemory memory(bar_, n * sizeof(int));
  sendPlain(bar_, SB_GETPARTS, n, memory.param());
  std::vector<int> edges(n);
  memory.read(0, edges.data(), n * sizeof(int));
  return edges;
}

std::wstring RemoteStatusBar::text(int part) const {
  const auto length =
      static_cast<std::size_t>(LOWORD(sendPlain(bar_, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0)));
  RemoteMemory memory(bar_, (length + 1) * sizeof(wchar_t));
  const wchar_t zero = 0;
  memory.write(0, &zero, sizeof zero);
  sendPlain(bar_, SB_GETTEXTW, static_cast<WPARAM>(part), memory.param());
  return memory.readText(0, length + 1);
}

std::vector<std::wstring> RemoteStatusBar::texts() const {
  std::vector<std::wstring> out;
  const auto n = static_cast<int>(sendPlain(bar_, SB_GETPARTS, 0, 0));
  for (int i = 0; i < n; ++i) out.push_back(text(i));
  return out;
}

std::vector<std::wstring> comboItems(HWND combo) {
  std::vector<std::wstring> items;
  const auto n = static_cast<int>(sendPlain(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    const auto length = sendPlain(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length < 0) fail(L"combo box item " + std::to_wstring(i) + L" has no text");
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    // Combo box messages are system messages: the text is carried across.
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_NORMAL, static_cast<UINT>(kMessageTimeout.count()), &copied)) {
      fail(L"no answer to CB_GETLBTEXT");
    }
    text.resize(std::wcslen(text.c_str()));
    items.push_back(text);
  }
  return items;
}

int comboSelection(HWND combo) { return static_cast<int>(sendPlain(combo, CB_GETCURSEL, 0, 0)); }

// --- Message boxes ---

std::wstring iconName(Icon icon) {
  switch (icon) {
    case Icon::none:
      return L"no icon";
    case Icon::error:
      return L"error icon";
    case Icon::question:
      return L"question icon";
    case Icon::warning:
      return L"warning icon";
    case Icon::information:
      return L"information icon";
  }
  return L"?";
}

HWND findMessageBox(DWORD pid) {
  for (HWND w : topWindows(pid, L"#32770")) {
    if (windowVisible(w) && GetDlgItem(w, 0xFFFF)) return w;
  }
  return nullptr;
}

std::wstring buttonNames(const std::vector<int>& ids) {
  std::vector<std::wstring> names;
  for (int id : ids) {
    switch (id) {
      case IDOK:
        names.push_back(L"OK");
        break;
      case IDCANCEL:
        names.push_back(L"Cancel");
        break;
      case IDYES:
        names.push_back(L"Yes");
        break;
      case IDNO:
        names.push_back(L"No");
        break;
      default:
        names.push_back(L"id " + std::to_wstring(id));
        break;
    }
  }
  return L"[" + joined(names) + L"]";
}

MessageBoxView readMessageBox(HWND box) {
  MessageBoxView view;
  view.hwnd = box;
  view.owner = ownerOf(box);
  view.caption = windowText(box);
  view.text = windowText(GetDlgItem(box, 0xFFFF));
  for (HWND child : childWindows(box)) {
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    const LONG type = style & BS_TYPEMASK;
    if (_wcsicmp(className(child).c_str(), L"Button") == 0 && (style & WS_VISIBLE) &&
        (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)) {
      view.buttons.push_back(GetDlgCtrlID(child));
    }
  }
  std::sort(view.buttons.begin(), view.buttons.end());
  return view;
}

MessageBoxView waitMessageBox(DWORD pid, Millis timeout, std::wstring_view what) {
  HWND box = waitFor(timeout, what, [&] { return findMessageBox(pid); });
  return readMessageBox(box);
}

namespace {

class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {
    if (!dc_) fail(L"no screen device context");
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  ~ScreenDc() { ReleaseDC(nullptr, dc_); }
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// A 32-bit top-down bitmap selected into a memory device context.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    ScreenDc screen;
    dc_ = CreateCompatibleDC(screen.get());
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    if (!dc_ || !bitmap_) fail(L"cannot create a bitmap of " + std::to_wstring(width) + L"x" + std::to_wstring(height));
    old_ = SelectObject(dc_, bitmap_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  void fill(COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    RECT all{0, 0, width_, height_};
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
  }
  Image image() const {
    GdiFlush();
    Image out;
    out.width = width_;
    out.height = height_;
    const auto* p = static_cast<const std::uint32_t*>(bits_);
    out.pixels.assign(p, p + static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    for (auto& px : out.pixels) px &= 0x00FFFFFFu;
    return out;
  }

 private:
  int width_;
  int height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};

Image drawnIcon(LPCWSTR which, int width, int height, COLORREF background) {
  Canvas canvas(width, height);
  canvas.fill(background);
  HICON icon = LoadIconW(nullptr, which);
  if (!icon) fail(L"cannot load a system icon");
  DrawIconEx(canvas.dc(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
  return canvas.image();
}

int channelDistance(std::uint32_t a, std::uint32_t b) {
  int worst = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    worst = std::max(worst, d < 0 ? -d : d);
  }
  return worst;
}

// Share (0..1) of the icon's opaque pixels that the captured image matches.
double iconMatch(const Image& captured, LPCWSTR which) {
  const Image on_white = drawnIcon(which, captured.width, captured.height, RGB(255, 255, 255));
  const Image on_black = drawnIcon(which, captured.width, captured.height, RGB(0, 0, 0));
  std::size_t opaque = 0;
  std::size_t matching = 0;
  for (std::size_t i = 0; i < captured.pixels.size(); ++i) {
    if (on_white.pixels[i] != on_black.pixels[i]) continue;  // transparent or blended: the background shows
    ++opaque;
    if (channelDistance(on_white.pixels[i], captured.pixels[i]) <= 24) ++matching;
  }
  return opaque == 0 ? 0.0 : static_cast<double>(matching) / static_cast<double>(opaque);
}

HWND iconStatic(HWND box) {
  for (HWND child : childWindows(box)) {
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if (_wcsicmp(className(child).c_str(), L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON &&
        (style & WS_VISIBLE)) {
      return child;
    }
  }
  return nullptr;
}

}  // namespace

Icon messageBoxIcon(HWND box, Icon expected, Millis timeout) {
  HWND icon = iconStatic(box);
  if (!icon) return Icon::none;
  struct Candidate {
    Icon icon;
    LPCWSTR resource;
  };
  const Candidate candidates[] = {{Icon::error, IDI_ERROR},
                                  {Icon::question, IDI_QUESTION},
                                  {Icon::warning, IDI_WARNING},
                                  {Icon::information, IDI_INFORMATION}};
  const auto deadline = Clock::now() + timeout;
  Icon best = Icon::none;
  for (;;) {
    const Image captured = captureScreen(windowRect(icon));
    double best_score = 0.0;
    for (const Candidate& c : candidates) {
      const double score = iconMatch(captured, c.resource);
      if (score > best_score) {
        best_score = score;
        best = c.icon;
      }
    }
    if (best_score < 0.9) best = Icon::none;  // nothing recognisable (yet)
    if (best == expected || Clock::now() >= deadline) return best;
    // Not painted yet, or covered: ask for a repaint and look again.
    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(100);
  }
}

// --- Screen ---

Image captureScreen(const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) fail(L"capture of an empty rectangle");
  Canvas canvas(width, height);
  ScreenDc screen;
  if (!BitBlt(canvas.dc(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY | CAPTUREBLT)) {
    fail(L"cannot copy from the screen (" + lastError() + L")");
  }
  return canvas.image();
}

void saveBmp(const std::wstring& path, const Image& image) {
  const auto row_bytes = static_cast<std::size_t>((image.width * 3 + 3) & ~3);
  const std::size_t data_bytes = row_bytes * static_cast<std::size_t>(image.height);
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = static_cast<DWORD>(file.bfOffBits + data_bytes);
  info.biSize = sizeof info;
  info.biWidth = image.width;
  info.biHeight = image.height;  // bottom-up
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = static_cast<DWORD>(data_bytes);
  std::string bytes(sizeof file + sizeof info + data_bytes, '\0');
  std::memcpy(bytes.data(), &file, sizeof file);
  std::memcpy(bytes.data() + sizeof file, &info, sizeof info);
  char* data = bytes.data() + file.bfOffBits;
  for (int y = 0; y < image.height; ++y) {
    char* row = data + row_bytes * static_cast<std::size_t>(image.height - 1 - y);
    for (int x = 0; x < image.width; ++x) {
      const std::uint32_t px = image.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) +
                                            static_cast<std::size_t>(x)];
      row[3 * x + 0] = static_cast<char>(px & 0xFF);
      row[3 * x + 1] = static_cast<char>((px >> 8) & 0xFF);
      row[3 * x + 2] = static_cast<char>((px >> 16) & 0xFF);
    }
  }
  UniqueHandle out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (!out || !WriteFile(out.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size()) {
    fail(L"cannot write " + path + L" (" + lastError() + L")");
  }
}

// --- Registry ---

std::optional<RegistryValue> readRegistryValue(const std::wstring& key, const std::wstring& name, HKEY root) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return std::nullopt;
  RegistryValue value;
  BYTE data[2048] = {};
  DWORD size = sizeof data - sizeof(wchar_t);  // room for a terminator the registry may not store
  const LSTATUS status = RegQueryValueExW(k, name.c_str(), nullptr, &value.type, data, &size);
  RegCloseKey(k);
  if (status != ERROR_SUCCESS) return std::nullopt;
  if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) {
    value.text.assign(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
    while (!value.text.empty() && value.text.back() == L'\0') value.text.pop_back();
  } else if (value.type == REG_DWORD && size == sizeof(DWORD)) {
    std::memcpy(&value.number, data, sizeof(DWORD));
  }
  return value;
}

namespace {
HKEY createKey(const std::wstring& key) {
  if (!registryChangesAllowed()) fail(L"refusing to write HKCU\\" + key + L" outside the e2e Wine prefix");
  HKEY k = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) !=
      ERROR_SUCCESS) {
    fail(L"cannot create the registry key HKCU\\" + key);
  }
  return k;
}
}  // namespace

void writeRegistryText(const std::wstring& key, const std::wstring& name, const std::wstring& value) {
  HKEY k = createKey(key);
  const LSTATUS status = RegSetValueExW(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(k);
  if (status != ERROR_SUCCESS) fail(L"cannot write the registry value " + name);
}

void writeRegistryNumber(const std::wstring& key, const std::wstring& name, DWORD value) {
  HKEY k = createKey(key);
  const LSTATUS status =
      RegSetValueExW(k, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(k);
  if (status != ERROR_SUCCESS) fail(L"cannot write the registry value " + name);
}

void deleteRegistryKey(const std::wstring& key) {
  if (!registryChangesAllowed()) fail(L"refusing to delete HKCU\\" + key + L" outside the e2e Wine prefix");
  const LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) fail(L"cannot delete the registry key HKCU\\" + key);
  RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
}

bool registryKeyExists(const std::wstring& key, HKEY root) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

}  // namespace e2e
