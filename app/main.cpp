// The program's entry: picks the front end, runs the application object
// and cleans the front end up again.
//
// The front end is the wxWidgets windows where there is a display, the
// terminal otherwise; DEPRLINK_FRONTEND=terminal or =wx forces one.

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
    const bool wantWx = choice != nullptr && std::strcmp(choice, "wx") == 0;

    std::unique_ptr<Frontend> frontend;
    bool wxStarted = false;
    if (!wantTerminal && (wantWx || std::getenv("DISPLAY") != nullptr)) {
        wxStarted = StartWxFrontend(argc, argv);
        if (wxStarted) frontend = MakeWxFrontend();
    }
    if (!frontend) {
        if (wantWx) std::fprintf(stderr, "%s: no display for the windows, using the terminal\n", argv[0]);
        frontend = MakeTerminalFrontend(stdin, stdout);
    }
    SetFrontend(frontend.get());

    AfxWinMain(theApp, JoinCommandLine(argc, argv));

    SetFrontend(nullptr);
    frontend.reset();
    if (wxStarted) StopWxFrontend();
    // The host learns the outcome from the posted message only.
    return 0;
}
