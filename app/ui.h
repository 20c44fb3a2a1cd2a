#pragma once
// The window logic's view of the user interface, in both directions, with no
// Windows types in it.
//
//   logic -> window: operations the logic asks for, split by who needs them.
//   The Windows layer implements them with the windows, their controls and
//   dialogs; tests implement them with a fake that records calls and answers
//   dialogs.
//     ShellUi         what every window needs: message box, file dialogs, the
//                     COM port dialog, the about box, the progress window,
//                     posting a command from another thread.
//     MainWindowUi    the main window's menu, buttons, record list and status
//                     bar, and its destruction.
//     DetailDialogUi  the record detail dialogs (DetailDialog uses only this).
//   MainWindowEvents  window -> logic: what the window procedures report. The
//                     window logic (MainWindowState) implements it; a window
//                     procedure turns one message into one call and does
//                     nothing else of substance.
//
// Everything is called on the window thread, except ShellUi::postCommand.
// Texts are final display texts; ids are the numbers of app/ids.h. Modal
// operations (message box, file dialogs, COM port dialog, about box) return
// only when the user has answered; window messages arriving meanwhile may call
// back into MainWindowEvents.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/ids.h"

namespace kj::app {

class ComPortDialogModel;
class PrintSettingsDialogModel;
class OutputItemDialogModel;

enum class MessageIcon { error, information, warning, question, none };
enum class MessageButtons { ok, ok_cancel, yes_no };
enum class MessageAnswer { ok, cancel, yes, no };

// One entry of a file dialog's type list, e.g. {L"融着記録 (*.efd, *.efdx)",
// L"*.efd;*.efdx"}.
struct FileFilter {
  std::wstring label;
  std::wstring pattern;
  bool operator==(const FileFilter&) const = default;
};

// The open-file dialog: file-name buffer of 256 characters, owned by the main
// window.
struct OpenFileRequest {
  std::vector<FileFilter> filters;
  bool must_exist = true;  // only an existing file can be chosen
  bool operator==(const OpenFileRequest&) const = default;
};

// The save-file dialog: file-name buffer of 256 characters, owned by the main
// window.
struct SaveFileRequest {
  std::wstring initial_name;        // proposed file name
  std::vector<FileFilter> filters;
  std::wstring default_extension;   // appended when the user types none; no dot
  bool overwrite_prompt = true;     // ask before replacing an existing file
  bool operator==(const SaveFileRequest&) const = default;
};

// The two record detail dialogs: plain records (template IDD_RECORD_DETAIL)
// and battery records (IDD_BATTERY_RECORD_DETAIL).
enum class DetailKind { plain, battery };

constexpr int detailTemplateId(DetailKind kind) {
  return kind == DetailKind::plain ? IDD_RECORD_DETAIL : IDD_BATTERY_RECORD_DETAIL;
}

// The texts of one list row, columns 0-4.
inline constexpr std::size_t list_column_count = 5;
using ListRow = std::array<std::wstring, list_column_count>;

// Operations every window of the program needs (the main window and the
// simple mode window each implement them): modal dialogs owned by the
// window, the progress window of a receive, and posting a command.
class ShellUi {
 public:
  ShellUi() = default;
  ShellUi(const ShellUi&) = delete;
  ShellUi& operator=(const ShellUi&) = delete;
  virtual ~ShellUi() = default;

  // Modal message box owned by the window; returns the button pressed (ok
  // for the ok-only box).
  virtual MessageAnswer messageBox(const std::wstring& text, const std::wstring& caption,
                                   MessageIcon icon, MessageButtons buttons) = 0;

  // Modal file dialogs owned by the window. The chosen path, or nothing when
  // the user cancels (or the dialog fails).
  virtual std::optional<std::wstring> openFileDialog(const OpenFileRequest& request) = 0;
  virtual std::optional<std::wstring> saveFileDialog(const SaveFileRequest& request) = 0;

  // Posts command `command_id` with second parameter `param` to the window;
  // it arrives later as the window's command event. Safe to call from any
  // thread; never waits for the window thread.
  virtual void postCommand(int command_id, std::intptr_t param) = 0;

  // Runs the COM port dialog (IDD_COM_PORT) over `model`: fills drop-down
  // IDC_COM_PORT_LIST with model.entries(), selects model.initialSelection(),
  // and on "OK" ends with model.accept(selected entry or -1). The close box
  // ends with ComPortDialogModel::closed_result. Returns the result.
  virtual int showComPortDialog(ComPortDialogModel& model) = 0;
  // Runs the about box (IDD_ABOUT) until "OK" or Escape.
  virtual void showAboutBox() = 0;

  // --- progress window IDD_PROGRESS (modeless, owned by the window) ---

  // Creates the progress window, places it at the window's left edge +
  // `left_offset`, level with its top, keeping its size, and shows it; its
  // bar has the range 0-100 at position 0. False when it cannot be created.
  // Called only while no progress window exists.
  virtual bool createProgressWindow(int left_offset) = 0;
  // Position (0-100) of the bar IDC_PROGRESS_BAR.
  virtual void setProgressPosition(int percent) = 0;
  // Text of the line IDC_PROGRESS_TEXT.
  virtual void setProgressText(const std::wstring& text) = 0;
  // Asks the progress window to close (it goes once the request arrives) and
  // forgets it. Nothing when there is none.
  virtual void closeProgressWindow() = 0;
};

// The main window's own controls: its menu, its button bar, the record list
// IDC_RECORD_LIST and the status bar IDC_STATUS_BAR.
class MainWindowUi {
 public:
  MainWindowUi() = default;
  MainWindowUi(const MainWindowUi&) = delete;
  MainWindowUi& operator=(const MainWindowUi&) = delete;
  virtual ~MainWindowUi() = default;

  // Runs the print settings dialog (IDD_PRINT_SETTINGS) modally over
  // `model`; "OK" ends with model.accept(...), "キャンセル" and the close box
  // with PrintSettingsDialogModel::cancel(). Returns the result.
  virtual int showPrintSettingsDialog(PrintSettingsDialogModel& model) = 0;

  // Enables the main menu's item `command_id`, or grays it.
  virtual void enableMenuItem(int command_id, bool enabled) = 0;
  // Enables or disables the button-bar button that sends `command_id`. Ids
  // without a button are ignored.
  virtual void enableButton(int command_id, bool enabled) = 0;

  // Destroys the main window (the message loop then ends). No event follows
  // except those the destruction itself produces.
  virtual void destroyWindow() = 0;

  // The list holds no rows of its own: it shows `count` rows and asks
  // MainWindowEvents::listCellText for the texts of the rows it draws.
  virtual void listDeleteAllItems() = 0;
  // Sets the number of rows, 0-based rows 0 .. count-1, and redraws them.
  virtual void listSetItemCount(int count) = 0;
  // Clears the selected and focused state of every item. The item-changed
  // notifications this produces may arrive (synchronously) as
  // onListItemChanged before it returns.
  virtual void listClearSelection() = 0;
  // Text of status bar part 0-3.
  virtual void setStatusText(int part, const std::wstring& text) = 0;

  // Runs the output item dialog model.templateId() modally, owned by the
  // main window: each check box model.checkBoxId(i) starts as
  // model.initiallyChecked(i); "OK" ends it with model.accept(the boxes'
  // states in item order), "キャンセル", the close box and Escape with
  // model.cancel(). Returns the end code (cancel_result when the dialog
  // cannot be shown).
  virtual int showOutputItemDialog(OutputItemDialogModel& model) = 0;
};

// The record detail dialogs (modeless, no owner window).
class DetailDialogUi {
 public:
  DetailDialogUi() = default;
  DetailDialogUi(const DetailDialogUi&) = delete;
  DetailDialogUi& operator=(const DetailDialogUi&) = delete;
  virtual ~DetailDialogUi() = default;

  // Creates the dialog of `kind` from its template, places it at the main
  // window's left edge + `left_offset`, level with its top, keeping its size,
  // and shows it. The index field is limited to 255 characters. False when it
  // cannot be created. Called only while that dialog does not exist.
  virtual bool createDetailWindow(DetailKind kind, int left_offset) = 0;
  // Destroys the dialog of `kind`. Called only while it exists.
  virtual void destroyDetailWindow(DetailKind kind) = 0;
  virtual void setDetailTitle(DetailKind kind, const std::wstring& title) = 0;
  // Text of control `control_id` (IDC_DETAIL_*) of the dialog. Setting the
  // index field may produce onDetailIndexEdited before it returns.
  virtual void setDetailText(DetailKind kind, int control_id, const std::wstring& text) = 0;
  // Range of the up-down control IDC_DETAIL_INDEX_SPIN (buddy of the index
  // field); its position is set to `lowest`.
  virtual void setDetailIndexRange(DetailKind kind, int lowest, int highest) = 0;
};

class MainWindowEvents {
 public:
  MainWindowEvents() = default;
  MainWindowEvents(const MainWindowEvents&) = delete;
  MainWindowEvents& operator=(const MainWindowEvents&) = delete;
  virtual ~MainWindowEvents() = default;

  // --- main window ---

  // Window creation (WM_CREATE), once the menu, button bar, list view and
  // status bar exist. `command_line` is the process's command line after
  // the quote rule; empty when there is none. Runs the start-up steps and
  // then loads the file named by the command line.
  virtual void onCreate(const std::wstring& command_line) = 0;

  // A command (WM_COMMAND): `command_id` is the low 16 bits of the first
  // parameter, `param` the second parameter as it came (a button's window
  // for button clicks, the index for CMD_CLEAR_SELECTION, the values of the
  // posted receive commands). Unknown ids have no effect.
  virtual void onCommand(int command_id, std::intptr_t param) = 0;

  // The list's item-changed notification (WM_NOTIFY from IDC_RECORD_LIST with
  // LVN_ITEMCHANGED), with the item index of the notification as it came
  // (-1 when it concerns all items). Answer the notification with 0.
  virtual void onListItemChanged(int item_index) = 0;

  // The text the list shows in row `index`, column `column` (0-4): the list
  // asks for it whenever it draws the row or is asked for the text. Empty
  // outside the rows shown. Must not call back into the UI.
  virtual std::wstring listCellText(int index, int column) const = 0;

  // The title-bar close (WM_CLOSE). Do not pass it on to the default
  // handling: the logic destroys the window through destroyWindow if the
  // user agrees.
  virtual void onCloseRequest() = 0;

  // A copy-data message (WM_COPYDATA) from another process: its data tag, its
  // data pointer and its byte count, untouched. The bytes are only read
  // during the call and never beyond `size`; anything that is not a
  // zero-terminated UTF-16 text within `size` is ignored.
  virtual void onCopyData(std::uintptr_t tag, const void* data, std::size_t size) = 0;

  // --- record detail dialog of `kind` ---

  // Command CMD_SHOW_RECORD sent to the dialog (WM_COMMAND, 1032), with the
  // record index from its second parameter.
  virtual void onDetailShowRecord(DetailKind kind, std::intptr_t index) = 0;
  // The up-down control's position-change notification (UDN_DELTAPOS) with
  // its requested change; answer it with 0 (allow).
  virtual void onDetailIndexStep(DetailKind kind, int delta) = 0;
  // The index field IDC_DETAIL_INDEX gained (EN_SETFOCUS, true) or lost
  // (EN_KILLFOCUS, false) the keyboard focus.
  virtual void onDetailIndexFocus(DetailKind kind, bool focused) = 0;
  // The index field's text changed (EN_CHANGE); `text` is its content, read
  // with a buffer of 512 characters.
  virtual void onDetailIndexEdited(DetailKind kind, const std::wstring& text) = 0;
  // The dialog's close request (WM_CLOSE). Do not destroy the dialog
  // yourself; the logic calls destroyDetailWindow.
  virtual void onDetailClose(DetailKind kind) = 0;
};

}  // namespace kj::app
