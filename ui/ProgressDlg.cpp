#include "ui/ProgressDlg.h"

#include <cstdio>

CProgressDlg::CProgressDlg(IProgressView* view) : m_pView(view) {}

void CProgressDlg::InitBars() {
    m_nMainLower = 0;
    m_nMainUpper = 1000;
    m_nMainStep = 1;
    m_nMainPos = 0;
    if (m_pView) m_pView->SetMainBar(m_nMainLower, m_nMainUpper, m_nMainPos);
}

void CProgressDlg::Advance(short from, short to) {
    for (int v = from; v <= to; ++v) {
        if (v % 10 == 0) {
            char caption[64];
            std::snprintf(caption, sizeof caption, "%s %d％", kProgressCaption, v / 10);
            m_strCaption = caption;
            if (m_pView) m_pView->SetCaption(caption);
        }
        // A progress control clamps its position to its range.
        m_nMainPos = v < m_nMainLower ? m_nMainLower : v > m_nMainUpper ? m_nMainUpper : v;
        if (m_pView) m_pView->SetMainBar(m_nMainLower, m_nMainUpper, m_nMainPos);
        Pulse();
        if (m_pView) m_pView->Repaint();
    }
}

void CProgressDlg::Pulse() {
    ++m_lPulses;
    m_nSubLower = 0;
    m_nSubUpper = 5;
    m_nSubStep = 1;
    m_nSubPos = 0;
    if (m_pView) {
        m_pView->SetSubBar(m_nSubLower, m_nSubUpper, m_nSubPos);
        m_pView->BringToTop();
        m_pView->Repaint();
    }
    for (int i = 0; i < 6; ++i) StepSub();
}

// StepIt of a progress control: past the upper end the bar starts over
// from the lower end.
void CProgressDlg::StepSub() {
    m_nSubPos += m_nSubStep;
    if (m_nSubPos > m_nSubUpper) m_nSubPos = m_nSubLower + (m_nSubPos - m_nSubUpper);
    if (m_pView) m_pView->SetSubBar(m_nSubLower, m_nSubUpper, m_nSubPos);
}

void CProgressDlg::EndDialog(int result) { m_nEndResult = result; }
