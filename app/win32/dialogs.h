#pragma once
// The modal dialogs of the main window, run from their resource templates.

#include "app/com_port_dialog.h"
#include "app/print_settings_dialog.h"
#include "app/win32/win32_include.h"

namespace kj::win32 {

// Runs the COM port dialog (IDD_COM_PORT) owned by `owner` over `model` and
// returns its result: the model's answer to "OK", or closed_result for the
// close box (and when the dialog cannot be shown).
int runComPortDialog(HINSTANCE instance, HWND owner, app::ComPortDialogModel& model);

// Runs the print settings dialog (IDD_PRINT_SETTINGS) owned by `owner` over
// `model` and returns its result: the model's answer to "OK", or
// cancelled_result for "キャンセル", Escape, the close box and a dialog that
// cannot be shown.
int runPrintSettingsDialog(HINSTANCE instance, HWND owner, app::PrintSettingsDialogModel& model);

// Runs the about box (IDD_ABOUT) owned by `owner` until "OK" or Escape.
void runAboutBox(HINSTANCE instance, HWND owner);

// Creates the progress window (IDD_PROGRESS) owned by `owner`, placed at the
// owner's left edge + `left_offset`, level with its top, keeping its size, and
// shows it; the bar's range is 0-100 at position 0. Its close request destroys
// it; otherwise it goes with its owner. Null when it cannot be created.
HWND openProgressWindow(HINSTANCE instance, HWND owner, int left_offset);

}  // namespace kj::win32
