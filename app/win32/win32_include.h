#pragma once
// The Windows headers of the application layer: <windows.h> as all platform
// code includes it, then the common controls, the common dialogs and the
// shell's drag and drop of files.

#include "base/win32_include.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
