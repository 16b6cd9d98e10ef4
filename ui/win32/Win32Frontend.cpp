// The Windows front end: dialogs 130 and 131 from the program's resources,
// user32's message boxes and the common save-file dialog.

#include "ui/win32/Win32Frontend.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstring>
#include <memory>

#include "compat/winapp.h"
#include "ui/ConditionsDlg.h"
#include "ui/Frontend.h"
#include "ui/win32/Win32ConditionsDlg.h"
#include "ui/win32/Win32ProgressDlg.h"

namespace win32ui {
namespace {

class Win32Frontend final : public Frontend {
public:
    Win32Frontend() {
        compat::SetWaitCursorHandler([](bool busy) { SetCursor(LoadCursorA(nullptr, busy ? IDC_WAIT : IDC_ARROW)); });
    }
    ~Win32Frontend() override { compat::SetWaitCursorHandler(nullptr); }

    int RunConditions(CConditionsDlg& dialog, HWND parent) override {
        Win32ConditionsDlg window(dialog);
        if (!window.Create(parent)) return IDCANCEL;
        const HWND previous = m_hConditions;
        m_hConditions = window.Handle();
        const int result = window.RunModal();
        m_hConditions = previous;
        return result == IDOK ? IDOK : IDCANCEL;
    }

    std::unique_ptr<IProgressView> CreateProgressView(HWND) override {
        // Made without owner; the run gives it to the host (SetParent).
        auto view = std::make_unique<Win32ProgressDlg>();
        if (!view->Created()) return nullptr;
        CentreWindow(view->Handle());
        ShowWindow(view->Handle(), SW_SHOW);
        UpdateWindow(view->Handle());
        return view;
    }

    int MessageBox(HWND owner, const char* text, const char* caption, UINT type) override {
        return SystemMessageBox(owner, text, caption, type);
    }

    bool BrowseSaveFile(const std::string& title, const std::string& filter, const std::string& defaultExt,
                        const std::string& initialDir, const std::string& initialName, std::string& chosen) override {
        char file[MAX_PATH] = {};
        // A name too long for the buffer starts the dialog empty.
        if (initialName.size() < sizeof file) std::memcpy(file, initialName.c_str(), initialName.size() + 1);
        const std::string filters = FilterOfCFileDialog(filter);
        OPENFILENAMEA ofn = {};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = m_hConditions;
        ofn.lpstrFilter = filters.c_str();
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = file;
        ofn.nMaxFile = sizeof file;
        ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
        ofn.lpstrTitle = title.c_str();
        ofn.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
        ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
        if (!GetSaveFileNameA(&ofn)) return false;
        chosen = file;
        return true;
    }

private:
    HWND m_hConditions = nullptr;  // the conditions dialog while it runs
};

}  // namespace

HINSTANCE ResourceModule() { return GetModuleHandleA(nullptr); }

bool InitProgressControls() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    return registered;
}

void CentreWindow(HWND window) {
    RECT area;
    const HWND owner = GetWindow(window, GW_OWNER);
    if (owner == nullptr || !IsWindowVisible(owner) || IsIconic(owner) || !GetWindowRect(owner, &area))
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT own;
    GetWindowRect(window, &own);
    const int width = own.right - own.left, height = own.bottom - own.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string FilterOfCFileDialog(const std::string& filter) {
    std::string out = filter;
    for (size_t i = 0; i < out.size(); ++i) {
        if (IsDBCSLeadByteEx(932, static_cast<BYTE>(out[i])) && i + 1 < out.size()) {
            ++i;
            continue;
        }
        if (out[i] == '|') out[i] = '\0';
    }
    // The list ends in two NULs, whatever the filter's own ending.
    out.push_back('\0');
    return out;
}

}  // namespace win32ui

// Windows' own dialogs need no display to be asked for.
bool WindowDisplayPresent() { return true; }

bool StartWindowFrontend(int&, char**) { return win32ui::InitProgressControls(); }

void StopWindowFrontend() {}

std::unique_ptr<Frontend> MakeWindowFrontend() { return std::make_unique<win32ui::Win32Frontend>(); }
