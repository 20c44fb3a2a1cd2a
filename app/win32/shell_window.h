#pragma once
// What every window of kjvt58.exe does alike for its logic (app::ShellUi):
// message boxes, the file dialogs, commands posted from other threads, the
// COM port dialog, the about box and the progress window, all owned by the
// window. The main window and the simple mode window derive from it.

#include <atomic>
#include <optional>
#include <string>

#include "app/ui.h"
#include "app/win32/win32_include.h"

namespace kj::win32 {

// A message box owned by `owner` (null: no owner window). A box that cannot be
// shown answers with its refusing button.
app::MessageAnswer showMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption,
                                  app::MessageIcon icon, app::MessageButtons buttons);

class ShellWindow : public app::ShellUi {
 public:
  // The window; null before its creation and after its destruction.
  HWND hwnd() const { return hwnd_.load(); }

  // The procedure of both window classes. The window is created with its
  // ShellWindow as the creation parameter; every message goes to its
  // handleMessage, and no exception gets past this procedure.
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  // For the message loop: true when `message` belonged to one of the
  // window's open modeless dialogs and has been handled as dialog keyboard
  // input. A window without such dialogs takes none.
  virtual bool isDialogMessage(MSG& message);

  // app::ShellUi.
  app::MessageAnswer messageBox(const std::wstring& text, const std::wstring& caption,
                                app::MessageIcon icon, app::MessageButtons buttons) override;
  std::optional<std::wstring> openFileDialog(const app::OpenFileRequest& request) override;
  std::optional<std::wstring> saveFileDialog(const app::SaveFileRequest& request) override;
  // Safe from any thread: the command arrives as WM_COMMAND on the window's
  // thread, or is dropped when there is no window.
  void postCommand(int command_id, std::intptr_t param) override;
  int showComPortDialog(app::ComPortDialogModel& model) override;
  void showAboutBox() override;
  bool createProgressWindow(int left_offset) override;
  void setProgressPosition(int percent) override;
  void setProgressText(const std::wstring& text) override;
  void closeProgressWindow() override;

 protected:
  explicit ShellWindow(HINSTANCE instance) : instance_(instance) {}
  ~ShellWindow() override = default;

  HINSTANCE instance() const { return instance_; }
  // The creation parameter of the window (CreateWindowExW's last argument).
  void* creationParameter() { return static_cast<ShellWindow*>(this); }
  // One message of the window. An exception thrown here loses what the
  // message asked for; a failed WM_CREATE makes the creation fail.
  virtual LRESULT handleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) = 0;

 private:
  const HINSTANCE instance_;
  // Written by the window procedure at WM_NCCREATE and WM_NCDESTROY on the
  // window thread; read by postCommand on any thread.
  std::atomic<HWND> hwnd_{nullptr};
  // The progress window (IDD_PROGRESS), owned by the window and destroyed
  // with it or by its own close request; null when there is none.
  HWND progress_ = nullptr;
};

}  // namespace kj::win32
