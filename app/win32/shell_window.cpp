#include "app/win32/shell_window.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

#include "app/ids.h"
#include "app/win32/dialogs.h"

namespace kj::win32 {
namespace {

UINT iconFlag(app::MessageIcon icon) {
  switch (icon) {
    case app::MessageIcon::error: return MB_ICONERROR;
    case app::MessageIcon::information: return MB_ICONINFORMATION;
    case app::MessageIcon::warning: return MB_ICONWARNING;
    case app::MessageIcon::question: return MB_ICONQUESTION;
    case app::MessageIcon::none: return 0;
  }
  return 0;
}

UINT buttonFlag(app::MessageButtons buttons) {
  switch (buttons) {
    case app::MessageButtons::ok: return MB_OK;
    case app::MessageButtons::ok_cancel: return MB_OKCANCEL;
    case app::MessageButtons::yes_no: return MB_YESNO;
  }
  return MB_OK;
}

// The answer of a message box; a box that could not be shown counts as the
// refusing button.
app::MessageAnswer answerOf(int result, app::MessageButtons buttons) {
  switch (result) {
    case IDOK: return app::MessageAnswer::ok;
    case IDCANCEL: return app::MessageAnswer::cancel;
    case IDYES: return app::MessageAnswer::yes;
    case IDNO: return app::MessageAnswer::no;
    default: break;
  }
  switch (buttons) {
    case app::MessageButtons::ok: return app::MessageAnswer::ok;
    case app::MessageButtons::ok_cancel: return app::MessageAnswer::cancel;
    case app::MessageButtons::yes_no: return app::MessageAnswer::no;
  }
  return app::MessageAnswer::cancel;
}

// The file dialogs' type list: label, zero, pattern, zero, ..., and a final
// zero (c_str() adds the last one).
std::wstring filterText(const std::vector<app::FileFilter>& filters) {
  std::wstring text;
  for (const app::FileFilter& filter : filters) {
    text += filter.label;
    text.push_back(L'\0');
    text += filter.pattern;
    text.push_back(L'\0');
  }
  if (filters.empty()) text.push_back(L'\0');
  return text;
}

// The file-name buffer of both file dialogs.
constexpr std::size_t file_name_buffer_length = 256;
using FileNameBuffer = std::array<wchar_t, file_name_buffer_length>;

// What the open and save dialogs share: owner, filter and the file-name buffer.
OPENFILENAMEW fileDialog(HWND owner, const std::wstring& filter, FileNameBuffer& file_name) {
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file_name.data();
  dialog.nMaxFile = static_cast<DWORD>(file_name.size());
  return dialog;
}

}  // namespace

app::MessageAnswer showMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption,
                                  app::MessageIcon icon, app::MessageButtons buttons) {
  const int result =
      MessageBoxW(owner, text.c_str(), caption.c_str(), iconFlag(icon) | buttonFlag(buttons));
  return answerOf(result, buttons);
}

LRESULT CALLBACK ShellWindow::windowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  ShellWindow* self = nullptr;
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    self = static_cast<ShellWindow*>(create->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_.store(window);
  } else {
    self = reinterpret_cast<ShellWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  }
  if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);

  LRESULT result = 0;
  try {
    result = self->handleMessage(window, message, wparam, lparam);
  } catch (...) {
    // Nothing may unwind through the system's code that called us. What the
    // message asked for is lost; the window stays usable. A failed creation
    // makes CreateWindowExW fail.
    result = message == WM_CREATE ? -1 : 0;
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->hwnd_.store(nullptr);
  }
  return result;
}

bool ShellWindow::isDialogMessage(MSG&) { return false; }

app::MessageAnswer ShellWindow::messageBox(const std::wstring& text, const std::wstring& caption,
                                           app::MessageIcon icon, app::MessageButtons buttons) {
  return showMessageBox(hwnd(), text, caption, icon, buttons);
}

std::optional<std::wstring> ShellWindow::openFileDialog(const app::OpenFileRequest& request) {
  const std::wstring filter = filterText(request.filters);
  FileNameBuffer file_name{};
  OPENFILENAMEW dialog = fileDialog(hwnd(), filter, file_name);
  dialog.Flags = request.must_exist ? OFN_FILEMUSTEXIST : 0;
  if (!GetOpenFileNameW(&dialog)) return std::nullopt;
  return std::wstring(file_name.data());
}

std::optional<std::wstring> ShellWindow::saveFileDialog(const app::SaveFileRequest& request) {
  const std::wstring filter = filterText(request.filters);
  FileNameBuffer file_name{};
  const std::size_t initial_length =
      std::min(request.initial_name.size(), file_name.size() - 1);
  std::copy_n(request.initial_name.begin(), initial_length, file_name.begin());
  OPENFILENAMEW dialog = fileDialog(hwnd(), filter, file_name);
  dialog.lpstrDefExt = request.default_extension.empty() ? nullptr
                                                         : request.default_extension.c_str();
  dialog.Flags = request.overwrite_prompt ? OFN_OVERWRITEPROMPT : 0;
  if (!GetSaveFileNameW(&dialog)) return std::nullopt;
  return std::wstring(file_name.data());
}

void ShellWindow::postCommand(int command_id, std::intptr_t param) {
  if (HWND window = hwnd_.load()) {
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(command_id), 0),
                 static_cast<LPARAM>(param));
  }
}

int ShellWindow::showComPortDialog(app::ComPortDialogModel& model) {
  return runComPortDialog(instance_, hwnd(), model);
}

void ShellWindow::showAboutBox() { runAboutBox(instance_, hwnd()); }

bool ShellWindow::createProgressWindow(int left_offset) {
  progress_ = openProgressWindow(instance_, hwnd(), left_offset);
  return progress_ != nullptr;
}

void ShellWindow::setProgressPosition(int percent) {
  if (progress_ != nullptr) {
    SendDlgItemMessageW(progress_, IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
  }
}

void ShellWindow::setProgressText(const std::wstring& text) {
  if (progress_ != nullptr) SetDlgItemTextW(progress_, IDC_PROGRESS_TEXT, text.c_str());
}

void ShellWindow::closeProgressWindow() {
  if (progress_ == nullptr) return;
  PostMessageW(progress_, WM_CLOSE, 0, 0);
  progress_ = nullptr;
}

}  // namespace kj::win32
