#include "app/win32/easy_window.h"

#include <string>
#include <utility>
#include <vector>

#include "app/ids.h"
#include "app/layout.h"

namespace kj::win32 {
namespace {

HMENU controlId(int id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

// Posted to the window for each drop its OLE drop target took: the drag
// source is not kept waiting while the files are converted.
constexpr UINT msg_files_dropped = WM_APP + 1;

}  // namespace

EasyWindow::EasyWindow(HINSTANCE instance, std::wstring title, const LogicFactory& make_logic)
    : ShellWindow(instance), title_(std::move(title)) {
  logic_ = make_logic(*this, *this);
}

EasyWindow::~EasyWindow() {
  // The window goes while the logic still exists but no longer hears from
  // it; then the logic (which closes the COM port), while the window object
  // it posts through still exists.
  accepting_events_ = false;
  if (HWND window = hwnd()) DestroyWindow(window);
  logic_.reset();
}

bool EasyWindow::create(const std::wstring& class_name, int show_command) {
  // Caption, system menu and minimise box: a fixed frame that takes files
  // dropped onto it.
  HWND window = CreateWindowExW(WS_EX_ACCEPTFILES, class_name.c_str(), title_.c_str(),
                                WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT, 0,
                                app::easy_window_width, app::easy_window_height, nullptr, nullptr,
                                instance(), creationParameter());
  if (window == nullptr) return false;
  ShowWindow(window, show_command);
  UpdateWindow(window);
  return true;
}

LRESULT EasyWindow::handleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      DragAcceptFiles(window, TRUE);
      // Without OLE (no OleScope on this thread) the window still takes
      // WM_DROPFILES.
      drop_registration_.registerFor(window, app::easy_dropped_path_max,
                                     [this, window](std::vector<std::wstring> paths) {
                                       pending_drops_.push_back(std::move(paths));
                                       PostMessageW(window, msg_files_dropped, 0, 0);
                                     });
      if (acceptsEvents() && !logic_->onCreate()) return -1;
      return 0;

    case msg_files_dropped:
      if (!pending_drops_.empty()) {
        const std::vector<std::wstring> paths = std::move(pending_drops_.front());
        pending_drops_.pop_front();
        if (acceptsEvents()) logic_->onDropFiles(paths);
      }
      return 0;

    case WM_COMMAND:
      if (acceptsEvents()) logic_->onCommand(LOWORD(wparam), static_cast<std::intptr_t>(lparam));
      return 0;

    case WM_DROPFILES: {
      const auto drop = reinterpret_cast<HDROP>(wparam);
      try {
        dropFiles(drop);
      } catch (...) {
        DragFinish(drop);
        throw;
      }
      DragFinish(drop);
      return 0;
    }

    case WM_DESTROY:
      drop_registration_.revoke();
      pending_drops_.clear();
      // The title bar's close box destroys the window without a question; a
      // running receive is aborted.
      if (acceptsEvents()) logic_->onDestroy();
      accepting_events_ = false;
      PostQuitMessage(0);
      return 0;

    case WM_PAINT: {
      // Nothing is drawn on the window itself (see the main window).
      PAINTSTRUCT paint{};
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 0;
    }

    case WM_CTLCOLORSTATIC:
      // The text sits on the window colour.
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));

    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void EasyWindow::dropFiles(HDROP drop) {
  if (!acceptsEvents()) return;
  logic_->onDropFiles(droppedPaths(drop, app::easy_dropped_path_max));
}

// --- EasyWindowUi ---

app::MessageAnswer EasyWindow::ownerlessMessageBox(const std::wstring& text,
                                                   const std::wstring& caption,
                                                   app::MessageIcon icon,
                                                   app::MessageButtons buttons) {
  return showMessageBox(nullptr, text, caption, icon, buttons);
}

bool EasyWindow::createControls(const std::wstring& text) {
  HWND window = hwnd();
  if (window == nullptr) return false;
  font_.reset(CreateFontW(app::ui_font_height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                          DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                          DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                          std::wstring(app::ui_font_name).c_str()));
  const app::EasyControlRect& t = app::easy_text_rect;
  // SS_NOPREFIX: the texts are shown as they are; an ampersand ("ドラッグ&ドロップ")
  // is a character, not the mark of an underlined access key.
  text_ = CreateWindowExW(0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOPREFIX,
                          t.x, t.y, t.width, t.height, window, nullptr, instance(), nullptr);
  const app::EasyControlRect& b = app::easy_button_rect;
  button_ = CreateWindowExW(0, L"BUTTON", std::wstring(app::easy_button_text).c_str(),
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, b.x, b.y, b.width,
                            b.height, window, controlId(IDC_EASY_BUTTON), instance(), nullptr);
  if (text_ == nullptr || button_ == nullptr) return false;
  if (font_) {
    SendMessageW(text_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    SendMessageW(button_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  }
  return true;
}

void EasyWindow::enableMenuItem(int command_id, bool enabled) {
  HWND window = hwnd();
  HMENU menu = window != nullptr ? GetMenu(window) : nullptr;
  if (menu == nullptr) return;
  const UINT state = enabled ? UINT{MF_ENABLED} : UINT{MF_GRAYED};
  EnableMenuItem(menu, static_cast<UINT>(command_id), UINT{MF_BYCOMMAND} | state);
  // The item sits on the menu bar itself, which EnableMenuItem does not redraw.
  DrawMenuBar(window);
}

void EasyWindow::enableButton(bool enabled) {
  if (button_ != nullptr) EnableWindow(button_, enabled ? TRUE : FALSE);
}

void EasyWindow::enableText(bool enabled) {
  if (text_ != nullptr) EnableWindow(text_, enabled ? TRUE : FALSE);
}

void EasyWindow::setText(const std::wstring& text) {
  if (text_ != nullptr) SetWindowTextW(text_, text.c_str());
}

void EasyWindow::repaintWindow() {
  if (HWND window = hwnd()) {
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
  }
}

void EasyWindow::repaintText() {
  if (text_ != nullptr) {
    InvalidateRect(text_, nullptr, TRUE);
    UpdateWindow(text_);
  }
}

void EasyWindow::endMessageLoop(int exit_code) { PostQuitMessage(exit_code); }

}  // namespace kj::win32
