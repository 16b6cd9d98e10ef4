// The conditions dialog's window (dialog 130), drawn with wxWidgets.
//
// The window holds no decisions of its own: it lays out the controls of the
// resource, shows what CConditionsDlg asks for through IConditionsView, and
// hands every user action to it the way the Windows dialog manager would
// have.  The behaviour is attached to the window for the window's lifetime.
#pragma once

#include <string>

#include <wx/dialog.h>
#include <wx/string.h>

#include "compat/win32.h"
#include "ui/ConditionsDlg.h"

class wxTextCtrl;

namespace wxui {

// The virtual-key code of a wx key code, 0 for keys the program never looks
// at by code.
int VirtualKeyOf(int wxKeyCode);

class WxConditionsDlg : public wxDialog, public IConditionsView {
public:
    WxConditionsDlg(wxWindow* parent, CConditionsDlg& behaviour);
    ~WxConditionsDlg() override;

    // Initialises through the behaviour and, unless that already ended the
    // dialog, runs it modally.  Returns the result EndDialog was given.
    int RunModal();

    // Handles a key press as the dialog's message loop would: first the
    // behaviour's PreTranslateMessage, then the dialog manager's defaults.
    // True when the key was used up.
    bool HandleKeyDown(const wxKeyEvent& event);

    // The result of an EndDialog made while the window was not running
    // modally (0 while none was made).
    int EndResult() const { return m_nEndResult; }

    // IConditionsView
    HWND Handle() override;
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
    void CreateControls();
    int FocusedControlId() const;
    void FocusFirstControl();
    bool PressMnemonic(int virtKey);
    void OnCharHook(wxKeyEvent& event);
    void OnButton(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnInit(wxInitDialogEvent& event);
    void OnEditText(wxCommandEvent& event);

    CConditionsDlg& m_behaviour;
    wxTextCtrl* m_pEdit = nullptr;
    wxString m_strLastEditText;  // the edit's text as last accepted
    long m_nEditLimit = 0;       // bytes; 0 for none
    int m_nEndResult = 0;
    int m_nFocusId = 0;  // last SetFocusTo before the window showed
    bool m_bFocusFirst = false;
};

}  // namespace wxui
