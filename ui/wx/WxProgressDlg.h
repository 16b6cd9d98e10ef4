// The progress dialog's window (dialog 131, "集計中"), drawn with wxWidgets.
//
// The run works without a message loop, so the window paints only when
// Repaint lets the toolkit handle its drawing events; user input that
// arrives meanwhile waits in the queue until the run's message box.
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

private:
    void OnClose(wxCloseEvent& event);

    wxGauge* m_pMain;
    wxGauge* m_pSub;
    std::unique_ptr<wxEventLoopBase> m_pLoop;  // for painting when no loop runs
    int64_t m_nLastPaintMs = 0;
    bool m_bPainted = false;
    bool m_bCaptionChanged = false;
    bool m_bRaise = false;
};

}  // namespace wxui
