#pragma once
// The Windows headers of the application layer: <windows.h> as all platform
// code includes it, then the common controls and common dialogs.

#include "base/win32_include.h"

#include <commctrl.h>
#include <commdlg.h>
