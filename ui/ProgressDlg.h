// The progress dialog's behaviour (dialog 131, "集計中").
//
// There is no message loop while the run works: the dialog is brought up
// to date only by Advance and Pulse, which repaint explicitly.  The window
// itself (wx or terminal) sits behind IProgressView and only draws.
#pragma once

#include <string>

#include "compat/win32.h"

constexpr int IDD_PROGRESS = 131;
// The dialog's caption before the run reports any progress.
constexpr char kProgressCaption[] = "集計中";
constexpr int IDC_PROGRESS_MAIN = 1018;
constexpr int IDC_PROGRESS_SUB = 1019;

class IProgressView {
public:
    virtual ~IProgressView() = default;
    virtual void SetCaption(const char* caption) = 0;  // cp932
    virtual void SetMainBar(int lower, int upper, int pos) = 0;
    virtual void SetSubBar(int lower, int upper, int pos) = 0;
    virtual void BringToTop() = 0;  // BringWindowToTop + SetForegroundWindow
    virtual void Repaint() = 0;     // UpdateWindow
    // The window that owns the run's final message boxes.
    virtual HWND Handle() { return nullptr; }
};

class CProgressDlg {
public:
    explicit CProgressDlg(IProgressView* view = nullptr);
    void SetView(IProgressView* view) { m_pView = view; }

    // Main bar 0..1000, step 1, position 0.
    void InitBars();
    // For each v in from..to: caption "集計中 %d％" at multiples of 10,
    // main bar to v, Pulse, repaint.  Nothing when to < from.
    void Advance(short from, short to);
    // Secondary bar 0..5 at 0, to the front, repaint, six steps of 1 (the
    // sixth passes the end and starts the bar over, as a progress control's
    // StepIt does).
    void Pulse();
    // EndDialog(IDOK).
    void EndDialog(int result);

    // State as the view shows it.
    const std::string& Caption() const { return m_strCaption; }
    int MainPos() const { return m_nMainPos; }
    int MainUpper() const { return m_nMainUpper; }
    int SubPos() const { return m_nSubPos; }
    long PulseCount() const { return m_lPulses; }
    int EndResult() const { return m_nEndResult; }

private:
    void StepSub();

    IProgressView* m_pView;
    std::string m_strCaption = kProgressCaption;
    int m_nMainLower = 0, m_nMainUpper = 100, m_nMainStep = 10, m_nMainPos = 0;
    int m_nSubLower = 0, m_nSubUpper = 100, m_nSubStep = 10, m_nSubPos = 0;
    long m_lPulses = 0;
    int m_nEndResult = 0;
};
