// MFC's application object, as far as the program uses it.
//
// AfxWinMain runs InitInstance and then, whatever it returned, ExitInstance:
// the program has no main window, so there is never a message loop between
// the two.  The front end (windows or terminal) is started before and
// cleaned up after by the caller.
#pragma once

#include <functional>
#include <string>

#include "compat/win32.h"

class CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }

    void BeginWaitCursor();
    void EndWaitCursor();
    void RestoreWaitCursor();

    // The text after the program name, as Windows hands it over.
    const char* m_lpCmdLine = "";

private:
    std::string m_strCmdLineStorage;
    friend int AfxWinMain(CWinApp& app, const std::string& commandLine);
};

// The process's one application object.
CWinApp* AfxGetApp();

// Runs the application object; returns ExitInstance's answer.
int AfxWinMain(CWinApp& app, const std::string& commandLine);

// Joins argv[1..] with single blanks, as the command line the host gave.
std::string JoinCommandLine(int argc, char** argv);

namespace compat {
// The front end shows a busy cursor between these; nesting counts.
void SetWaitCursorHandler(std::function<void(bool busy)> handler);
}  // namespace compat
