// The wxWidgets front end: the toolkit's start and end, and the windows and
// standard dialogs the program asks for.
#include <clocale>
#include <cstdlib>
#include <memory>
#include <string>

#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/gdicmn.h>
#include <wx/intl.h>
#include <wx/log.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

#include "compat/drives.h"
#include "compat/winapp.h"
#include "ui/ConditionsDlg.h"
#include "ui/Frontend.h"
#include "ui/wx/WxConditionsDlg.h"
#include "ui/wx/WxFrontend.h"
#include "ui/wx/WxMessageBox.h"
#include "ui/wx/WxProgressDlg.h"
#include "ui/wx/WxText.h"

namespace wxui {
namespace {

class WxApplication : public wxApp {
public:
    bool OnInit() override {
        // The command line is the host's, not the toolkit's, so it is not
        // parsed here.  The program talks to the user in message boxes;
        // what the toolkit has to say goes to standard error.
        delete wxLog::SetActiveTarget(new wxLogStderr);
        // The toolkit's own words (the buttons of the message boxes, the
        // save-file dialog) in the user's language.  A locale the system
        // does not have leaves them in English, which needs no word.
        {
            wxLogNull quiet;
            m_locale.Init(wxLANGUAGE_DEFAULT, wxLOCALE_LOAD_DEFAULT);
        }
        // Numbers are read and written the C way whatever the language.
        std::setlocale(LC_NUMERIC, "C");
        return true;
    }

private:
    wxLocale m_locale;
};

bool g_bStarted = false;

class WxFrontend final : public Frontend {
public:
    WxFrontend() {
        compat::SetWaitCursorHandler([](bool busy) {
            if (busy)
                wxBeginBusyCursor();
            else if (wxIsBusy())
                wxEndBusyCursor();
        });
    }
    ~WxFrontend() override { compat::SetWaitCursorHandler(nullptr); }

    int RunConditions(CConditionsDlg& dialog, HWND parent) override {
        WxConditionsDlg window(OwnWindow(parent), dialog);
        wxWindow* const previous = m_pDialog;
        m_pDialog = &window;
        const int result = window.RunModal();
        m_pDialog = previous;
        return result == IDOK ? IDOK : IDCANCEL;
    }

    std::unique_ptr<IProgressView> CreateProgressView(HWND parent) override {
        // A host window belongs to another program and cannot be a
        // toolkit parent; the window then stands alone.
        auto view = std::make_unique<WxProgressDlg>(OwnWindow(parent));
        view->CentreOnScreen();
        view->Show();
        view->Flush();
        return view;
    }

    int MessageBox(HWND owner, const char* text, const char* caption, UINT type) override {
        return ShowMessageBox(OwnWindow(owner), text, caption, type);
    }

    bool BrowseSaveFile(const std::string& title, const std::string& filter, const std::string& defaultExt,
                        const std::string& initialDir, const std::string& initialName, std::string& chosen) override {
        // A folder on no configured drive opens wherever the toolkit likes.
        wxString folder;
        if (!initialDir.empty()) {
            if (std::optional<std::string> host = compat::ToHostPath(initialDir.c_str())) {
                folder = wxString::FromUTF8(host->c_str());
                while (folder.length() > 1 && folder.EndsWith("/")) folder.RemoveLast();
            }
        }
        wxFileDialog dialog(m_pDialog, FromCp932(title), folder, FromCp932(initialName), WildcardOfFilter(filter),
                            wxFD_SAVE);
        if (dialog.ShowModal() != wxID_OK) return false;
        wxString path = dialog.GetPath();
        // Answered without ever being on screen, the native dialog knows
        // only its folder and name.
        if (path.empty() && !dialog.GetFilename().empty()) path = dialog.GetDirectory() + "/" + dialog.GetFilename();
        // No name is no choice: an empty answer must not become a path.
        if (path.empty()) return false;
        const wxScopedCharBuffer host = path.utf8_str();
        chosen = compat::ToWindowsPath(WithDefaultExtension(std::string(host.data(), host.length()), defaultExt));
        return true;
    }

private:
    wxWindow* m_pDialog = nullptr;  // the conditions window while it runs
};

}  // namespace

wxWindow* OwnWindow(HWND handle) {
    // A handle is compared, never followed: it may be the host's.
    if (handle == nullptr) return nullptr;
    for (wxWindow* window : wxTopLevelWindows)
        if (reinterpret_cast<HWND>(window) == handle && window->IsShown()) return window;
    return nullptr;
}

int ShowMessageBox(wxWindow* owner, const char* text, const char* caption, UINT type) {
    WxMessageBox box(owner, FromCp932(text ? text : ""), FromCp932(caption ? caption : ""), type);
    return box.AnswerOf(box.ShowModal());
}

wxString WildcardOfFilter(const std::string& filter) {
    // "Xml Files (*.xml)|*.xml||": the pairs are the same, only the
    // closing "||" is not.
    wxString wildcard = FromCp932(filter);
    while (wildcard.EndsWith("|")) wildcard.RemoveLast();
    return wildcard.empty() ? wxString(wxFileSelectorDefaultWildcardStr) : wildcard;
}

std::string WithDefaultExtension(const std::string& hostPath, const std::string& defaultExt) {
    if (defaultExt.empty()) return hostPath;
    const size_t slash = hostPath.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (nameStart >= hostPath.size()) return hostPath;
    if (hostPath.find('.', nameStart) != std::string::npos) return hostPath;
    return hostPath + "." + defaultExt;
}

}  // namespace wxui

bool StartWxFrontend(int& argc, char** argv) {
    if (wxui::g_bStarted) return true;
    // The program draws nothing with OpenGL.  Allowed to, the toolkit puts
    // every window on the visual it finds best for OpenGL instead of the
    // screen's default one, and a screen dump that reads the screen visual
    // by visual (xwd -root) leaves out a window lying wholly over another
    // of the program's: a message box over the conditions dialog comes out
    // a black rectangle until it is moved.  Set before the toolkit opens
    // the display, which is when it picks the visual; a choice of the
    // user's own is kept.  A visual that an earlier program of the
    // toolkit's left on the display for the next (the root window's
    // GDK_VISUALS) is still taken.
    setenv("GDK_GL", "disable", 0);
    // The display is asked once.  One that drops a connection now and then
    // is an X server resetting whenever its last client leaves (Xvfb
    // without -noreset): a fault of the server's set-up, not one to hide by
    // asking again.
    wxApp::SetInstance(new wxui::WxApplication);
    // Why the toolkit cannot start is said on standard error, the only
    // place to say it before any window exists.
    delete wxLog::SetActiveTarget(new wxLogStderr);
    if (!wxEntryStart(argc, argv)) {
        // wxEntryStart deletes the application object itself when it fails,
        // but not the stock lists and colour names made before the display
        // was asked for; only the application's cleanup frees those.
        wxDeleteStockLists();
        wxDELETE(wxTheColourDatabase);
        return false;
    }
    if (!wxTheApp->CallOnInit()) {
        wxEntryCleanup();
        return false;
    }
    wxui::g_bStarted = true;
    return true;
}

void StopWxFrontend() {
    if (!wxui::g_bStarted) return;
    wxui::g_bStarted = false;
    wxEntryCleanup();
}

std::unique_ptr<Frontend> MakeWxFrontend() {
    if (!wxui::g_bStarted) return nullptr;
    return std::make_unique<wxui::WxFrontend>();
}
