// The Windows backend of win32.h: the calls are Windows' own, from
// windows.h, shlwapi and the C runtime.  Included by win32.h only.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef STRICT
#define STRICT
#endif

// windows.h first: the others build on its types.
#include <windows.h>

#include <io.h>
#include <shlwapi.h>
#include <stdlib.h>

#include <cstddef>
#include <cstdint>

// The message boxes of the program go to the front end in use (msgbox.h),
// as on the other backend: the terminal front end answers them on the
// console and tests answer them themselves, so a box never waits for a
// click nobody can give.  A window front end shows them with user32's own
// MessageBoxA.  The program's code calls MessageBoxA as ever.
int DeprLinkMessageBoxA(HWND owner, const char* text, const char* caption, UINT type);
#define MessageBoxA DeprLinkMessageBoxA

// GlobalAlloc as the runtime's, with the failure switch of testhooks.h in
// front of it, so that the out-of-memory paths can be tested on Windows too.
HGLOBAL DeprLinkGlobalAlloc(UINT flags, SIZE_T bytes);
#define GlobalAlloc DeprLinkGlobalAlloc
