// Message boxes: dispatch to the installed display.

#include "compat/msgbox.h"

#include <cstdio>
#include <mutex>

#include "compat/mbcs.h"

namespace {

std::mutex g_mutex;
compat::MessageBoxHandler g_handler;
std::string g_appName = "DeprLinkStd";

// With no display there is nobody to answer, so the answer is the one that
// changes nothing.
int SafeAnswer(UINT type) {
    switch (type & 0x0F) {
    case 0x00:
        return IDOK;  // MB_OK
    case 0x04:
        return IDNO;  // MB_YESNO
    default:
        return IDCANCEL;  // the boxes offering a cancel button
    }
}

int ShowOnStandardError(HWND, const char* text, const char* caption, UINT type) {
    std::string out = compat::SjisToUtf8(caption != nullptr ? caption : "");
    out += "\n";
    out += compat::SjisToUtf8(text != nullptr ? text : "");
    out += "\n";
    fputs(out.c_str(), stderr);
    fflush(stderr);
    return SafeAnswer(type);
}

}  // namespace

namespace compat {

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    std::lock_guard<std::mutex> lock(g_mutex);
    MessageBoxHandler previous = std::move(g_handler);
    g_handler = std::move(handler);
    return previous;
}

void SetAppName(const std::string& name) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_appName = name;
}

const std::string& AppName() { return g_appName; }

}  // namespace compat

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
    compat::MessageBoxHandler handler;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        handler = g_handler;
    }
    if (!handler) return ShowOnStandardError(owner, text, caption, type);
    return handler(owner, text != nullptr ? text : "", caption != nullptr ? caption : "", type);
}

int AfxMessageBox(const char* text, UINT type) {
    std::string caption = compat::AppName();
    return MessageBoxA(nullptr, text, caption.c_str(), type);
}
