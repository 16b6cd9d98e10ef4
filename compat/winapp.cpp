// The application object and its entry.

#include "compat/winapp.h"

#include <cstdio>
#include <exception>
#include <mutex>

#include "compat/file.h"
#include "compat/msgbox.h"

namespace {

CWinApp* g_app = nullptr;

std::mutex g_cursorMutex;
std::function<void(bool)> g_cursorHandler;
int g_waitDepth = 0;

// The handler is called outside the lock, so it may use the cursor calls.
void ShowCursorIf(bool show, bool busy) {
    std::function<void(bool)> handler;
    if (show) {
        std::lock_guard<std::mutex> lock(g_cursorMutex);
        handler = g_cursorHandler;
    }
    if (handler) handler(busy);
}

}  // namespace

CWinApp::CWinApp(const char* appName) {
    if (appName != nullptr) compat::SetAppName(appName);
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

void CWinApp::BeginWaitCursor() {
    bool first;
    {
        std::lock_guard<std::mutex> lock(g_cursorMutex);
        first = g_waitDepth++ == 0;
    }
    ShowCursorIf(first, true);
}

void CWinApp::EndWaitCursor() {
    bool last;
    {
        std::lock_guard<std::mutex> lock(g_cursorMutex);
        last = g_waitDepth > 0 && --g_waitDepth == 0;
    }
    ShowCursorIf(last, false);
}

void CWinApp::RestoreWaitCursor() {
    // A message box may have put the arrow back while the work goes on.
    bool busy;
    {
        std::lock_guard<std::mutex> lock(g_cursorMutex);
        busy = g_waitDepth > 0;
    }
    ShowCursorIf(busy, true);
}

CWinApp* AfxGetApp() { return g_app; }

int AfxWinMain(CWinApp& app, const std::string& commandLine) {
    app.m_strCmdLineStorage = commandLine;
    app.m_lpCmdLine = app.m_strCmdLineStorage.c_str();
    // The host waits for ExitInstance's notification, so it runs even when
    // InitInstance breaks off with an exception nobody caught.
    try {
        app.InitInstance();
    } catch (const CFileException& e) {
        fprintf(stderr, "%s: file error %d (errno %ld) left InitInstance\n", compat::AppName().c_str(), e.m_cause,
                e.m_lOsError);
    } catch (const std::exception& e) {
        fprintf(stderr, "%s: %s left InitInstance\n", compat::AppName().c_str(), e.what());
    } catch (...) {
        fprintf(stderr, "%s: an exception left InitInstance\n", compat::AppName().c_str());
    }
    return app.ExitInstance();
}

std::string JoinCommandLine(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (argv[i] == nullptr) break;
        if (i > 1) line += ' ';
        line += argv[i];
    }
    return line;
}

namespace compat {

void SetWaitCursorHandler(std::function<void(bool busy)> handler) {
    std::lock_guard<std::mutex> lock(g_cursorMutex);
    g_cursorHandler = std::move(handler);
}

}  // namespace compat
