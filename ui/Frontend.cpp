#include "ui/Frontend.h"

#include "compat/msgbox.h"

namespace {
Frontend* g_pFrontend = nullptr;
}  // namespace

void SetFrontend(Frontend* frontend) {
    g_pFrontend = frontend;
    if (frontend == nullptr) {
        compat::SetMessageBoxHandler(nullptr);
        return;
    }
    compat::SetMessageBoxHandler([frontend](HWND owner, const char* text, const char* caption, UINT type) {
        return frontend->MessageBox(owner, text, caption, type);
    });
}

Frontend* GetFrontend() { return g_pFrontend; }
