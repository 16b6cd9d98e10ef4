// The program's entry: picks the front end, runs the application object
// and cleans the front end up again.
//
// The front end is the program's windows where there is a display (the
// wxWidgets ones on Linux, Windows' own dialogs on Windows), the terminal
// otherwise; DEPRLINK_FRONTEND=terminal forces the terminal, =windows (or
// =wx) the windows.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/LinkApp.h"
#include "compat/msgbox.h"
#include "edition/Edition.h"
#include "ui/Frontend.h"

namespace {
CLinkApp theApp;
}

int main(int argc, char** argv) {
    // DeprLinkPro is this program built with DEPRLINK_EDITION_PRO.
#if defined(DEPRLINK_EDITION_PRO)
    SelectEdition(g_editionPro);
#endif
    compat::SetAppName(CurrentEdition().pszProgramName);

    const char* choice = std::getenv("DEPRLINK_FRONTEND");
    const bool wantTerminal = choice != nullptr && std::strcmp(choice, "terminal") == 0;
    const bool wantWindows =
        choice != nullptr && (std::strcmp(choice, "wx") == 0 || std::strcmp(choice, "windows") == 0);

    std::unique_ptr<Frontend> frontend;
    bool windowsStarted = false;
    if (!wantTerminal && (wantWindows || WindowDisplayPresent())) {
        windowsStarted = StartWindowFrontend(argc, argv);
        if (windowsStarted) frontend = MakeWindowFrontend();
    }
    if (!frontend) {
        if (wantWindows) std::fprintf(stderr, "%s: no display for the windows, using the terminal\n", argv[0]);
        frontend = MakeTerminalFrontend(stdin, stdout);
    }
    SetFrontend(frontend.get());

    AfxWinMain(theApp, JoinCommandLine(argc, argv));

    SetFrontend(nullptr);
    frontend.reset();
    if (windowsStarted) StopWindowFrontend();
    // The host learns the outcome from the posted message only.
    return 0;
}
