#include "ui/wx/WxMessageBox.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/stockitem.h>

#include "ui/wx/WxText.h"

namespace wxui {
namespace {

constexpr UINT kButtonsMask = 0x0F;
constexpr UINT kIconMask = 0xF0;
constexpr UINT kDefaultButtonMask = 0xF00;
constexpr UINT kOkCancel = 0x01;
constexpr UINT kYesNoCancel = 0x03;
constexpr UINT kIconError = 0x10;

// The buttons of an MB_ type, left to right, as Windows places them.
std::vector<int> ButtonIdsOf(UINT type) {
    switch (type & kButtonsMask) {
    case kOkCancel:
        return {wxID_OK, wxID_CANCEL};
    case kYesNoCancel:
        return {wxID_YES, wxID_NO, wxID_CANCEL};
    case MB_YESNO:
        return {wxID_YES, wxID_NO};
    default:
        return {wxID_OK};
    }
}

wxArtID IconOf(UINT type) {
    switch (type & kIconMask) {
    case kIconError:
        return wxART_ERROR;
    case MB_ICONQUESTION:
        return wxART_QUESTION;
    case MB_ICONWARNING:
        return wxART_WARNING;
    case MB_ICONINFORMATION:
        return wxART_INFORMATION;
    default:
        return wxArtID();
    }
}

bool HasCancel(UINT type) {
    const UINT buttons = type & kButtonsMask;
    return buttons == kOkCancel || buttons == kYesNoCancel;
}

}  // namespace

WxMessageBox::WxMessageBox(wxWindow* owner, const wxString& text, const wxString& caption, UINT type)
    // A question without a cancel button has no close box: it must be
    // answered.
    : wxDialog(owner, wxID_ANY, caption, wxDefaultPosition, wxDefaultSize,
               wxCAPTION | ((type & kButtonsMask) == MB_YESNO ? 0 : wxSYSTEM_MENU | wxCLOSE_BOX) |
                   (owner ? 0 : wxDIALOG_NO_PARENT)),
      m_nType(type),
      m_strMessage(text),
      m_idIcon(IconOf(type)) {
    SetFont(DialogFont());
    auto* top = new wxBoxSizer(wxHORIZONTAL);
    if (!m_idIcon.empty()) {
        const wxBitmap icon = wxArtProvider::GetBitmap(m_idIcon, wxART_MESSAGE_BOX);
        if (icon.IsOk()) top->Add(new wxStaticBitmap(this, wxID_ANY, icon), 0, wxRIGHT | wxALIGN_TOP, FromDIP(12));
    }
    m_pText = new wxStaticText(this, wxID_ANY, wxString());
    // A message is shown as it is: an "&" in it marks nothing.
    m_pText->SetLabelText(text);
    top->Add(m_pText, 1, wxALIGN_CENTER_VERTICAL);

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    const std::vector<int> ids = ButtonIdsOf(type);
    // MB_DEFBUTTON2 and MB_DEFBUTTON3 move the default to the right.
    size_t defaultIndex = ((type & kDefaultButtonMask) >> 8);
    if (defaultIndex >= ids.size()) defaultIndex = 0;
    for (size_t i = 0; i < ids.size(); ++i) {
        // OK keeps no access key, as on Windows; the others carry theirs.
        const long flags = ids[i] == wxID_OK ? wxSTOCK_NOFLAGS : wxSTOCK_WITH_MNEMONIC;
        auto* button = new wxButton(this, ids[i], wxGetStockLabel(ids[i], flags));
        if (i > 0) row->AddSpacer(FromDIP(8));
        row->Add(button);
        m_buttons.push_back(button);
    }

    auto* all = new wxBoxSizer(wxVERTICAL);
    all->Add(top, 1, wxALL | wxEXPAND, FromDIP(14));
    all->Add(row, 0, wxLEFT | wxRIGHT | wxBOTTOM | wxALIGN_CENTER_HORIZONTAL, FromDIP(12));
    SetSizerAndFit(all);
    SetMinClientSize(wxSize(FromDIP(200), GetClientSize().GetHeight()));
    Fit();

    wxButton* defaultButton = m_buttons[defaultIndex];
    defaultButton->SetDefault();
    defaultButton->SetFocus();
    // Esc is Cancel where there is one, OK in a notice, nothing in a
    // question.
    SetAffirmativeId(defaultButton->GetId());
    SetEscapeId(HasCancel(type) ? wxID_CANCEL : (type & kButtonsMask) == MB_OK ? wxID_OK : wxID_NONE);
    Bind(wxEVT_BUTTON, &WxMessageBox::OnButton, this);
    Bind(wxEVT_CLOSE_WINDOW, &WxMessageBox::OnClose, this);

    // An owner that is not on the screen places nothing; the box then
    // stands in the middle of the screen.
    if (owner && owner->IsShown())
        CentreOnParent();
    else
        CentreOnScreen();
}

void WxMessageBox::OnButton(wxCommandEvent& event) {
    for (wxButton* button : m_buttons) {
        if (button->GetId() == event.GetId()) {
            EndModal(event.GetId());
            return;
        }
    }
    event.Skip();
}

void WxMessageBox::OnClose(wxCloseEvent&) { EndModal(wxID_CANCEL); }

int WxMessageBox::AnswerOf(int code) const {
    const UINT buttons = m_nType & kButtonsMask;
    switch (code) {
    case wxID_YES:
        return IDYES;
    case wxID_NO:
        return IDNO;
    case wxID_CANCEL:
        return HasCancel(m_nType) ? IDCANCEL : buttons == MB_YESNO ? IDNO : IDOK;
    default:
        return IDOK;
    }
}

}  // namespace wxui
