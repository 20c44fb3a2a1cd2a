#pragma once
// The one way the end-to-end driver includes the Windows headers: wide (W)
// declarations, no min/max macros, plus the common controls and dialogs.

#ifndef _WIN32
#error "driver_windows.h is for the Windows build only"
#endif

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif

#include <windows.h>
// Order matters: the common controls need the definitions of <windows.h>.
#include <commctrl.h>
