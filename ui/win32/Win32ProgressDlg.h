// The progress dialog's window (dialog 131) on Windows: the template from
// the program's resources with the common controls' progress bars.  It
// only draws what CProgressDlg tells it, synchronously: the run has no
// message loop while it works.
#pragma once

#include "compat/win32.h"
#include "ui/ProgressDlg.h"

namespace win32ui {

// One progress control as CProgressDlg drives it: a change of range sets
// the range (the behaviour steps both bars by 1); a position that one step
// reaches is stepped (PBM_STEPIT, so the control's own wrap past its end
// shows), any other is set.
class ProgressBar {
public:
    void Attach(HWND control);
    void Show(int lower, int upper, int pos);

private:
    HWND m_hControl = nullptr;
    int m_nLower = 0, m_nUpper = 100, m_nPos = 0;
};

class Win32ProgressDlg : public IProgressView {
public:
    // Created from template 131 without owner, hidden (as the template
    // says); the front end shows it.
    Win32ProgressDlg();
    ~Win32ProgressDlg() override;
    Win32ProgressDlg(const Win32ProgressDlg&) = delete;
    Win32ProgressDlg& operator=(const Win32ProgressDlg&) = delete;

    bool Created() const { return m_hWnd != nullptr; }

    void SetCaption(const char* caption) override;
    void SetMainBar(int lower, int upper, int pos) override;
    void SetSubBar(int lower, int upper, int pos) override;
    void BringToTop() override;
    void Repaint() override;
    HWND Handle() override { return m_hWnd; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    ProgressBar m_main, m_sub;
};

}  // namespace win32ui
