// Win32 types, constants and calls as the program uses them.
//
// On Windows they are Windows' own (win32_windows.h).  Elsewhere this
// layer stands in for them: paths handed to these calls are Windows paths
// in code page 932 ("C:\\dir\\file.xml", "\\\\server\\share\\x"); the drive
// table (drives.h) maps them onto host folders.  Names cross to the host as
// UTF-8.
#pragma once

#ifdef _WIN32
#include "compat/win32_windows.h"
#else

#include <cstddef>
#include <cstdint>

typedef int BOOL;
typedef unsigned int UINT;
typedef uint32_t DWORD;
typedef uint32_t LCID;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef struct HWND__* HWND;
typedef struct HINSTANCE__* HMODULE;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef void* HGLOBAL;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#ifndef MAX_PATH
#define MAX_PATH 260
#endif

// Message box styles and answers.
constexpr UINT MB_OK = 0x00;
constexpr UINT MB_YESNO = 0x04;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Drive types of GetDriveTypeA.
constexpr UINT DRIVE_UNKNOWN = 0;
constexpr UINT DRIVE_NO_ROOT_DIR = 1;
constexpr UINT DRIVE_REMOVABLE = 2;
constexpr UINT DRIVE_FIXED = 3;
constexpr UINT DRIVE_REMOTE = 4;
constexpr UINT DRIVE_CDROM = 5;
constexpr UINT DRIVE_RAMDISK = 6;

// Virtual keys.
constexpr int VK_RETURN = 0x0D;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_F12 = 0x7B;

constexpr DWORD LCMAP_FULLWIDTH = 0x00800000;

constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GMEM_DDESHARE = 0x2000;

// _splitpath buffer sizes.
constexpr size_t _MAX_DRIVE = 3;
constexpr size_t _MAX_DIR = 256;
constexpr size_t _MAX_FNAME = 256;
constexpr size_t _MAX_EXT = 256;

// kernel32 -----------------------------------------------------------------

// The running program's own file as a Windows path ("Z:\\...\\DeprLinkStd.exe"
// for a program outside every configured drive, Z: being the host's root).
// Returns the length copied, 0 on failure; truncates like Windows does.
DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size);

// Ini reading with the Windows semantics: the value after "key=" in
// "[section]" (names compared without regard to case, blanks around the
// value trimmed, one pair of surrounding quotes removed), else the default;
// the copy is cut to size - 1 bytes.  Returns the number of bytes copied.
// A missing file, section or key gives the default (trailing blanks
// dropped); a key present with an empty value gives "".  A null section
// lists the section names, a null key the keys of the section, each
// NUL-terminated and the list ended by one more NUL.
DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue, char* out, DWORD size,
                               const char* fileName);

// The temporary folder ($TMPDIR, else /tmp) as a Windows path ending in
// "\\".  Returns its length; when it does not fit, the buffer is left alone
// and the size needed (NUL included) is returned.
DWORD GetTempPathA(DWORD size, char* buffer);

// The configured type of "C:\\", "C:" or "\\\\server\\share\\";
// DRIVE_NO_ROOT_DIR for an unconfigured root, a drive whose host folder is
// missing, or a path that is more than a root.
UINT GetDriveTypeA(const char* rootPath);
// Both fail on a read-only drive; RemoveDirectoryA removes only an empty
// folder, and never a drive's root.
BOOL CreateDirectoryA(const char* path, void* security);
BOOL RemoveDirectoryA(const char* path);

LCID GetSystemDefaultLCID();
// Only LCMAP_FULLWIDTH is supported.  srcLen -1 means NUL-terminated.
// Returns the bytes written (terminator included when the source was
// NUL-terminated), or the size needed when dstLen is 0; 0 on failure.
int LCMapStringA(LCID locale, DWORD flags, const char* src, int srcLen, char* dst, int dstLen);

HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
void* GlobalLock(HGLOBAL mem);
BOOL GlobalUnlock(HGLOBAL mem);
HGLOBAL GlobalFree(HGLOBAL mem);

// shlwapi ------------------------------------------------------------------
BOOL PathFileExistsA(const char* path);
BOOL PathIsDirectoryA(const char* path);
// Pointer to the first byte after "C:\\" or "\\\\server\\share\\", or null.
const char* PathSkipRootA(const char* path);
// Reduces the path to its root in place; FALSE when it has none.
BOOL PathStripToRootA(char* path);

// Runtime library -----------------------------------------------------------
// mode 0 existence, 2 write, 4 read, 6 read and write; 0 ok, -1 refused
// (the write bit always on a read-only drive).
int _access(const char* path, int mode);
void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext);

// user32: the host window -------------------------------------------------
// A host window is a number that the host put on the command line; the
// calls reach the host stand-in over its socket (host.h).  Unknown windows
// answer FALSE, as an invalid handle would.
BOOL EnableWindow(HWND window, BOOL enable);
BOOL SetForegroundWindow(HWND window);
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL IsWindow(HWND window);
// Makes parent (a host window) the parent of child, one of the program's
// own windows, which is named to the host by its handle's value.  The
// program's windows start without a parent, so the previous parent
// answered is always none; whether the host took the request is not
// answered, as the program does not look.
HWND SetParent(HWND child, HWND parent);

// Message boxes go to whatever display the front end installed
// (msgbox.h); texts are code page 932.
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);

#endif  // _WIN32
