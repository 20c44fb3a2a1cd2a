#pragma once
// The simple mode window of kjvt58.exe (-easy): the window class's procedure,
// the text control and the button, dropped files, and the window's menu, all
// carried out for the portable logic (app::EasyWindowEvents). Files come as
// WM_DROPFILES or through the window's OLE drop target. The message boxes,
// file dialogs, COM port dialog and progress window are ShellWindow's.

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/easy_window.h"
#include "app/win32/drop_target.h"
#include "app/win32/handles.h"
#include "app/win32/shell_window.h"
#include "app/win32/win32_include.h"

namespace kj::win32 {

class EasyWindow final : public ShellWindow, public app::EasyWindowUi {
 public:
  // Makes the window logic for the window's UI operations. The logic must
  // only keep the references; the window calls it from WM_CREATE on.
  using LogicFactory =
      std::function<std::unique_ptr<app::EasyWindowEvents>(app::ShellUi&, app::EasyWindowUi&)>;

  EasyWindow(HINSTANCE instance, std::wstring title, const LogicFactory& make_logic);
  ~EasyWindow() override;

  // Creates the window of the registered class `class_name` (whose procedure
  // must be ShellWindow::windowProc) and shows it with `show_command`. False when it
  // cannot be created.
  bool create(const std::wstring& class_name, int show_command);

  // app::EasyWindowUi.
  app::MessageAnswer ownerlessMessageBox(const std::wstring& text, const std::wstring& caption,
                                         app::MessageIcon icon,
                                         app::MessageButtons buttons) override;
  bool createControls(const std::wstring& text) override;
  void enableMenuItem(int command_id, bool enabled) override;
  void enableButton(bool enabled) override;
  void enableText(bool enabled) override;
  void setText(const std::wstring& text) override;
  void repaintWindow() override;
  void repaintText() override;
  void endMessageLoop(int exit_code) override;

 private:
  LRESULT handleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
  void dropFiles(HDROP drop);
  bool acceptsEvents() const { return logic_ != nullptr && accepting_events_; }

  const std::wstring title_;
  bool accepting_events_ = true;
  // The font of both controls; it must outlive them, so it is declared
  // before the logic and goes after the window.
  UniqueFont font_;
  std::unique_ptr<app::EasyWindowEvents> logic_;
  HWND text_ = nullptr;    // child, destroyed with the window
  HWND button_ = nullptr;  // child, destroyed with the window
  // The window's OLE drop target and the drops it took that wait for their
  // posted message.
  FileDropRegistration drop_registration_;
  std::deque<std::vector<std::wstring>> pending_drops_;
};

}  // namespace kj::win32
