#pragma once
// The modal dialogs of the main window, run from their resource templates.

#include "app/com_port_dialog.h"
#include "app/win32/win32_include.h"

namespace kj::win32 {

// Runs the COM port dialog (IDD_COM_PORT) owned by `owner` over `model` and
// returns its result: the model's answer to "OK", or closed_result for the
// close box (and when the dialog cannot be shown).
int runComPortDialog(HINSTANCE instance, HWND owner, app::ComPortDialogModel& model);

// Runs the about box (IDD_ABOUT) owned by `owner` until "OK" or Escape.
void runAboutBox(HINSTANCE instance, HWND owner);

}  // namespace kj::win32
