#include "app/win32/output_item_dialog.h"

#include <vector>

namespace kj::win32 {
namespace {

INT_PTR CALLBACK outputItemDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* model = reinterpret_cast<app::OutputItemDialogModel*>(GetWindowLongPtrW(dialog, DWLP_USER));
  try {
    switch (message) {
      case WM_INITDIALOG: {
        model = reinterpret_cast<app::OutputItemDialogModel*>(lparam);
        SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(model));
        for (std::size_t i = 0; i < model->itemCount(); ++i) {
          CheckDlgButton(dialog, model->checkBoxId(i), model->initiallyChecked(i) ? BST_CHECKED : BST_UNCHECKED);
        }
        return TRUE;
      }
      case WM_COMMAND:
        if (model == nullptr) return FALSE;
        if (LOWORD(wparam) == IDOK) {
          std::vector<bool> checked(model->itemCount());
          for (std::size_t i = 0; i < checked.size(); ++i) {
            checked[i] = IsDlgButtonChecked(dialog, model->checkBoxId(i)) == BST_CHECKED;
          }
          EndDialog(dialog, model->accept(checked));
          return TRUE;
        }
        // "キャンセル"; the dialog manager sends it for Escape and the close
        // box as well.
        if (LOWORD(wparam) == IDCANCEL) {
          EndDialog(dialog, model->cancel());
          return TRUE;
        }
        return FALSE;
      default:
        return FALSE;
    }
  } catch (...) {
    // Nothing may unwind through the dialog manager; the export then ends as
    // a cancelled one.
    if (model != nullptr) model->cancel();
    EndDialog(dialog, app::OutputItemDialogModel::cancel_result);
    return TRUE;
  }
}

}  // namespace

int runOutputItemDialog(HINSTANCE instance, HWND owner, app::OutputItemDialogModel& model) {
  const INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(model.templateId()), owner,
                                         outputItemDialogProc, reinterpret_cast<LPARAM>(&model));
  if (result == -1 || result == 0) return model.cancel();
  return static_cast<int>(result);
}

}  // namespace kj::win32
