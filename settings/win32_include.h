#pragma once

// The one way the settings code includes <windows.h>: without the min/max
// macros and the rarely used parts, and with the wide (W) declarations.

#ifndef _WIN32
#error "win32_include.h is for the Windows build only"
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
