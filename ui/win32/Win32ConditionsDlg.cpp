#include "ui/win32/Win32ConditionsDlg.h"

#include <vector>

#include "ui/win32/Win32Frontend.h"

namespace win32ui {

Win32ConditionsDlg::Win32ConditionsDlg(CConditionsDlg& behaviour) : m_behaviour(behaviour) {}

Win32ConditionsDlg::~Win32ConditionsDlg() {
    if (m_hWnd != nullptr) DestroyWindow(m_hWnd);
    m_behaviour.Attach(nullptr);
}

bool Win32ConditionsDlg::Create(HWND parent) {
    m_hParent = parent;
    m_bEnded = false;
    m_nResult = 0;
    m_behaviour.Attach(this);
    // WM_INITDIALOG, and with it the behaviour's OnInitDialog, runs inside.
    const HWND window = CreateDialogParamA(ResourceModule(), MAKEINTRESOURCEA(IDD_CONDITIONS), parent, DialogProc,
                                           reinterpret_cast<LPARAM>(this));
    if (window == nullptr) {
        m_behaviour.Attach(nullptr);
        return false;
    }
    m_hWnd = window;
    return true;
}

void Win32ConditionsDlg::Show() {
    CentreWindow(m_hWnd);
    ShowWindow(m_hWnd, SW_SHOW);
    UpdateWindow(m_hWnd);
}

int Win32ConditionsDlg::RunModal() {
    // Ended while initialising (past-results data): never shown.
    if (m_bEnded) return m_nResult;
    // A parent the program disabled already (the host) stays disabled.
    const bool disableParent = m_hParent != nullptr && IsWindowEnabled(m_hParent);
    if (disableParent) EnableWindow(m_hParent, FALSE);
    Show();
    while (!m_bEnded) {
        MSG msg;
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            // WM_QUIT belongs to the loop outside: handed back, as cancel.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0) break;
        if (PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // Re-enabled before the window goes, so that the activation returns to
    // the parent.
    if (disableParent) EnableWindow(m_hParent, TRUE);
    if (m_hWnd != nullptr) ShowWindow(m_hWnd, SW_HIDE);
    return m_bEnded ? m_nResult : IDCANCEL;
}

bool Win32ConditionsDlg::PreTranslate(MSG& msg) {
    if (m_hWnd == nullptr || m_bEnded) return false;
    const bool ours = msg.hwnd == m_hWnd || IsChild(m_hWnd, msg.hwnd);
    if (!ours) return false;
    if (msg.message == WM_KEYDOWN) {
        // The key's window: a control of the dialog, or the dialog itself.
        int control = 0;
        if (msg.hwnd != m_hWnd) {
            HWND child = msg.hwnd;
            while (child != nullptr && GetParent(child) != m_hWnd) child = GetParent(child);
            control = child != nullptr ? GetDlgCtrlID(child) : 0;
        }
        const StKeyDown key = {control, static_cast<int>(msg.wParam), GetKeyState(VK_SHIFT) < 0,
                               GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_MENU) < 0};
        if (m_behaviour.PreTranslateMessage(key)) return true;
    }
    return IsDialogMessageA(m_hWnd, &msg) != FALSE;
}

INT_PTR CALLBACK Win32ConditionsDlg::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Win32ConditionsDlg*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        self->m_hWnd = window;
        return self->OnMessage(message, wParam, lParam);
    }
    auto* self = reinterpret_cast<Win32ConditionsDlg*>(GetWindowLongPtrA(window, DWLP_USER));
    return self != nullptr ? self->OnMessage(message, wParam, lParam) : FALSE;
}

INT_PTR Win32ConditionsDlg::OnMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        // TRUE: the dialog manager puts the focus on the first tab stop.
        return m_behaviour.OnInitDialog();
    case WM_COMMAND:
        // Enter, Esc, the close box and the access keys come here from the
        // dialog manager, as clicks do.
        if (m_bEnded || HIWORD(wParam) != BN_CLICKED) return FALSE;
        switch (LOWORD(wParam)) {
        case IDOK:
            m_behaviour.OnOK();
            return TRUE;
        case IDCANCEL:
            m_behaviour.OnCancel();
            return TRUE;
        case IDC_BTN_BROWSE:
            m_behaviour.OnBrowse();
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

// IConditionsView ------------------------------------------------------------

void Win32ConditionsDlg::SetControlText(int id, const std::string& text) { SetDlgItemTextA(m_hWnd, id, text.c_str()); }

std::string Win32ConditionsDlg::GetControlText(int id) {
    const HWND control = GetDlgItem(m_hWnd, id);
    if (control == nullptr) return std::string();
    const int length = GetWindowTextLengthA(control);
    if (length <= 0) return std::string();
    std::vector<char> text(static_cast<size_t>(length) + 1);
    const int got = GetWindowTextA(control, text.data(), length + 1);
    return std::string(text.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

void Win32ConditionsDlg::EnableControl(int id, bool enable) {
    if (const HWND control = GetDlgItem(m_hWnd, id)) EnableWindow(control, enable ? TRUE : FALSE);
}

bool Win32ConditionsDlg::IsControlEnabled(int id) {
    const HWND control = GetDlgItem(m_hWnd, id);
    return control != nullptr && IsWindowEnabled(control);
}

void Win32ConditionsDlg::SetCheck(int id, bool checked) {
    CheckDlgButton(m_hWnd, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool Win32ConditionsDlg::GetCheck(int id) { return IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED; }

void Win32ConditionsDlg::SetTextLimit(int id, int bytes) { SendDlgItemMessageA(m_hWnd, id, EM_LIMITTEXT, bytes, 0); }

void Win32ConditionsDlg::SetFocusTo(int id) {
    // Through the dialog manager, which also moves the default-button
    // frame; SetFocus alone would leave it where it was.
    if (const HWND control = GetDlgItem(m_hWnd, id))
        SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

void Win32ConditionsDlg::SelectAllAndScroll(int id) {
    SendDlgItemMessageA(m_hWnd, id, EM_SETSEL, 0, -1);
    SendDlgItemMessageA(m_hWnd, id, EM_SCROLLCARET, 0, 0);
}

void Win32ConditionsDlg::NextDlgCtl() { PostMessageA(m_hWnd, WM_NEXTDLGCTL, 0, 0); }

void Win32ConditionsDlg::EndDialog(int result) {
    m_nResult = result;
    m_bEnded = true;
}

}  // namespace win32ui
