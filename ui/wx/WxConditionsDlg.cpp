#include "ui/wx/WxConditionsDlg.h"

#include <iterator>

#include <wx/button.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "ui/DialogResources.h"
#include "ui/wx/WxText.h"

namespace wxui {
namespace {

// The tab stops, in order; the first stands for the whole radio group.
const int kTabStops[] = {IDC_RAD_GENERAL, IDC_EDT_OUTPUT, IDC_BTN_BROWSE, IDOK, IDCANCEL};

bool IsRadio(int id) { return id >= IDC_RAD_GENERAL && id <= IDC_RAD_BOTH; }

// The character a label's "&" marks, 0 when it has none ("&&" is a plain
// ampersand).
wxUniChar MnemonicOf(const wxString& label) {
    for (size_t i = 0; i + 1 < label.length(); ++i) {
        if (label[i] != '&') continue;
        if (label[i + 1] != '&') return label[i + 1];
        ++i;
    }
    return wxUniChar(0);
}

struct KeyMapping {
    int wxKey;
    int virtKey;
};

const KeyMapping kKeys[] = {
    {WXK_BACK, 0x08},   {WXK_TAB, 0x09},   {WXK_RETURN, 0x0D}, {WXK_NUMPAD_ENTER, 0x0D},
    {WXK_ESCAPE, 0x1B}, {WXK_SPACE, 0x20}, {WXK_PAGEUP, 0x21}, {WXK_PAGEDOWN, 0x22},
    {WXK_END, 0x23},    {WXK_HOME, 0x24},  {WXK_LEFT, 0x25},   {WXK_UP, 0x26},
    {WXK_RIGHT, 0x27},  {WXK_DOWN, 0x28},  {WXK_INSERT, 0x2D}, {WXK_DELETE, 0x2E},
};

}  // namespace

int VirtualKeyOf(int wxKeyCode) {
    for (const KeyMapping& key : kKeys)
        if (key.wxKey == wxKeyCode) return key.virtKey;
    if (wxKeyCode >= WXK_F1 && wxKeyCode <= WXK_F24) return 0x70 + (wxKeyCode - WXK_F1);
    if (wxKeyCode >= WXK_NUMPAD0 && wxKeyCode <= WXK_NUMPAD9) return 0x60 + (wxKeyCode - WXK_NUMPAD0);
    if ((wxKeyCode >= '0' && wxKeyCode <= '9') || (wxKeyCode >= 'A' && wxKeyCode <= 'Z')) return wxKeyCode;
    if (wxKeyCode >= 'a' && wxKeyCode <= 'z') return wxKeyCode - 'a' + 'A';
    return 0;
}

WxConditionsDlg::WxConditionsDlg(wxWindow* parent, CConditionsDlg& behaviour)
    : wxDialog(parent, wxID_ANY, FromCp932(g_dlgConditions.pszCaption), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | (parent ? 0 : wxDIALOG_NO_PARENT)),
      m_behaviour(behaviour) {
    SetFont(DialogFont());
    SetClientSize(ConvertDialogToPixels(wxSize(g_dlgConditions.cx, g_dlgConditions.cy)));
    CreateControls();
    // Esc, Enter and the close box are the behaviour's, never the toolkit's.
    SetEscapeId(wxID_NONE);
    SetAffirmativeId(wxID_NONE);

    Bind(wxEVT_CHAR_HOOK, &WxConditionsDlg::OnCharHook, this);
    Bind(wxEVT_BUTTON, &WxConditionsDlg::OnButton, this);
    Bind(wxEVT_CLOSE_WINDOW, &WxConditionsDlg::OnClose, this);
    Bind(wxEVT_INIT_DIALOG, &WxConditionsDlg::OnInit, this);
    m_pEdit->Bind(wxEVT_TEXT, &WxConditionsDlg::OnEditText, this);
    m_behaviour.Attach(this);
}

WxConditionsDlg::~WxConditionsDlg() { m_behaviour.Attach(nullptr); }

void WxConditionsDlg::CreateControls() {
    for (const StDlgItem& item : g_dlgConditions) {
        const wxRect r = DialogUnitsToPixels(this, item.x, item.y, item.cx, item.cy);
        const wxString text = FromCp932(item.pszText);
        switch (item.eKind) {
        case EDlgItemKind::Label: {
            // Data labels show names as they are: an "&" in a business name
            // is part of the name, not an access key.
            auto* label =
                new wxStaticText(this, item.nId, wxString(), r.GetPosition(), r.GetSize(), wxST_NO_AUTORESIZE);
            label->SetLabelText(text);
            break;
        }
        case EDlgItemKind::Group:
            new wxStaticBox(this, item.nId, text, r.GetPosition(), r.GetSize());
            break;
        case EDlgItemKind::FirstRadio:
        case EDlgItemKind::Radio:
            new wxRadioButton(this, item.nId, text, r.GetPosition(), r.GetSize(),
                              item.eKind == EDlgItemKind::FirstRadio ? wxRB_GROUP : 0);
            break;
        case EDlgItemKind::Edit:
            m_pEdit = new wxTextCtrl(this, item.nId, text, r.GetPosition(), r.GetSize());
            break;
        case EDlgItemKind::Button: {
            // The resource's buttons are sized for their captions in the
            // dialog font; the toolkit's own padding around a caption would
            // clip "キャンセル(Esc)" on both sides.
            auto* button = new wxButton(this, item.nId, text, r.GetPosition(), r.GetSize(), wxBU_EXACTFIT);
            if (item.nId == IDOK) button->SetDefault();
            break;
        }
        case EDlgItemKind::SmoothProgress:
        case EDlgItemKind::Progress:
            break;  // the progress dialog's only
        }
    }
}

int WxConditionsDlg::RunModal() {
    m_nEndResult = 0;
    m_bFocusFirst = m_behaviour.OnInitDialog() != FALSE;
    // Ended while initialising (past-results data): the window never shows.
    if (m_nEndResult != 0) return m_nEndResult;
    if (GetParent())
        CentreOnParent();
    else
        CentreOnScreen();
    return ShowModal();
}

void WxConditionsDlg::OnInit(wxInitDialogEvent& event) {
    // Focus given before the window showed is given again now that it can
    // take it.
    if (m_bFocusFirst)
        FocusFirstControl();
    else if (wxWindow* window = m_nFocusId ? FindWindow(m_nFocusId) : nullptr)
        window->SetFocus();
    event.Skip();
}

int WxConditionsDlg::FocusedControlId() const {
    wxWindow* focus = FindFocus();
    while (focus && focus->GetParent() != this) focus = focus->GetParent();
    return focus ? focus->GetId() : 0;
}

// The radio group is entered at its checked button, so that focusing it
// never changes the choice.
static wxWindow* TabStopWindow(wxWindow* dialog, int id) {
    if (!IsRadio(id)) {
        wxWindow* window = dialog->FindWindow(id);
        return window && window->IsThisEnabled() && window->IsShown() ? window : nullptr;
    }
    wxWindow* firstEnabled = nullptr;
    for (int radio = IDC_RAD_GENERAL; radio <= IDC_RAD_BOTH; ++radio) {
        auto* button = dynamic_cast<wxRadioButton*>(dialog->FindWindow(radio));
        if (!button || !button->IsThisEnabled()) continue;
        if (button->GetValue()) return button;
        if (!firstEnabled) firstEnabled = button;
    }
    return firstEnabled;
}

void WxConditionsDlg::FocusFirstControl() {
    for (int id : kTabStops) {
        if (wxWindow* window = TabStopWindow(this, id)) {
            window->SetFocus();
            return;
        }
    }
}

void WxConditionsDlg::NextDlgCtl() {
    // The focus moves to the next tab stop that can take it, as
    // WM_NEXTDLGCTL does; the key that asked for it is used up, so there is
    // nothing to wait for.
    const int focused = FocusedControlId();
    const int count = static_cast<int>(std::size(kTabStops));
    int current = -1;
    for (int i = 0; i < count; ++i)
        if (kTabStops[i] == focused || (IsRadio(focused) && IsRadio(kTabStops[i]))) current = i;
    for (int step = 1; step <= count; ++step) {
        const int next = (current + step + count) % count;
        if (wxWindow* window = TabStopWindow(this, kTabStops[next])) {
            window->SetFocus();
            return;
        }
    }
}

// Backwards: the previous tab stop, the one whose next is the focused one.
static void FocusPreviousTabStop(wxWindow* dialog, int focused) {
    wxWindow* previous = nullptr;
    for (int id : kTabStops) {
        wxWindow* window = TabStopWindow(dialog, id);
        if (!window) continue;
        if (window->GetId() == focused && previous) break;
        previous = window;
    }
    if (previous) previous->SetFocus();
}

// The focus goes to the first child after it that can take it.
static void FocusFirstAfter(const wxWindowList& children, wxWindowList::const_iterator it) {
    for (auto next = std::next(it); next != children.end(); ++next) {
        wxWindow* candidate = *next;
        if (candidate->IsThisEnabled() && candidate->IsShown() && candidate->AcceptsFocus()) {
            candidate->SetFocus();
            return;
        }
    }
}

bool WxConditionsDlg::HandleKeyDown(const wxKeyEvent& event) {
    const StKeyDown key = {FocusedControlId(), VirtualKeyOf(event.GetKeyCode()), event.ShiftDown(), event.ControlDown(),
                           event.AltDown()};
    if (m_behaviour.PreTranslateMessage(key)) return true;

    // What the dialog manager does with a key the dialog did not take.
    switch (key.nVirtKey) {
    case VK_ESCAPE:
        m_behaviour.OnCancel();
        return true;
    case VK_RETURN: {
        // A focused button is pressed; anywhere else the default, 実行.
        const int focused = FocusedControlId();
        const bool onButton = focused == IDC_BTN_BROWSE || focused == IDOK || focused == IDCANCEL;
        wxCommandEvent click(wxEVT_BUTTON, onButton ? focused : IDOK);
        OnButton(click);
        return true;
    }
    case 0x09:  // Tab
        if (key.bCtrl || key.bAlt) return false;
        if (key.bShift)
            FocusPreviousTabStop(this, FocusedControlId());
        else
            NextDlgCtl();
        return true;
    default:
        break;
    }
    if (!key.bCtrl && (key.bAlt || FocusedControlId() != IDC_EDT_OUTPUT))
        return PressMnemonic(event.GetUnicodeKey() != WXK_NONE ? static_cast<int>(event.GetUnicodeKey()) : 0);
    return false;
}

bool WxConditionsDlg::PressMnemonic(int character) {
    if (character <= 0) return false;
    const wxUniChar wanted = wxToupper(character);
    const wxWindowList& children = GetChildren();
    for (auto it = children.begin(); it != children.end(); ++it) {
        wxWindow* window = *it;
        const wxUniChar mark = MnemonicOf(window->GetLabel());
        if (mark == 0 || wxToupper(mark) != wanted || !window->IsThisEnabled()) continue;
        if (auto* radio = dynamic_cast<wxRadioButton*>(window)) {
            radio->SetFocus();
            radio->SetValue(true);
        } else if (dynamic_cast<wxButton*>(window)) {
            wxCommandEvent click(wxEVT_BUTTON, window->GetId());
            OnButton(click);
        } else {
            // A group box's key goes to the first control after it.
            FocusFirstAfter(children, it);
        }
        return true;
    }
    return false;
}

void WxConditionsDlg::OnCharHook(wxKeyEvent& event) {
    if (!HandleKeyDown(event)) event.Skip();
}

void WxConditionsDlg::OnButton(wxCommandEvent& event) {
    switch (event.GetId()) {
    case IDOK:
        m_behaviour.OnOK();
        break;
    case IDCANCEL:
        m_behaviour.OnCancel();
        break;
    case IDC_BTN_BROWSE:
        m_behaviour.OnBrowse();
        break;
    default:
        event.Skip();
        break;
    }
}

void WxConditionsDlg::OnClose(wxCloseEvent& event) {
    // The close box is キャンセル; the behaviour ends the dialog itself.
    if (event.CanVeto()) event.Veto();
    m_behaviour.OnCancel();
}

void WxConditionsDlg::OnEditText(wxCommandEvent&) {
    // The edit holds what code page 932 can store, at most m_nEditLimit
    // bytes of it, like an ANSI edit control with EM_LIMITTEXT: of what was
    // just typed or pasted, only the part that fits stays.
    const auto fits = [this](const wxString& text) {
        const long bytes = Cp932Length(text);
        return bytes >= 0 && (m_nEditLimit <= 0 || bytes <= m_nEditLimit);
    };
    const wxString now = m_pEdit->GetValue();
    if (fits(now)) {
        m_strLastEditText = now;
        return;
    }
    const wxString& before = m_strLastEditText;
    size_t prefix = 0;
    while (prefix < before.length() && prefix < now.length() && before[prefix] == now[prefix]) ++prefix;
    size_t suffix = 0;
    while (suffix < before.length() - prefix && suffix < now.length() - prefix &&
           before[before.length() - 1 - suffix] == now[now.length() - 1 - suffix])
        ++suffix;
    const wxString head = now.Left(prefix);
    const wxString tail = now.Right(suffix);
    const wxString typed = now.Mid(prefix, now.length() - prefix - suffix);
    wxString kept;
    for (wxUniChar c : typed) {
        if (Cp932Length(wxString(c)) < 0) continue;
        if (m_nEditLimit > 0 && Cp932Length(head + kept + c + tail) > m_nEditLimit) break;
        kept += c;
    }
    m_strLastEditText = head + kept + tail;
    if (kept.length() == typed.length()) return;  // nothing new was refused
    m_pEdit->ChangeValue(m_strLastEditText);
    m_pEdit->SetInsertionPoint(static_cast<long>(prefix + kept.length()));
    wxBell();
}

// IConditionsView ------------------------------------------------------------

HWND WxConditionsDlg::Handle() { return reinterpret_cast<HWND>(static_cast<wxWindow*>(this)); }

void WxConditionsDlg::SetControlText(int id, const std::string& text) {
    wxWindow* window = FindWindow(id);
    if (!window) return;
    const wxString value = FromCp932(text);
    if (window == m_pEdit) {
        m_pEdit->ChangeValue(value);
        m_strLastEditText = value;
    } else if (auto* label = dynamic_cast<wxStaticText*>(window)) {
        label->SetLabelText(value);
    } else {
        window->SetLabel(value);
    }
}

std::string WxConditionsDlg::GetControlText(int id) {
    wxWindow* window = FindWindow(id);
    if (!window) return std::string();
    if (window == m_pEdit) return ToCp932(m_pEdit->GetValue());
    if (auto* label = dynamic_cast<wxStaticText*>(window)) return ToCp932(label->GetLabelText());
    return ToCp932(window->GetLabel());
}

void WxConditionsDlg::EnableControl(int id, bool enable) {
    if (wxWindow* window = FindWindow(id)) window->Enable(enable);
}

bool WxConditionsDlg::IsControlEnabled(int id) {
    wxWindow* window = FindWindow(id);
    return window && window->IsThisEnabled();
}

void WxConditionsDlg::SetCheck(int id, bool checked) {
    if (auto* radio = dynamic_cast<wxRadioButton*>(FindWindow(id))) radio->SetValue(checked);
}

bool WxConditionsDlg::GetCheck(int id) {
    auto* radio = dynamic_cast<wxRadioButton*>(FindWindow(id));
    return radio && radio->GetValue();
}

void WxConditionsDlg::SetTextLimit(int id, int bytes) {
    if (FindWindow(id) == m_pEdit) m_nEditLimit = bytes > 0 ? bytes : 0;
}

void WxConditionsDlg::SetFocusTo(int id) {
    if (wxWindow* window = FindWindow(id)) {
        m_nFocusId = id;
        window->SetFocus();
    }
}

void WxConditionsDlg::SelectAllAndScroll(int id) {
    if (FindWindow(id) != m_pEdit) return;
    // EM_SETSEL 0, -1 leaves the caret at the end of the selection, and
    // scrolling to the caret shows the end of the path.  The toolkit's
    // entry scrolls to its caret by itself; moving the caret to show a
    // position would drop the selection.  The toolkit puts the caret at
    // the selection's first argument.
    m_pEdit->SetSelection(m_pEdit->GetLastPosition(), 0);
}

void WxConditionsDlg::EndDialog(int result) {
    m_nEndResult = result;
    if (IsModal())
        EndModal(result);
    else if (IsShown())
        Hide();
}

}  // namespace wxui
