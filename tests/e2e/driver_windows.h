#pragma once
// The Windows headers of the end-to-end driver: <windows.h> as all platform
// code includes it, plus the common controls and dialogs.

#include "base/win32_include.h"
// Order matters: the common controls need the definitions of <windows.h>.
#include <commctrl.h>
