#include "ui/wx/WxProgressDlg.h"

#include <ctime>

#include <wx/evtloop.h>
#include <wx/gauge.h>
#include <wx/utils.h>

#include "ui/DialogResources.h"
#include "ui/wx/WxText.h"

namespace wxui {
namespace {

// Pulse is called for every asset written; painting at most this often
// keeps it cheap while the screen still moves smoothly.
constexpr int64_t kRepaintIntervalMs = 20;

// The toolkit draws on its frame clock, a frame or two after a change.  A
// window that is not drawn within this time (hidden, or on no screen) is
// not waited for any longer.
constexpr int64_t kPaintWaitMs = 500;

// <chrono> does not build with the program's code page, hence the C clock.
int64_t MonotonicMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// A progress control's range and position on a gauge, whose range starts
// at 0 and which refuses positions outside it.
void ShowBar(wxGauge* gauge, int lower, int upper, int pos) {
    const int range = upper > lower ? upper - lower : 1;
    int value = pos - lower;
    if (value < 0) value = 0;
    if (value > range) value = range;
    if (gauge->GetRange() != range) gauge->SetRange(range);
    if (gauge->GetValue() != value) gauge->SetValue(value);
}

}  // namespace

WxProgressDlg::WxProgressDlg(wxWindow* parent)
    // A caption but no system menu and no close box: the run cannot be
    // interrupted.
    : wxDialog(parent, wxID_ANY, FromCp932(g_dlgProgress.pszCaption), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | (parent ? 0 : wxDIALOG_NO_PARENT)) {
    SetFont(DialogFont());
    SetClientSize(ConvertDialogToPixels(wxSize(g_dlgProgress.cx, g_dlgProgress.cy)));
    auto place = [this](int id) {
        const StDlgItem* item = g_dlgProgress.Find(id);
        return DialogUnitsToPixels(this, item->x, item->y, item->cx, item->cy);
    };
    const wxRect main = place(IDC_PROGRESS_MAIN);
    const wxRect sub = place(IDC_PROGRESS_SUB);
    // A progress control starts with the range 0..100.
    m_pMain =
        new wxGauge(this, IDC_PROGRESS_MAIN, 100, main.GetPosition(), main.GetSize(), wxGA_HORIZONTAL | wxGA_SMOOTH);
    m_pSub = new wxGauge(this, IDC_PROGRESS_SUB, 100, sub.GetPosition(), sub.GetSize(), wxGA_HORIZONTAL);
    Bind(wxEVT_CLOSE_WINDOW, &WxProgressDlg::OnClose, this);
    Bind(wxEVT_PAINT, &WxProgressDlg::OnPaint, this);
}

WxProgressDlg::~WxProgressDlg() = default;

void WxProgressDlg::OnClose(wxCloseEvent& event) {
    // Not even the window manager ends the run.
    if (event.CanVeto())
        event.Veto();
    else
        event.Skip();
}

void WxProgressDlg::SetCaption(const char* caption) {
    SetTitle(FromCp932(caption ? caption : ""));
    m_bCaptionChanged = true;
}

void WxProgressDlg::SetMainBar(int lower, int upper, int pos) { ShowBar(m_pMain, lower, upper, pos); }

void WxProgressDlg::OnPaint(wxPaintEvent& event) {
    ++m_lPaints;
    event.Skip();
}

void WxProgressDlg::SetSubBar(int lower, int upper, int pos) {
    const int range = upper > lower ? upper - lower : 1;
    const int value = pos < lower ? 0 : pos > upper ? range : pos - lower;
    // A bar set back to its start is a new pulse.
    if (value == 0 && (m_nSubPos != 0 || m_nSubRange != range || m_lSubPulses == 0)) {
        m_pSub->Pulse();
        ++m_lSubPulses;
    }
    m_nSubRange = range;
    m_nSubPos = value;
}

void WxProgressDlg::BringToTop() {
    // Raised with the next paint: raising for every pulse would only ask
    // the display for the same thing again and again.
    m_bRaise = true;
}

void WxProgressDlg::Repaint() {
    // Every change of the percentage shows, and so do the ends of all the
    // run's stretches, which fall on whole per cents.
    if (m_bPainted && !m_bCaptionChanged && MonotonicMs() - m_nLastPaintMs < kRepaintIntervalMs) return;
    Flush();
}

void WxProgressDlg::Flush() {
    if (m_bRaise && IsShown()) Raise();
    m_bRaise = false;
    m_bCaptionChanged = false;
    // Drawing events only: input stays queued, so nothing the user does
    // can re-enter the program while it works.
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (!loop) {
        if (!m_pLoop) m_pLoop.reset(new wxGUIEventLoop);
        loop = m_pLoop.get();
    }
    Refresh();
    Update();
    if (!loop->IsYielding()) {
        // The toolkit lays changed bars out and draws them on its frame
        // clock, not at once: without waiting for that frame the screen
        // would show the bars as they stood at the previous call, and keep
        // them so through the long piece of work that follows.
        const long paints = m_lPaints;
        const int64_t deadline = MonotonicMs() + kPaintWaitMs;
        loop->YieldFor(wxEVT_CATEGORY_UI);
        while (m_lPaints == paints && IsShownOnScreen() && MonotonicMs() < deadline) {
            wxMilliSleep(1);
            loop->YieldFor(wxEVT_CATEGORY_UI);
        }
        // The frame drawn is on its way to the display with the next round.
        loop->YieldFor(wxEVT_CATEGORY_UI);
    }
    m_nLastPaintMs = MonotonicMs();
    m_bPainted = true;
}

HWND WxProgressDlg::Handle() { return reinterpret_cast<HWND>(static_cast<wxWindow*>(this)); }

}  // namespace wxui
