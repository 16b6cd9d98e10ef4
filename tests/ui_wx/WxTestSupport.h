// What the window tests share: the toolkit started once per test program
// (WxTestMain.cpp), a platform home of its own per test, modal dialogs
// answered from a script instead of shown, key presses, and screenshots.
#pragma once

#include <ftw.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <cstdlib>

#include <cstdio>
#include <deque>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/modalhook.h>
#include <wx/utils.h>

#include "compat/drives.h"
#include "platform/BokAdmin.h"
#include "ui/wx/WxText.h"

// True once the test program has brought the toolkit up (a display exists).
bool WxTestToolkitStarted();

// A fresh $BOK_HOME for the test, with drive C: on its folder "c".
class WxTestHome {
public:
    WxTestHome() {
        char pattern[] = "/tmp/deprlink-uiwx-XXXXXX";
        const char* made = mkdtemp(pattern);
        EXPECT_NE(made, nullptr);
        m_strPath = made != nullptr ? made : "/tmp";
        setenv("BOK_HOME", m_strPath.c_str(), 1);
        std::ofstream(File("drives.conf")) << "C: fixed " << File("c") << "\n";
        mkdir(File("c").c_str(), 0755);
        bok::ResetForTests();
        compat::ReloadDriveTable();
    }
    ~WxTestHome() {
        bok::ResetForTests();
        nftw(m_strPath.c_str(), Remove, 16, FTW_DEPTH | FTW_PHYS);
        unsetenv("BOK_HOME");
        compat::ReloadDriveTable();
    }
    WxTestHome(const WxTestHome&) = delete;
    WxTestHome& operator=(const WxTestHome&) = delete;

    std::string File(const std::string& name) const { return m_strPath + "/" + name; }

private:
    static int Remove(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }
    std::string m_strPath;
};

// Every ShowModal while it lives is answered by the next step of the script
// instead of being shown; a dialog with no step left fails the test and is
// cancelled, so a test can never hang on a dialog.
class ScriptedModals : public wxModalDialogHook {
public:
    using Step = std::function<int(wxDialog*)>;

    ScriptedModals() { Register(); }
    ~ScriptedModals() override {
        Unregister();
        EXPECT_TRUE(m_steps.empty()) << m_steps.size() << " expected dialog(s) not shown";
    }

    void Then(Step step) { m_steps.push_back(std::move(step)); }
    int Shown() const { return m_nShown; }

protected:
    int Enter(wxDialog* dialog) override {
        ++m_nShown;
        if (m_steps.empty()) {
            ADD_FAILURE() << "unexpected modal dialog \"" << dialog->GetTitle().utf8_string() << "\"";
            return wxID_CANCEL;
        }
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        return step(dialog);
    }
    void Exit(wxDialog*) override {}

private:
    std::deque<Step> m_steps;
    int m_nShown = 0;
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
