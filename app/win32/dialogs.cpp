#include "app/win32/dialogs.h"

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
