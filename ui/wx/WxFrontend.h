// Pieces of the wxWidgets front end (MakeWxFrontend, ui/Frontend.h) that
// stand on their own.
#pragma once

#include <string>

#include <wx/string.h>

#include "compat/win32.h"

class wxWindow;

namespace wxui {

// The program's own top-level window behind a handle that one of its views
// gave out, or null (no handle, a host window, a window gone or hidden).
wxWindow* OwnWindow(HWND handle);

// MessageBoxA on the toolkit: the MB_ buttons and icon of type, cp932
// texts; answers IDOK, IDCANCEL, IDYES or IDNO.
int ShowMessageBox(wxWindow* owner, const char* text, const char* caption, UINT type);

// The toolkit's wildcard for a CFileDialog filter ("A (*.a)|*.a||").
wxString WildcardOfFilter(const std::string& filter);

// The chosen host path with "." and defaultExt added when its file name
// has no extension, as the Windows save dialog adds its default extension.
std::string WithDefaultExtension(const std::string& hostPath, const std::string& defaultExt);

}  // namespace wxui
