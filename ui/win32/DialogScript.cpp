#include "ui/win32/DialogScript.h"

#include <cstdio>

#include "ui/ConditionsDlg.h"
#include "ui/ProgressDlg.h"

namespace {

// A string literal of the script: a double quote is doubled, everything
// else (cp932 bytes included) stands as it is.
std::string Quoted(const char* text) {
    std::string out = "\"";
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == '"') out += '"';
        out += *p;
    }
    out += '"';
    return out;
}

std::string Place(const StDlgItem& item) {
    char place[64];
    std::snprintf(place, sizeof place, "%d, %d, %d, %d", item.x, item.y, item.cx, item.cy);
    return place;
}

std::string IdOf(int id) {
    if (id == IDOK) return "IDOK";
    if (id == IDCANCEL) return "IDCANCEL";
    return std::to_string(id);
}

// Every control as a CONTROL statement: its class and whole style are
// written out, so nothing depends on the defaults a resource compiler
// gives its short forms.  WS_CHILD | WS_VISIBLE is CONTROL's own.
std::string Control(const StDlgItem& item) {
    const char* windowClass = "BUTTON";
    std::string style;
    switch (item.eKind) {
    case EDlgItemKind::Label:
        // The labels show data (a business name) as it is: an "&" in it
        // marks no access key.
        windowClass = "STATIC";
        style = "SS_LEFT | SS_NOPREFIX | WS_GROUP";
        break;
    case EDlgItemKind::Group:
        style = "BS_GROUPBOX";
        break;
    case EDlgItemKind::FirstRadio:
        style = "BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP";
        break;
    case EDlgItemKind::Radio:
        style = "BS_AUTORADIOBUTTON";
        break;
    case EDlgItemKind::Edit:
        windowClass = "EDIT";
        style = "ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP";
        break;
    case EDlgItemKind::Button:
        // 実行 is the default button: Enter on a control that does not
        // take it presses 実行.
        style = item.nId == IDOK ? "BS_DEFPUSHBUTTON | WS_TABSTOP" : "BS_PUSHBUTTON | WS_TABSTOP";
        break;
    case EDlgItemKind::SmoothProgress:
        windowClass = "msctls_progress32";
        style = "PBS_SMOOTH | WS_BORDER";
        break;
    case EDlgItemKind::Progress:
        windowClass = "msctls_progress32";
        style = "WS_BORDER";
        break;
    }
    return "    CONTROL " + Quoted(item.pszText) + ", " + IdOf(item.nId) + ", " + Quoted(windowClass) + ", " + style +
           ", " + Place(item) + "\n";
}

}  // namespace

std::string DialogStatement(const StDlgTemplate& dialog) {
    // The conditions dialog is the program's window in the task bar; the
    // progress dialog cannot be closed and is shown by the run itself.
    const bool conditions = dialog.nId == IDD_CONDITIONS;
    char head[160];
    std::snprintf(head, sizeof head, "%d DIALOGEX 0, 0, %d, %d\n", dialog.nId, dialog.cx, dialog.cy);
    std::string out = head;
    out += conditions ? "STYLE DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU\n"
                      : "STYLE DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION\n";
    if (conditions) out += "EXSTYLE WS_EX_APPWINDOW\n";
    out += "CAPTION " + Quoted(dialog.pszCaption) + "\n";
    out += "FONT " + std::to_string(dialog.nPointSize) + ", " + Quoted(dialog.pszFontFace) + "\n";
    out += "BEGIN\n";
    for (const StDlgItem& item : dialog) out += Control(item);
    out += "END\n";
    return out;
}

std::string DialogScript() {
    std::string out =
        "// Dialogs 130 and 131, written by the build from ui/DialogResources.cpp.\n"
        "#pragma code_page(932)\n"
        "#include <windows.h>\n"
        "#include <commctrl.h>\n"
        "\n"
        "LANGUAGE LANG_JAPANESE, SUBLANG_DEFAULT\n"
        "\n";
    out += DialogStatement(g_dlgConditions);
    out += "\n";
    out += DialogStatement(g_dlgProgress);
    return out;
}
