#include "ui/win32/Win32ProgressDlg.h"

#include <commctrl.h>

#include "ui/win32/Win32Frontend.h"

namespace win32ui {

void ProgressBar::Attach(HWND control) {
    m_hControl = control;
    // A progress control starts with the range 0..100 at 0.
    m_nLower = 0;
    m_nUpper = 100;
    m_nPos = 0;
}

void ProgressBar::Show(int lower, int upper, int pos) {
    if (m_hControl == nullptr) return;
    const bool newRange = lower != m_nLower || upper != m_nUpper;
    if (newRange) {
        SendMessageA(m_hControl, PBM_SETRANGE32, lower, upper);
        SendMessageA(m_hControl, PBM_SETSTEP, 1, 0);
        m_nLower = lower;
        m_nUpper = upper;
    }
    int stepped = m_nPos + 1;
    if (stepped > m_nUpper) stepped = m_nLower + (stepped - m_nUpper);
    if (!newRange && pos == m_nPos) return;
    if (!newRange && pos == stepped)
        SendMessageA(m_hControl, PBM_STEPIT, 0, 0);
    else
        SendMessageA(m_hControl, PBM_SETPOS, pos, 0);
    m_nPos = static_cast<int>(SendMessageA(m_hControl, PBM_GETPOS, 0, 0));
}

Win32ProgressDlg::Win32ProgressDlg() {
    InitProgressControls();
    m_hWnd = CreateDialogParamA(ResourceModule(), MAKEINTRESOURCEA(IDD_PROGRESS), nullptr, DialogProc, 0);
    if (m_hWnd == nullptr) return;
    m_main.Attach(GetDlgItem(m_hWnd, IDC_PROGRESS_MAIN));
    m_sub.Attach(GetDlgItem(m_hWnd, IDC_PROGRESS_SUB));
}

Win32ProgressDlg::~Win32ProgressDlg() {
    if (m_hWnd != nullptr) DestroyWindow(m_hWnd);
}

INT_PTR CALLBACK Win32ProgressDlg::DialogProc(HWND, UINT message, WPARAM, LPARAM) {
    // No buttons, no system menu: nothing to answer but the start.  Even a
    // close the window manager asks for (IDCANCEL) is left unanswered.
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

void Win32ProgressDlg::SetCaption(const char* caption) { SetWindowTextA(m_hWnd, caption != nullptr ? caption : ""); }

void Win32ProgressDlg::SetMainBar(int lower, int upper, int pos) { m_main.Show(lower, upper, pos); }

void Win32ProgressDlg::SetSubBar(int lower, int upper, int pos) { m_sub.Show(lower, upper, pos); }

void Win32ProgressDlg::BringToTop() {
    BringWindowToTop(m_hWnd);
    SetForegroundWindow(m_hWnd);
}

void Win32ProgressDlg::Repaint() { UpdateWindow(m_hWnd); }

}  // namespace win32ui
