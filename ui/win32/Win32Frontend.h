// Pieces of the Windows front end (MakeWindowFrontend, ui/Frontend.h) that
// stand on their own.
#pragma once

#include <string>

#include "compat/win32.h"

namespace win32ui {

// The program's module, whose resources hold dialogs 130 and 131.
HINSTANCE ResourceModule();

// Registers the common controls' progress bar class (once).
bool InitProgressControls();

// Places window in the middle of its owner, or of the screen's work area
// when it has none or the owner is not on screen.
void CentreWindow(HWND window);

// A CFileDialog filter ("A (*.a)|*.a||") as OPENFILENAME takes it: every
// "|" that is not a trail byte becomes a NUL.
std::string FilterOfCFileDialog(const std::string& filter);

// user32's own MessageBoxA, past the program's routing of message boxes.
int SystemMessageBox(HWND owner, const char* text, const char* caption, UINT type);

}  // namespace win32ui
