#pragma once
// The main window of kjvt58.exe: the window class's procedure, the controls
// (button bar, record list, status bar), the record detail dialogs and the
// print settings and output item dialogs, all carried out for the portable
// window logic (the message boxes, file dialogs and progress window are
// ShellWindow's). The window procedures turn each message into one call on
// app::MainWindowEvents; the logic's requests (app::ShellUi,
// app::MainWindowUi, app::DetailDialogUi) become Win32 calls here. The record
// list is an owner-data list: it asks the logic for the texts it draws.

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "app/ui.h"
#include "app/win32/button_bar.h"
#include "app/win32/handles.h"
#include "app/win32/shell_window.h"
#include "app/win32/win32_include.h"

namespace kj::win32 {

class MainWindow final : public ShellWindow, public app::MainWindowUi, public app::DetailDialogUi {
 public:
  // Makes the window logic for the window's UI operations. The logic must
  // only keep the references; the window calls it from WM_CREATE on.
  using LogicFactory = std::function<std::unique_ptr<app::MainWindowEvents>(
      app::ShellUi&, app::MainWindowUi&, app::DetailDialogUi&)>;

  // `command_line` is what the logic receives at creation (after the quote
  // rule); `title` the window title.
  MainWindow(HINSTANCE instance, std::wstring title, std::wstring command_line,
             const LogicFactory& make_logic);
  ~MainWindow() override;

  // Creates the window of the registered class `class_name` (whose procedure
  // must be ShellWindow::windowProc) and shows it with `show_command`. False when it
  // cannot be created.
  bool create(const std::wstring& class_name, int show_command);

  // The record detail dialogs.
  bool isDialogMessage(MSG& message) override;

  // app::MainWindowUi.
  int showPrintSettingsDialog(app::PrintSettingsDialogModel& model) override;
  void enableMenuItem(int command_id, bool enabled) override;
  void enableButton(int command_id, bool enabled) override;
  void destroyWindow() override;
  void listDeleteAllItems() override;
  void listSetItemCount(int count) override;
  void listClearSelection() override;
  void setStatusText(int part, const std::wstring& text) override;
  int showOutputItemDialog(app::OutputItemDialogModel& model) override;

  // app::DetailDialogUi.
  bool createDetailWindow(app::DetailKind kind, int left_offset) override;
  void destroyDetailWindow(app::DetailKind kind) override;
  void setDetailTitle(app::DetailKind kind, const std::wstring& title) override;
  void setDetailText(app::DetailKind kind, int control_id, const std::wstring& text) override;
  void setDetailIndexRange(app::DetailKind kind, int lowest, int highest) override;

 private:
  // One record detail dialog (template 162 or 167); the dialog procedure
  // finds it through DWLP_USER.
  struct DetailWindow {
    MainWindow* owner = nullptr;
    app::DetailKind kind = app::DetailKind::plain;
    UniqueWindow window;
  };

  static INT_PTR CALLBACK detailDialogProc(HWND dialog, UINT message, WPARAM wparam,
                                           LPARAM lparam);

  LRESULT handleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
  // Messages arrive before CreateDialogParamW returns, while `detail` does
  // not hold the dialog yet; hence the dialog's handle beside it.
  bool handleDetailMessage(DetailWindow& detail, HWND dialog, UINT message, WPARAM wparam,
                           LPARAM lparam);
  bool createControls(HWND window);
  // The list's notifications (WM_NOTIFY from IDC_RECORD_LIST).
  LRESULT handleListNotify(LPARAM lparam);
  DetailWindow& detail(app::DetailKind kind);
  // False once the window goes away: events are no longer passed to the logic.
  bool acceptsEvents() const { return logic_ != nullptr && accepting_events_; }

  const std::wstring title_;
  const std::wstring command_line_;
  bool accepting_events_ = true;

  // Declared before the windows and resources, so it goes after them: the
  // dialogs' destruction must not reach a logic that is gone.
  std::unique_ptr<app::MainWindowEvents> logic_;

  ButtonBar button_bar_;
  HWND list_ = nullptr;        // child, destroyed with the window
  HWND status_bar_ = nullptr;  // child, destroyed with the window
  // Plain and battery detail dialogs; they have no owner window, so they are
  // destroyed here rather than with the main window.
  std::array<DetailWindow, 2> details_;
};

}  // namespace kj::win32
