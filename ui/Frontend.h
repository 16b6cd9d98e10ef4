// The front end that shows the program's windows: wxWidgets windows on a
// Linux desktop, Windows' own dialogs on Windows, or a terminal where there
// is no display.  Dialog behaviour lives
// in plain classes; a front end only draws them and reports the user's
// actions back.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "compat/win32.h"
#include "ui/ProgressDlg.h"

class CConditionsDlg;

class Frontend {
public:
    virtual ~Frontend() = default;

    // Shows the conditions dialog modally over parent (none when null) and
    // returns how it ended: IDOK or IDCANCEL.
    virtual int RunConditions(CConditionsDlg& dialog, HWND parent) = 0;

    // Creates the progress window (dialog 131), shown, owned by the caller.
    virtual std::unique_ptr<IProgressView> CreateProgressView(HWND parent) = 0;

    // A message box; texts are cp932.
    virtual int MessageBox(HWND owner, const char* text, const char* caption, UINT type) = 0;

    // The system's save-file dialog; true with the chosen path (cp932).
    virtual bool BrowseSaveFile(const std::string& title, const std::string& filter, const std::string& defaultExt,
                                const std::string& initialDir, const std::string& initialName, std::string& chosen) = 0;
};

// The process's front end; installing one also routes MessageBoxA to it.
void SetFrontend(Frontend* frontend);
Frontend* GetFrontend();

// Terminal: questions on out, answers read line by line from in.
std::unique_ptr<Frontend> MakeTerminalFrontend(FILE* in, FILE* out);

// wxWidgets: StartWxFrontend runs wxEntryStart (false when there is no
// display); StopWxFrontend runs wxEntryCleanup.  MakeWxFrontend needs a
// started toolkit.
bool StartWxFrontend(int& argc, char** argv);
void StopWxFrontend();
std::unique_ptr<Frontend> MakeWxFrontend();

// The program's windows, whichever the build has: the wxWidgets ones on
// Linux (from their module), Windows' own dialogs on Windows, none in a
// build without windows.  WindowDisplayPresent says whether there is a
// display to try them on; StartWindowFrontend is false when they cannot
// start, MakeWindowFrontend needs them started.
bool WindowDisplayPresent();
bool StartWindowFrontend(int& argc, char** argv);
void StopWindowFrontend();
std::unique_ptr<Frontend> MakeWindowFrontend();
