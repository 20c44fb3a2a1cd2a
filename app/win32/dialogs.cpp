#include "app/win32/dialogs.h"

#include <array>
#include <string>

#include "app/ids.h"

namespace kj::win32 {
namespace {

INT_PTR CALLBACK comPortDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    switch (message) {
      case WM_INITDIALOG: {
        auto* model = reinterpret_cast<app::ComPortDialogModel*>(lparam);
        SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(model));
        HWND list = GetDlgItem(dialog, IDC_COM_PORT_LIST);
        for (const std::wstring& entry : model->entries()) {
          SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
        }
        // -1 leaves no entry selected.
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(model->initialSelection()), 0);
        return TRUE;
      }
      case WM_COMMAND: {
        auto* model =
            reinterpret_cast<app::ComPortDialogModel*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (model == nullptr) return FALSE;
        if (LOWORD(wparam) == IDOK) {
          // CB_ERR (-1) when nothing is selected.
          const auto selected = SendDlgItemMessageW(dialog, IDC_COM_PORT_LIST, CB_GETCURSEL, 0, 0);
          EndDialog(dialog, model->accept(static_cast<int>(selected)));
          return TRUE;
        }
        // There is no cancel button, and Escape (IDCANCEL) does nothing.
        return LOWORD(wparam) == IDCANCEL ? TRUE : FALSE;
      }
      case WM_CLOSE:
        // The close box; handled here, since the dialog manager would turn it
        // into IDCANCEL, which Escape sends as well.
        EndDialog(dialog, app::ComPortDialogModel::closed_result);
        return TRUE;
      default:
        return FALSE;
    }
  } catch (...) {
    // Nothing may unwind through the dialog manager.
    EndDialog(dialog, app::ComPortDialogModel::closed_result);
    return TRUE;
  }
}

// The characters read from an edit of the print settings dialog.
constexpr int print_edit_read_chars = 512;

std::wstring dialogItemText(HWND dialog, int id) {
  std::array<wchar_t, print_edit_read_chars + 1> buffer{};
  const UINT length = GetDlgItemTextW(dialog, id, buffer.data(), static_cast<int>(buffer.size()));
  return std::wstring(buffer.data(), length);
}

const app::PrintNumberField* printNumberField(int edit_id) {
  for (const app::PrintNumberField& field : app::print_number_fields) {
    if (field.edit_id == edit_id) return &field;
  }
  return nullptr;
}

void initPrintSettings(HWND dialog, const app::PrintSettingsDialogModel& model) {
  HWND list = GetDlgItem(dialog, IDC_PRINT_PAPER);
  for (const std::wstring& entry : model.paperEntries()) {
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  }
  // An index outside the list selects nothing.
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(model.initialPaperSelection()), 0);
  for (const app::PrintNumberField& field : app::print_number_fields) {
    HWND edit = GetDlgItem(dialog, field.edit_id);
    HWND updown = GetDlgItem(dialog, field.updown_id);
    SendMessageW(edit, EM_LIMITTEXT, static_cast<WPARAM>(field.maxChars()), 0);
    SendMessageW(updown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    SendMessageW(updown, UDM_SETRANGE32, static_cast<WPARAM>(field.low), static_cast<LPARAM>(field.high));
    // The up-down writes the number into its edit.
    SendMessageW(updown, UDM_SETPOS32, 0, static_cast<LPARAM>(model.initialValue(field)));
  }
  CheckRadioButton(dialog, IDC_PRINT_LANDSCAPE, IDC_PRINT_PORTRAIT,
                   model.initialPortrait() ? IDC_PRINT_PORTRAIT : IDC_PRINT_LANDSCAPE);
}

INT_PTR CALLBACK printSettingsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    switch (message) {
      case WM_INITDIALOG: {
        auto* model = reinterpret_cast<app::PrintSettingsDialogModel*>(lparam);
        // Set first: filling the edits reports their changes.
        SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(model));
        initPrintSettings(dialog, *model);
        return TRUE;
      }
      case WM_COMMAND: {
        auto* model =
            reinterpret_cast<app::PrintSettingsDialogModel*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (model == nullptr) return FALSE;
        const int id = LOWORD(wparam);
        if (HIWORD(wparam) == EN_CHANGE) {
          const app::PrintNumberField* field = printNumberField(id);
          if (field == nullptr) return FALSE;
          const std::wstring text = dialogItemText(dialog, id);
          if (const auto corrected = app::PrintSettingsDialogModel::correctedText(*field, text)) {
            // The corrected text is in range: its own change notification
            // leaves it alone.
            SetDlgItemTextW(dialog, id, corrected->c_str());
            SendDlgItemMessageW(dialog, id, EM_SETSEL, corrected->size(), static_cast<LPARAM>(corrected->size()));
          }
          return TRUE;
        }
        if (id == IDOK) {
          // CB_ERR (-1) when nothing is selected.
          const auto paper = SendDlgItemMessageW(dialog, IDC_PRINT_PAPER, CB_GETCURSEL, 0, 0);
          const bool landscape = IsDlgButtonChecked(dialog, IDC_PRINT_LANDSCAPE) == BST_CHECKED;
          std::array<std::wstring, 5> texts;
          for (std::size_t i = 0; i < texts.size(); ++i) {
            texts[i] = dialogItemText(dialog, app::print_number_fields[i].edit_id);
          }
          EndDialog(dialog, model->accept(static_cast<int>(paper), landscape, texts));
          return TRUE;
        }
        if (id == IDCANCEL) {
          // "キャンセル", Escape and the close box.
          EndDialog(dialog, app::PrintSettingsDialogModel::cancel());
          return TRUE;
        }
        return FALSE;
      }
      default:
        return FALSE;
    }
  } catch (...) {
    // Nothing may unwind through the dialog manager.
    EndDialog(dialog, app::PrintSettingsDialogModel::cancelled_result);
    return TRUE;
  }
}

INT_PTR CALLBACK aboutBoxProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      // "OK" (IDOK) and Escape (IDCANCEL) end it with their id.
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wparam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK progressWindowProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int runComPortDialog(HINSTANCE instance, HWND owner, app::ComPortDialogModel& model) {
  const INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_COM_PORT), owner,
                                         comPortDialogProc, reinterpret_cast<LPARAM>(&model));
  if (result == -1) return app::ComPortDialogModel::closed_result;
  return static_cast<int>(result);
}

int runPrintSettingsDialog(HINSTANCE instance, HWND owner, app::PrintSettingsDialogModel& model) {
  const INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_PRINT_SETTINGS), owner,
                                         printSettingsDialogProc, reinterpret_cast<LPARAM>(&model));
  if (result == -1) return app::PrintSettingsDialogModel::cancelled_result;
  return static_cast<int>(result);
}

void runAboutBox(HINSTANCE instance, HWND owner) {
  DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ABOUT), owner, aboutBoxProc, 0);
}

HWND openProgressWindow(HINSTANCE instance, HWND owner, int left_offset) {
  HWND dialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_PROGRESS), owner,
                                   progressWindowProc, 0);
  if (dialog == nullptr) return nullptr;
  RECT owner_rect{};
  if (owner != nullptr && GetWindowRect(owner, &owner_rect)) {
    SetWindowPos(dialog, nullptr, owner_rect.left + left_offset, owner_rect.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SendDlgItemMessageW(dialog, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, 100);
  SendDlgItemMessageW(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, 0, 0);
  ShowWindow(dialog, SW_SHOW);
  return dialog;
}

}  // namespace kj::win32
