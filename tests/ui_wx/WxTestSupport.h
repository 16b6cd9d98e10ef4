// What the window tests share: the toolkit started once per test program
// (WxTestMain.cpp), a platform home of its own per test, modal dialogs
// answered by the toolkit's expectations instead of shown, key presses,
// and screenshots.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <cstdlib>

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/utils.h>

// wxTEST_DIALOG's hook: the class is declared below, after the header.
#define wxTEST_DIALOG_HOOK_CLASS WxTestModalHook
#include <wx/testing.h>

#include "tests/support/PlatformStore.h"
#include "ui/wx/WxText.h"

// True once the test program has brought the toolkit up (a display exists).
bool WxTestToolkitStarted();

// The test's own platform home (no store) with drive C: on its folder "c".
class WxTestHome : public testsupport::ScopedPlatformStore {
public:
    WxTestHome() : ScopedPlatformStore("deprlink-uiwx", Store::kNone) {
        MakeDir("c");
        WriteDrives("C: fixed " + File("c") + "\n");
    }
};

// Modal dialogs are answered through the toolkit's expectations instead of
// being shown: wxTEST_DIALOG(code, wxExpectModal<...>(...), ...).  A failed
// expectation is a failed test at the wxTEST_DIALOG, and a dialog that no
// expectation answers is cancelled rather than shown, so that a test can
// never hang on one.
class WxTestModalHook : public wxTestingModalHook {
public:
    WxTestModalHook(const char* file, int line, const char* func)
        : wxTestingModalHook(file, line, func), m_file(file), m_line(line) {}

protected:
    int Enter(wxDialog* dialog) override {
        const int answer = wxTestingModalHook::Enter(dialog);
        return answer == wxID_NONE ? wxID_CANCEL : answer;
    }
    void ReportFailure(const wxString& message) override { ADD_FAILURE_AT(m_file, m_line) << message.utf8_string(); }

private:
    const char* m_file;
    int m_line;
};

// Expects a dialog of class T; act looks at it (and may drive it) and
// returns what its ShowModal returns.
template <class T>
class WxExpectDialog : public wxExpectModalBase<T, WxExpectDialog<T>> {
public:
    explicit WxExpectDialog(std::function<int(T&)> act) : m_act(std::move(act)) {}

protected:
    int OnInvoked(T* dialog) const override { return m_act(*dialog); }

private:
    std::function<int(T&)> m_act;
};

// A key-down as the toolkit reports it to the dialog before the control.
inline wxKeyEvent KeyDown(int keyCode, int modifiers = wxMOD_NONE) {
    wxKeyEvent event(wxEVT_CHAR_HOOK);
    event.m_keyCode = keyCode;
    if (keyCode >= 0x20 && keyCode < 0x7F) event.m_uniChar = keyCode;
    event.SetShiftDown((modifiers & wxMOD_SHIFT) != 0);
    event.SetControlDown((modifiers & wxMOD_CONTROL) != 0);
    event.SetAltDown((modifiers & wxMOD_ALT) != 0);
    return event;
}

// Lets the toolkit draw window as it stands now (drawing only; the tests
// give no input of their own).  The toolkit lays changes out on its frame
// clock, so this takes a few frames.
inline void PaintPending(wxWindow* window, int rounds = 10) {
    std::unique_ptr<wxEventLoopBase> own;
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (!loop) {
        own.reset(new wxGUIEventLoop);
        loop = own.get();
    }
    for (int i = 0; i < rounds; ++i) {
        window->Refresh();
        window->Update();
        loop->YieldFor(wxEVT_CATEGORY_UI);
        wxMilliSleep(20);
    }
}

// Saves what window shows on the screen as screenshots/<name> in the
// test's working folder, for a person to look at.  The window's own device
// context is read (a screen context keeps what it read first).  A window
// shown for the first time takes a while to reach the screen, so it is read
// until it is there.
inline bool SaveScreenshot(wxWindow* window, const std::string& name) {
    mkdir("screenshots", 0755);
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    window->Raise();
    const wxSize size = window->GetSize();
    for (int attempt = 0; attempt < 40; ++attempt) {
        PaintPending(window, 5);
        wxBitmap bitmap(size.GetWidth(), size.GetHeight());
        wxMemoryDC memory(bitmap);
        wxWindowDC source(window);
        const bool copied = memory.Blit(0, 0, size.GetWidth(), size.GetHeight(), &source, 0, 0);
        memory.SelectObject(wxNullBitmap);
        if (!copied) return false;
        // The bare screen is black; a drawn dialog never is at its corner.
        const wxImage image = bitmap.ConvertToImage();
        const bool drawn = image.GetRed(2, 2) != 0 || image.GetGreen(2, 2) != 0 || image.GetBlue(2, 2) != 0;
        if (drawn || attempt == 39) return bitmap.SaveFile("screenshots/" + name, wxBITMAP_TYPE_PNG) && drawn;
    }
    return false;
}

// The test is skipped where there is no display to draw on; a display the
// toolkit cannot start on is a failure, not a reason to skip.
#define SKIP_WITHOUT_DISPLAY()                                                            \
    do {                                                                                  \
        if (!WxTestToolkitStarted()) {                                                    \
            if (std::getenv("DISPLAY") != nullptr) FAIL() << "the toolkit did not start"; \
            GTEST_SKIP() << "no display for the windows";                                 \
        }                                                                                 \
    } while (0)
