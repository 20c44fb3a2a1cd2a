#include "app/win32/main_window.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "app/com_port_dialog.h"
#include "app/ids.h"
#include "app/layout.h"
#include "app/win32/dialogs.h"
#include "app/win32/output_item_dialog.h"

namespace kj::win32 {
namespace {

HMENU controlId(int id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

// The index field's text is read with a buffer of this many characters.
constexpr int index_text_buffer_length = 512;

std::size_t detailSlot(app::DetailKind kind) { return kind == app::DetailKind::plain ? 0 : 1; }

// Text with the writable pointer some structures ask for, without casting
// away const: the controls copy it and do not write to it.
struct MutableText {
  explicit MutableText(const std::wstring& text) : chars(text.begin(), text.end()) {
    chars.push_back(L'\0');
  }
  wchar_t* get() { return chars.data(); }
  std::vector<wchar_t> chars;
};

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, std::wstring title, std::wstring command_line,
                       const LogicFactory& make_logic)
    : ShellWindow(instance), title_(std::move(title)), command_line_(std::move(command_line)) {
  details_[detailSlot(app::DetailKind::plain)].kind = app::DetailKind::plain;
  details_[detailSlot(app::DetailKind::battery)].kind = app::DetailKind::battery;
  for (DetailWindow& detail : details_) detail.owner = this;
  logic_ = make_logic(*this, *this, *this);
}

MainWindow::~MainWindow() {
  // The dialogs go while the logic still exists but no longer hears from
  // them (their destruction sends focus and change notifications); then the
  // logic, while everything it might still touch exists.
  accepting_events_ = false;
  for (DetailWindow& detail : details_) detail.window.reset();
  if (HWND window = hwnd()) DestroyWindow(window);
  logic_.reset();
}

bool MainWindow::create(const std::wstring& class_name, int show_command) {
  // Caption, system menu and minimise box only: a fixed frame without a
  // maximise box.
  HWND window = CreateWindowExW(WS_EX_ACCEPTFILES, class_name.c_str(), title_.c_str(),
                                WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT, 0,
                                app::main_window_width, app::main_window_height, nullptr,
                                nullptr, instance(), creationParameter());
  if (window == nullptr) return false;
  ShowWindow(window, show_command);
  UpdateWindow(window);
  return true;
}

bool MainWindow::isDialogMessage(MSG& message) {
  for (DetailWindow& detail : details_) {
    if (detail.window && IsDialogMessageW(detail.window.get(), &message)) return true;
  }
  return false;
}

LRESULT MainWindow::handleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      if (!createControls(window)) return -1;
      if (acceptsEvents()) logic_->onCreate(command_line_);
      return 0;

    case WM_COMMAND:
      if (acceptsEvents()) logic_->onCommand(LOWORD(wparam), static_cast<std::intptr_t>(lparam));
      return 0;

    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header != nullptr && header->idFrom == IDC_RECORD_LIST) return handleListNotify(lparam);
      break;
    }

    case WM_CLOSE:
      // The logic asks first and destroys the window itself.
      if (acceptsEvents()) logic_->onCloseRequest();
      return 0;

    case WM_DESTROY:
      accepting_events_ = false;
      PostQuitMessage(0);
      return 0;

    case WM_PAINT: {
      // Nothing is drawn on the window itself; the controls cover it. The
      // update region is validated with BeginPaint and EndPaint rather than
      // ValidateRect: the window has no WS_CLIPCHILDREN, and ValidateRect
      // would then validate the controls' areas as well (Wine does), so
      // that they never paint.
      PAINTSTRUCT paint{};
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 0;
    }

    case WM_COPYDATA: {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
      if (data != nullptr && acceptsEvents()) {
        logic_->onCopyData(static_cast<std::uintptr_t>(data->dwData), data->lpData,
                           static_cast<std::size_t>(data->cbData));
      }
      return TRUE;
    }

    case WM_CTLCOLORSTATIC:
      // Static controls and group boxes sit on the window colour.
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));

    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT MainWindow::handleListNotify(LPARAM lparam) {
  switch (reinterpret_cast<const NMHDR*>(lparam)->code) {
    case LVN_GETDISPINFOW: {
      // The list draws a row, or someone asked it for a text: the text comes
      // from the logic and is copied into the list's buffer, cut to fit.
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lparam)->item;
      if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) return 0;
      const std::wstring text = acceptsEvents() ? logic_->listCellText(item.iItem, item.iSubItem)
                                                : std::wstring();
      const std::size_t length =
          std::min(text.size(), static_cast<std::size_t>(item.cchTextMax) - 1);
      std::copy_n(text.begin(), length, item.pszText);
      item.pszText[length] = L'\0';
      return 0;
    }
    case LVN_ITEMCHANGED: {
      const auto* change = reinterpret_cast<const NMLISTVIEW*>(lparam);
      if (acceptsEvents()) logic_->onListItemChanged(change->iItem);
      return 0;
    }
    case LVN_ODSTATECHANGED: {
      // The state of a range of rows changed at once. Item by item, the
      // detail dialog would follow each row in turn and end at the last.
      const auto* change = reinterpret_cast<const NMLVODSTATECHANGE*>(lparam);
      if (acceptsEvents()) logic_->onListItemChanged(change->iTo);
      return 0;
    }
    default:
      return 0;
  }
}

bool MainWindow::createControls(HWND window) {
  if (!button_bar_.create(window, instance())) return false;

  list_ = CreateWindowExW(0, WC_LISTVIEWW, std::wstring(app::list_window_text).c_str(),
                          WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDATA, app::list_left,
                          app::list_top, app::list_width, app::list_height, window,
                          controlId(IDC_RECORD_LIST), instance(), nullptr);
  if (list_ == nullptr) return false;
  const DWORD extended = LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
  SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
  int column_index = 0;
  for (const app::ListColumn& column : app::list_column_table) {
    MutableText title{std::wstring(column.title)};
    LVCOLUMNW lv{};
    lv.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    lv.fmt = LVCFMT_LEFT;
    lv.cx = column.width;
    lv.pszText = title.get();
    lv.iSubItem = column_index;
    SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column_index),
                 reinterpret_cast<LPARAM>(&lv));
    ++column_index;
  }

  // Created with zero size: the status bar places itself along the bottom.
  status_bar_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0,
                                app::status_bar_top, 0, 0, window, controlId(IDC_STATUS_BAR),
                                instance(), nullptr);
  if (status_bar_ == nullptr) return false;
  std::array<int, app::status_part_right_edges.size()> edges{};
  std::copy(app::status_part_right_edges.begin(), app::status_part_right_edges.end(),
            edges.begin());
  SendMessageW(status_bar_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  return true;
}

// --- MainWindowUi: main window ---

void MainWindow::enableMenuItem(int command_id, bool enabled) {
  HWND window = hwnd();
  HMENU menu = window != nullptr ? GetMenu(window) : nullptr;
  if (menu == nullptr) return;
  const UINT state = enabled ? UINT{MF_ENABLED} : UINT{MF_GRAYED};
  EnableMenuItem(menu, static_cast<UINT>(command_id), UINT{MF_BYCOMMAND} | state);
  // Several commands are items of the menu bar itself, which is not redrawn
  // by EnableMenuItem.
  DrawMenuBar(window);
}

void MainWindow::enableButton(int command_id, bool enabled) {
  button_bar_.enable(command_id, enabled);
}

void MainWindow::destroyWindow() {
  if (HWND window = hwnd()) DestroyWindow(window);
}

// --- MainWindowUi: list view and status bar ---

void MainWindow::listDeleteAllItems() {
  if (list_ != nullptr) SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
}

void MainWindow::listSetItemCount(int count) {
  // Every row is drawn anew from the logic's texts; nothing is kept.
  if (list_ != nullptr) SendMessageW(list_, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), 0);
}

void MainWindow::listClearSelection() {
  if (list_ == nullptr) return;
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = 0;
  // Item -1: every item.
  SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
}

void MainWindow::setStatusText(int part, const std::wstring& text) {
  if (status_bar_ == nullptr) return;
  SendMessageW(status_bar_, SB_SETTEXTW, static_cast<WPARAM>(part),
               reinterpret_cast<LPARAM>(text.c_str()));
}

int MainWindow::showOutputItemDialog(app::OutputItemDialogModel& model) {
  return runOutputItemDialog(instance(), hwnd(), model);
}

// --- DetailDialogUi: record detail dialogs ---

MainWindow::DetailWindow& MainWindow::detail(app::DetailKind kind) {
  return details_[detailSlot(kind)];
}

bool MainWindow::createDetailWindow(app::DetailKind kind, int left_offset) {
  DetailWindow& target = detail(kind);
  target.window.reset();
  // No owner window: the dialog stays beside the main window on its own.
  HWND dialog = CreateDialogParamW(instance(), MAKEINTRESOURCEW(app::detailTemplateId(kind)),
                                   nullptr, detailDialogProc, reinterpret_cast<LPARAM>(&target));
  if (dialog == nullptr) return false;
  target.window.reset(dialog);

  RECT main_rect{};
  if (HWND window = hwnd(); window != nullptr && GetWindowRect(window, &main_rect)) {
    SetWindowPos(dialog, nullptr, main_rect.left + left_offset, main_rect.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  HWND index_field = GetDlgItem(dialog, IDC_DETAIL_INDEX);
  SendMessageW(index_field, EM_SETLIMITTEXT, 255, 0);
  SendDlgItemMessageW(dialog, IDC_DETAIL_INDEX_SPIN, UDM_SETBUDDY,
                      reinterpret_cast<WPARAM>(index_field), 0);
  ShowWindow(dialog, SW_SHOW);
  return true;
}

void MainWindow::destroyDetailWindow(app::DetailKind kind) { detail(kind).window.reset(); }

void MainWindow::setDetailTitle(app::DetailKind kind, const std::wstring& title) {
  if (HWND dialog = detail(kind).window.get()) SetWindowTextW(dialog, title.c_str());
}

void MainWindow::setDetailText(app::DetailKind kind, int control_id, const std::wstring& text) {
  if (HWND dialog = detail(kind).window.get()) SetDlgItemTextW(dialog, control_id, text.c_str());
}

void MainWindow::setDetailIndexRange(app::DetailKind kind, int lowest, int highest) {
  HWND dialog = detail(kind).window.get();
  if (dialog == nullptr) return;
  SendDlgItemMessageW(dialog, IDC_DETAIL_INDEX_SPIN, UDM_SETRANGE32,
                      static_cast<WPARAM>(lowest), static_cast<LPARAM>(highest));
  SendDlgItemMessageW(dialog, IDC_DETAIL_INDEX_SPIN, UDM_SETPOS32, 0,
                      static_cast<LPARAM>(lowest));
}

INT_PTR CALLBACK MainWindow::detailDialogProc(HWND dialog, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
  DetailWindow* detail = nullptr;
  if (message == WM_INITDIALOG) {
    detail = reinterpret_cast<DetailWindow*>(lparam);
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(detail));
    // Focus goes to the first field, the index field.
    return TRUE;
  }
  detail = reinterpret_cast<DetailWindow*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (detail == nullptr) return FALSE;

  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(dialog, DWLP_USER, 0);
    // Destroyed by someone else than its holder (the system at the end):
    // the holder must not destroy it again.
    if (detail->window.get() == dialog) detail->window.release();
    return FALSE;
  }

  try {
    return detail->owner->handleDetailMessage(*detail, dialog, message, wparam, lparam) ? TRUE
                                                                                        : FALSE;
  } catch (...) {
    // Nothing may unwind through the dialog manager.
    return FALSE;
  }
}

bool MainWindow::handleDetailMessage(DetailWindow& detail, HWND dialog, UINT message,
                                     WPARAM wparam, LPARAM lparam) {
  if (!acceptsEvents()) return false;
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      const int code = HIWORD(wparam);
      if (id == CMD_SHOW_RECORD) {
        logic_->onDetailShowRecord(detail.kind, static_cast<std::intptr_t>(lparam));
        return true;
      }
      if (id == IDC_DETAIL_INDEX) {
        switch (code) {
          case EN_SETFOCUS: logic_->onDetailIndexFocus(detail.kind, true); return true;
          case EN_KILLFOCUS: logic_->onDetailIndexFocus(detail.kind, false); return true;
          case EN_CHANGE: {
            std::array<wchar_t, index_text_buffer_length> text{};
            GetWindowTextW(reinterpret_cast<HWND>(lparam), text.data(),
                           static_cast<int>(text.size()));
            logic_->onDetailIndexEdited(detail.kind, std::wstring(text.data()));
            return true;
          }
          default: return false;
        }
      }
      // Escape arrives as IDCANCEL (2), which is also the id of the ambient
      // temperature field: neither closes the dialog, only its close box does.
      return id == IDCANCEL;
    }

    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header != nullptr && header->idFrom == IDC_DETAIL_INDEX_SPIN &&
          header->code == UDN_DELTAPOS) {
        const auto* change = reinterpret_cast<const NMUPDOWN*>(lparam);
        logic_->onDetailIndexStep(detail.kind, change->iDelta);
        // Allow the change; the control's own position is not used.
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
        return true;
      }
      return false;
    }

    case WM_CLOSE:
      // The logic destroys the dialog (destroyDetailWindow).
      logic_->onDetailClose(detail.kind);
      return true;

    default:
      return false;
  }
}

// --- MainWindowUi: the print settings dialog ---

int MainWindow::showPrintSettingsDialog(app::PrintSettingsDialogModel& model) {
  return runPrintSettingsDialog(instance(), hwnd(), model);
}

}  // namespace kj::win32
