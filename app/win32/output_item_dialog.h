#pragma once
// The output item dialogs (IDD_OUTPUT_ITEMS, IDD_BATTERY_OUTPUT_ITEMS), run
// modally from their templates over the portable model.

#include "app/output_item_dialog.h"
#include "app/win32/win32_include.h"

namespace kj::win32 {

// Runs the template of `model` owned by `owner`: the boxes start as the model
// says; "OK" ends it with model.accept, "キャンセル", the close box and
// Escape with model.cancel. Returns the end code; cancel_result (after
// model.cancel) when the dialog cannot be shown.
int runOutputItemDialog(HINSTANCE instance, HWND owner, app::OutputItemDialogModel& model);

}  // namespace kj::win32
