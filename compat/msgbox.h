// Where message boxes go.  The program calls MessageBoxA / AfxMessageBox;
// the front end in use (windows, terminal, or a test) installs the display.
#pragma once

#include <functional>
#include <string>

#include "compat/win32.h"

namespace compat {

// text and caption are code page 932; the answer is IDOK, IDYES, IDNO...
using MessageBoxHandler = std::function<int(HWND owner, const char* text, const char* caption, UINT type)>;

// Installs a display and returns the previous one.  With none installed,
// the text is written to standard error in UTF-8 and the answer is IDOK
// (IDNO for a yes/no question, the answer that changes nothing).
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// The application's name, the caption of AfxMessageBox (the program's own
// file name without extension, "DeprLinkStd").
void SetAppName(const std::string& name);
const std::string& AppName();

}  // namespace compat

// MFC's AfxMessageBox: a message box owned by no window, titled with the
// application's name.
int AfxMessageBox(const char* text, UINT type = MB_OK);
