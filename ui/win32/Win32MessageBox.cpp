// user32's own MessageBoxA.  The program's message boxes reach the front
// end through compat's routing (DeprLinkMessageBoxA), which the front end
// answers with this.  On its own in this file: the names of windows.h that
// stand for MessageBoxA (MessageBox too) are the routed call everywhere
// else.
#include "ui/win32/Win32Frontend.h"

#undef MessageBoxA

namespace win32ui {

int SystemMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    return MessageBoxA(owner, text, caption, type);
}

}  // namespace win32ui
