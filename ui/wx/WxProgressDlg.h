// The progress dialog's window (dialog 131, "集計中"), drawn with wxWidgets.
//
// The run works without a message loop, so the window paints only when
// Repaint lets the toolkit handle its drawing events; user input that
// arrives meanwhile waits in the queue until the run's message box.
//
// The secondary bar starts over at every pulse and is back at the same
// place when the pulse ends, so a picture of it would never change; it is
// drawn as the toolkit's activity bar instead, moved on by every pulse.
#pragma once

#include <cstdint>
#include <memory>

#include <wx/dialog.h>

#include "ui/ProgressDlg.h"

class wxGauge;
class wxEventLoopBase;

namespace wxui {

class WxProgressDlg : public wxDialog, public IProgressView {
public:
    explicit WxProgressDlg(wxWindow* parent = nullptr);
    ~WxProgressDlg() override;

    // IProgressView
    void SetCaption(const char* caption) override;
    void SetMainBar(int lower, int upper, int pos) override;
    void SetSubBar(int lower, int upper, int pos) override;
    void BringToTop() override;
    void Repaint() override;
    HWND Handle() override;

    // Paints now, whatever the time since the last paint.
    void Flush();

    wxGauge* MainBar() const { return m_pMain; }
    wxGauge* SubBar() const { return m_pSub; }
    // The secondary bar as the behaviour set it last, and how often the
    // activity it stands for has moved on.
    int SubRange() const { return m_nSubRange; }
    int SubPos() const { return m_nSubPos; }
    long SubPulses() const { return m_lSubPulses; }
    // How many times the window has been drawn.
    long Paints() const { return m_lPaints; }

private:
    void OnClose(wxCloseEvent& event);
    void OnPaint(wxPaintEvent& event);

    wxGauge* m_pMain;
    wxGauge* m_pSub;
    std::unique_ptr<wxEventLoopBase> m_pLoop;  // for painting when no loop runs
    int64_t m_nLastPaintMs = 0;
    int m_nSubRange = 100;
    int m_nSubPos = 0;
    long m_lSubPulses = 0;
    long m_lPaints = 0;
    bool m_bPainted = false;
    bool m_bCaptionChanged = false;
    bool m_bRaise = false;
};

}  // namespace wxui
