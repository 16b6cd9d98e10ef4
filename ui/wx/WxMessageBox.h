// MessageBoxA's window, drawn with wxWidgets: an icon for the box's type,
// the text and the buttons in the order and with the answers of the Windows
// message box (はい left of いいえ), labelled in the user's language.
#pragma once

#include <vector>

#include <wx/artprov.h>
#include <wx/dialog.h>
#include <wx/string.h>

#include "compat/win32.h"

class wxButton;
class wxStaticText;

namespace wxui {

class WxMessageBox : public wxDialog {
public:
    // text and caption as the toolkit shows them; type holds the MB_
    // buttons, icon and default button.  Without an owner the box stands
    // centred on the screen, with one it is centred on its owner.
    WxMessageBox(wxWindow* owner, const wxString& text, const wxString& caption, UINT type);

    // The answer (IDOK, IDYES, IDNO, IDCANCEL) to a ShowModal that returned
    // code.  Closing a box without a cancel button answers what changes
    // nothing: No for a question, OK for a notice.
    int AnswerOf(int code) const;

    const wxString& GetMessage() const { return m_strMessage; }
    // The icon shown, empty for none.
    const wxArtID& GetIconId() const { return m_idIcon; }
    // The buttons from left to right.
    const std::vector<wxButton*>& Buttons() const { return m_buttons; }
    wxStaticText* TextControl() const { return m_pText; }

private:
    void OnButton(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);

    UINT m_nType;
    wxString m_strMessage;
    wxArtID m_idIcon;
    std::vector<wxButton*> m_buttons;
    wxStaticText* m_pText = nullptr;
};

}  // namespace wxui
