// The conditions dialog's window (dialog 130) on Windows: the dialog
// template from the program's resources, run by the dialog manager.
//
// The window decides nothing itself.  It shows what CConditionsDlg asks
// for through IConditionsView and hands it the user's actions as MFC's
// CDialog would: its own modal loop gives every key-down first to the
// behaviour's PreTranslateMessage, then to the dialog manager
// (IsDialogMessage), whose Esc, Enter and access keys arrive as WM_COMMAND.
#pragma once

#include <string>

#include "compat/win32.h"
#include "ui/ConditionsDlg.h"

namespace win32ui {

class Win32ConditionsDlg : public IConditionsView {
public:
    explicit Win32ConditionsDlg(CConditionsDlg& behaviour);
    ~Win32ConditionsDlg() override;
    Win32ConditionsDlg(const Win32ConditionsDlg&) = delete;
    Win32ConditionsDlg& operator=(const Win32ConditionsDlg&) = delete;

    // Creates the window from template 130 over parent (may be null),
    // hidden; the behaviour's OnInitDialog runs inside.  False when the
    // template could not be made into a window.
    bool Create(HWND parent);
    // After Create: unless the behaviour already ended the dialog, shows
    // it, disables an enabled parent and runs the modal loop until
    // EndDialog; then re-enables that parent.  Returns the result given to
    // EndDialog (IDCANCEL when the loop ended without one).
    int RunModal();
    // One message as the modal loop treats it before dispatching: true
    // when the behaviour or the dialog manager used it up.
    bool PreTranslate(MSG& msg);
    // Shows the created window centred on its parent or the screen,
    // without running a loop (for callers that pump messages themselves).
    void Show();

    bool Ended() const { return m_bEnded; }
    int Result() const { return m_nResult; }

    // IConditionsView
    HWND Handle() override { return m_hWnd; }
    void SetControlText(int id, const std::string& text) override;
    std::string GetControlText(int id) override;
    void EnableControl(int id, bool enable) override;
    bool IsControlEnabled(int id) override;
    void SetCheck(int id, bool checked) override;
    bool GetCheck(int id) override;
    void SetTextLimit(int id, int bytes) override;
    void SetFocusTo(int id) override;
    void SelectAllAndScroll(int id) override;
    void NextDlgCtl() override;
    void EndDialog(int result) override;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    CConditionsDlg& m_behaviour;
    HWND m_hWnd = nullptr;
    HWND m_hParent = nullptr;
    bool m_bEnded = false;
    int m_nResult = 0;
};

}  // namespace win32ui
