#pragma once
// The one way platform code includes <windows.h>: no min/max macros, no rarely
// used parts, the wide (W) declarations.

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
