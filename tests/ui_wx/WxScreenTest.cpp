// The windows as the user sees them: what reaches the screen, read back from
// the X server, over the conditions dialog, the message boxes and the
// progress dialog; the path's selection in the real edit control after a
// refusal; and the layout, faces and toolkit words in the user's language.
// These tests run in the locale of the process; the test list registers
// them once more under LANG=ja_JP.UTF-8, the users' own setting, and the
// screenshots of that run carry "-ja" in their names.
#include <gtest/gtest.h>

#include <libintl.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include <wx/button.h>
#include <wx/display.h>
#include <wx/filedlg.h>
#include <wx/gauge.h>
#include <wx/modalhook.h>
#include <wx/radiobut.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include "ScreenCapture.h"
#include "WxTestSupport.h"
#include "ui/ConditionsDlg.h"
#include "ui/DialogResources.h"
#include "ui/Frontend.h"
#include "ui/ProgressDlg.h"
#include "ui/wx/WxConditionsDlg.h"
#include "ui/wx/WxFrontend.h"
#include "ui/wx/WxMessageBox.h"
#include "ui/wx/WxProgressDlg.h"
#include "ui/wx/WxText.h"

using wxui::FromU8;

namespace {

// The pixels of window's client area on the screen that stand out from the
// ground around it (the colour of its parent's top left corner).
long DrawnPixels(wxWindow* window) {
    const wxImage drawn = screen::Capture(screen::ClientRect(window));
    const wxImage ground = screen::Capture(wxRect(screen::ClientRect(window->GetParent()).GetTopLeft(), wxSize(1, 1)));
    if (!drawn.IsOk() || !ground.IsOk()) return 0;
    const unsigned char* g = ground.GetData();
    long differing = 0;
    for (long i = 0; i < static_cast<long>(drawn.GetWidth()) * drawn.GetHeight(); ++i) {
        const unsigned char* p = drawn.GetData() + 3 * i;
        if (std::abs(p[0] - g[0]) + std::abs(p[1] - g[1]) + std::abs(p[2] - g[2]) > 60) ++differing;
    }
    return differing;
}

// The icon of a message box, or null.
wxStaticBitmap* IconOf(wxWindow* box) {
    for (wxWindow* child : box->GetChildren())
        if (auto* icon = dynamic_cast<wxStaticBitmap*>(child)) return icon;
    return nullptr;
}

bool IconsOnScreen(wxWindow* dialog) {
    wxStaticBitmap* icon = IconOf(dialog);
    return icon == nullptr || DrawnPixels(icon) > 100;
}

// Every ShowModal while it lives really shows its dialog; once the dialog's
// client area holds text on the screen (or after a few seconds, when it
// never does) the next step sees the dialog and that capture, and answers
// with the code it returns.
class ShownModals : public wxModalDialogHook {
public:
    using Step = std::function<int(wxDialog* dialog, const wxImage& shot, bool shown)>;

    ShownModals() { Register(); }
    ~ShownModals() override {
        Unregister();
        EXPECT_TRUE(m_steps.empty()) << m_steps.size() << " expected dialog(s) not shown";
    }

    void Then(Step step) { m_steps.push_back(std::move(step)); }

protected:
    int Enter(wxDialog* dialog) override {
        // A dialog whose ShowModal goes on to its base's is entered once.
        if (dialog == m_pCurrent) return wxID_NONE;
        if (m_steps.empty()) {
            ADD_FAILURE() << "unexpected modal dialog \"" << dialog->GetTitle().utf8_string() << "\"";
            return wxID_CANCEL;
        }
        Step step = std::move(m_steps.front());
        m_steps.erase(m_steps.begin());
        // Looked at from inside the dialog's own loop, on a timer, until it
        // is on the screen.
        auto* timer = new wxTimer;
        const long started = wxGetLocalTimeMillis().GetValue();
        m_pCurrent = dialog;
        timer->Bind(wxEVT_TIMER, [this, dialog, timer, step, started](wxTimerEvent&) {
            wxImage shot;
            // A box's icon may come a frame after its text.  The toolkit's
            // own file dialog cannot be read this way: its step looks for it
            // on the screen itself.
            const bool shown = dynamic_cast<wxFileDialog*>(dialog) != nullptr ||
                               (screen::OnScreen(dialog, &shot) && IconsOnScreen(dialog));
            // One look at a time, the next only after the loop has been idle:
            // a repeating timer whose looks take longer than its period (a
            // sanitizer build) is always due, and the toolkit, which draws
            // only when nothing more urgent waits, would never draw.
            if (!shown && wxGetLocalTimeMillis().GetValue() - started < screen::kDrawTimeoutMs) {
                timer->StartOnce(15);
                return;
            }
            timer->Stop();
            m_pCurrent = nullptr;
            dialog->EndModal(step(dialog, shot, shown));
        });
        timer->StartOnce(15);
        m_timers.emplace_back(timer);
        return wxID_NONE;  // show it
    }
    void Exit(wxDialog*) override {}

private:
    std::vector<Step> m_steps;
    std::vector<std::unique_ptr<wxTimer>> m_timers;
    wxDialog* m_pCurrent = nullptr;
};

// The buttons of a box, left to right, and what they say.
std::vector<wxString> ButtonLabels(const wxui::WxMessageBox& box) {
    std::vector<wxString> labels;
    int lastX = -1;
    for (const wxButton* button : box.Buttons()) {
        EXPECT_GT(button->GetPosition().x, lastX) << "buttons out of order";
        lastX = button->GetPosition().x;
        labels.push_back(button->GetLabel());
    }
    return labels;
}

// The toolkit's words in the language of the process: the Windows buttons
// as a Japanese Windows labels them, else the English ones.
std::vector<wxString> YesNoLabels() {
    if (screen::JapaneseLocale()) return {FromU8(u8"はい (&Y)"), FromU8(u8"いいえ (&N)")};
    return {"&Yes", "&No"};
}

StDATAINFO MakeData() {
    StDATAINFO data;
    std::memset(&data, 0, sizeof data);
    std::snprintf(data.szJigyoName, sizeof data.szJigyoName, "%s", "山田商店");
    data.nKikanFrom = 20240101;
    data.nKikanTo = 20241231;
    data.nJigyoKubun = 3;
    return data;
}

class WxScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_WITHOUT_DISPLAY();
        m_home = std::make_unique<WxTestHome>();
        m_frontend = MakeWxFrontend();
        ASSERT_NE(m_frontend, nullptr);
        SetFrontend(m_frontend.get());
        m_data = MakeData();
    }
    void TearDown() override {
        m_window.reset();
        m_behaviour.reset();
        SetFrontend(nullptr);
    }

    // The conditions window over the real behaviour, shown modelessly in
    // the middle of the screen (where a message box centred on it lies
    // wholly over it) and drawn.
    wxui::WxConditionsDlg& OpenConditions() {
        m_behaviour = std::make_unique<CConditionsDlg>(nullptr, &m_data, nullptr);
        m_window = std::make_unique<wxui::WxConditionsDlg>(nullptr, *m_behaviour);
        m_behaviour->OnInitDialog();
        m_window->CentreOnScreen();
        m_window->Show();
        wxImage shot;
        EXPECT_TRUE(screen::WaitUntilShown(m_window.get(), &shot));
        return *m_window;
    }

    wxTextCtrl* Edit() { return static_cast<wxTextCtrl*>(m_window->FindWindow(IDC_EDT_OUTPUT)); }

    std::unique_ptr<WxTestHome> m_home;
    std::unique_ptr<Frontend> m_frontend;
    StDATAINFO m_data;
    std::unique_ptr<CConditionsDlg> m_behaviour;
    std::unique_ptr<wxui::WxConditionsDlg> m_window;
};

// Message boxes over the conditions dialog ------------------------------------------

struct RefusalCase {
    const char* name;
    const char* path;          // cp932, typed into the edit
    const char* existingFile;  // made under drive C: first, or null
    const char8_t* message;
    bool question;
    const char* screenshot;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class WxScreenRefusalTest : public WxScreenTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(WxScreenRefusalTest, TheBoxReachesTheScreenAndThePathIsSelectedAfterwards) {
    const RefusalCase& c = GetParam();
    if (c.existingFile) std::ofstream(m_home->File(c.existingFile)) << "old";
    wxui::WxConditionsDlg& window = OpenConditions();
    window.SetControlText(IDC_EDT_OUTPUT, c.path);
    window.SetFocusTo(IDC_RAD_GENERAL);

    ShownModals modals;
    modals.Then([&](wxDialog* dialog, const wxImage& shot, bool shown) -> int {
        auto* box = dynamic_cast<wxui::WxMessageBox*>(dialog);
        EXPECT_NE(box, nullptr);
        if (!box) return wxID_CANCEL;
        EXPECT_EQ(box->GetMessage(), FromU8(c.message));
        // Wholly over the dialog, where the toolkit once left it black.
        EXPECT_TRUE(window.GetScreenRect().Contains(box->GetScreenRect()));
        EXPECT_TRUE(shown) << "the box's client area stays one colour on the screen";
        EXPECT_TRUE(screen::Save(shot, c.screenshot));
        // Its icon is drawn, the buttons are Windows' in the user's language.
        wxStaticBitmap* icon = IconOf(box);
        EXPECT_NE(icon, nullptr);
        if (icon) {
            EXPECT_GT(DrawnPixels(icon), 100) << "no icon on the screen";
        }
        const std::vector<wxString> expected = c.question ? YesNoLabels() : std::vector<wxString>{"OK"};
        EXPECT_EQ(ButtonLabels(*box), expected);
        return c.question ? wxID_NO : wxID_OK;
    });
    EXPECT_TRUE(window.HandleKeyDown(KeyDown(WXK_F12)));
    EXPECT_EQ(window.EndResult(), 0);

    // The refusal ends with the whole path selected in the edit control,
    // the caret at its end: what the user types replaces it.
    wxTextCtrl* edit = Edit();
    EXPECT_EQ(wxWindow::FindFocus(), edit);
    long from = -1, to = -1;
    edit->GetSelection(&from, &to);
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, edit->GetLastPosition());
    EXPECT_EQ(edit->GetInsertionPoint(), edit->GetLastPosition());
    edit->WriteText("x");
    EXPECT_EQ(edit->GetValue(), "x");
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, WxScreenRefusalTest,
    ::testing::Values(RefusalCase{"Pattern", "C:\\Mildan\\Data\\*.xml", nullptr,
                                  u8"データの出力先に不正な文字が含まれています。\n\n出力先を再入力してください。",
                                  false, "box-invalid-path.png"},
                      RefusalCase{"NewFolder", "C:\\new\\report.xml", nullptr,
                                  u8"指定されたフォルダは存在しません。\n\n作成してもよろしいですか？", true,
                                  "box-new-folder.png"},
                      RefusalCase{"Overwrite", "C:\\report.xml", "c/report.xml",
                                  u8"同名のファイルが存在します。\n\n上書きしてもよろしいですか？", true,
                                  "box-overwrite.png"}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

TEST_F(WxScreenTest, ARefusalInTheModalDialogReachesTheScreen) {
    CConditionsDlg dialog(nullptr, &m_data, nullptr);
    ShownModals modals;
    modals.Then([](wxDialog* shown, const wxImage&, bool onScreen) -> int {
        auto* window = dynamic_cast<wxui::WxConditionsDlg*>(shown);
        EXPECT_NE(window, nullptr);
        EXPECT_TRUE(onScreen);
        if (!window) return wxID_CANCEL;
        window->SetControlText(IDC_EDT_OUTPUT, "C:\\Mildan\\Data\\*.xml");
        EXPECT_TRUE(window->HandleKeyDown(KeyDown(WXK_F12)));
        EXPECT_EQ(window->EndResult(), 0);
        return IDCANCEL;
    });
    modals.Then([](wxDialog*, const wxImage& shot, bool onScreen) -> int {
        EXPECT_TRUE(onScreen) << "the box's client area is not on the screen";
        EXPECT_TRUE(screen::Save(shot, "box-in-modal.png"));
        return wxID_OK;
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(WxScreenTest, ABoxWithoutAnOwnerOnTheScreenStandsInItsMiddle) {
    const wxRect display = wxDisplay(0u).GetGeometry();
    ShownModals modals;
    modals.Then([&](wxDialog* dialog, const wxImage& shot, bool shown) -> int {
        EXPECT_TRUE(shown);
        EXPECT_TRUE(screen::Save(shot, "box-past-results.png"));
        const wxRect box = dialog->GetScreenRect();
        const wxPoint middle(box.x + box.width / 2, box.y + box.height / 2);
        EXPECT_LE(std::abs(middle.x - (display.x + display.width / 2)), 2) << box.x << "," << box.y;
        EXPECT_LE(std::abs(middle.y - (display.y + display.height / 2)), 2) << box.x << "," << box.y;
        return wxID_OK;
    });
    EXPECT_EQ(MessageBoxA(reinterpret_cast<HWND>(0x1234),
                          "過去実績データは、連携の対象として使用できません。\n\nアプリケーションを終了します。",
                          "所得税(減価償却)", MB_ICONWARNING),
              IDOK);
}

// The conditions dialog in the user's language -----------------------------------

TEST_F(WxScreenTest, TheConditionsDialogKeepsItsFaceAndSizeAndClipsNothing) {
    wxui::WxConditionsDlg& window = OpenConditions();
    // The IPA P Gothic face under its English or its Japanese name, never
    // the fallback a lookup by English names alone ends in.
    const wxString face = window.GetFont().GetFaceName();
    EXPECT_TRUE(face == "IPAPGothic" || face == FromU8(u8"IPA Pゴシック")) << face.utf8_string();
    EXPECT_EQ(window.GetClientSize(), window.ConvertDialogToPixels(wxSize(263, 207)));
    for (const StDlgItem& item : g_dlgConditions) {
        if (item.eKind == EDlgItemKind::Edit) continue;
        wxWindow* control = window.FindWindow(item.nId);
        ASSERT_NE(control, nullptr) << item.nId;
        // A label, radio or button whose text needs more room than it has
        // is clipped.
        wxString text = control->GetLabel();
        text.Replace("&", "");
        const int needed = item.eKind == EDlgItemKind::Group || item.eKind == EDlgItemKind::Label
                               ? control->GetTextExtent(text).GetWidth()
                               : control->GetBestSize().GetWidth();
        EXPECT_LE(needed, control->GetSize().GetWidth()) << item.nId << " " << text.utf8_string();
    }
    wxImage shot;
    EXPECT_TRUE(screen::WaitUntilShown(&window, &shot));
    EXPECT_TRUE(screen::Save(shot, "screen-conditions.png"));
}

TEST_F(WxScreenTest, TheSaveFileDialogSpeaksTheUsersLanguage) {
    // The toolkit's file dialog takes its words from the process's locale.
    const char* cancel = dgettext("gtk30", "_Cancel");
    if (screen::JapaneseLocale())
        EXPECT_STRNE(cancel, "_Cancel");
    else
        EXPECT_STREQ(cancel, "_Cancel");
    mkdir(m_home->File("c/out").c_str(), 0755);
    ShownModals modals;
    modals.Then([](wxDialog* dialog, const wxImage&, bool) -> int {
        EXPECT_NE(dynamic_cast<wxFileDialog*>(dialog), nullptr);
        // The toolkit's own dialog is not sized or painted through the
        // program's windows: it is looked for on the whole screen, where
        // it stands alone.
        wxImage shot;
        EXPECT_TRUE(screen::WaitUntilOnScreen(wxDisplay(0u).GetGeometry(), &shot));
        EXPECT_TRUE(screen::Save(shot, "save-file.png"));
        return wxID_CANCEL;
    });
    std::string chosen;
    EXPECT_FALSE(m_frontend->BrowseSaveFile("保存ファイルを指定", "Xml Files (*.xml)|*.xml||", "XML", "C:\\out\\",
                                            "report.xml", chosen));
}

// The progress dialog on the screen ---------------------------------------------------

// The part of a bar's width that is drawn in the fill colour, read from the
// screen: the row of the bar with the most fill pixels.
double FillOnScreen(wxGauge* gauge) {
    const wxImage shot = screen::Capture(screen::ClientRect(gauge));
    if (!shot.IsOk()) return -1;
    int best = 0;
    for (int y = 0; y < shot.GetHeight(); ++y) {
        int fill = 0;
        for (int x = 0; x < shot.GetWidth(); ++x)
            if (shot.GetBlue(x, y) > 150 && shot.GetRed(x, y) < 130) ++fill;
        best = std::max(best, fill);
    }
    return static_cast<double>(best) / shot.GetWidth();
}

TEST_F(WxScreenTest, TheMainBarOnTheScreenStandsWhereTheCaptionSays) {
    wxui::WxProgressDlg window;
    window.CentreOnScreen();
    window.Show();
    CProgressDlg progress(&window);
    progress.InitBars();
    window.Flush();
    // After every stretch of the run the screen shows the bar at the
    // percentage of the caption, without waiting for anything else: the
    // run's next piece of work may take long.
    for (short to = 100; to <= 1000; to += 100) {
        progress.Advance(static_cast<short>(to - 100), to);
        SCOPED_TRACE(window.GetTitle().utf8_string());
        EXPECT_EQ(window.GetTitle(), wxString::Format(FromU8(u8"集計中 %d％"), to / 10));
        // The display may take a moment over what the toolkit has sent, but
        // nothing more is drawn meanwhile: no events are handled here.
        double fill = -1;
        const wxLongLong deadline = wxGetLocalTimeMillis() + 300;
        do {
            fill = FillOnScreen(window.MainBar());
            if (std::fabs(fill - to / 1000.0) <= 0.02) break;
            wxMilliSleep(5);
        } while (wxGetLocalTimeMillis() < deadline);
        EXPECT_NEAR(fill, to / 1000.0, 0.02);
    }
    EXPECT_TRUE(screen::Save(screen::Capture(window.GetScreenRect()), "screen-progress.png"));

    // The final box over the progress dialog.
    ShownModals modals;
    modals.Then([](wxDialog*, const wxImage& shot, bool shown) -> int {
        EXPECT_TRUE(shown);
        EXPECT_TRUE(screen::Save(shot, "box-done.png"));
        return wxID_OK;
    });
    MessageBoxA(window.Handle(), "減価償却の集計結果を正常に出力しました。", "所得税(減価償却)",
                MB_OK | MB_ICONINFORMATION);
}

TEST_F(WxScreenTest, TheSecondBarVisiblyPulses) {
    wxui::WxProgressDlg window;
    window.CentreOnScreen();
    window.Show();
    CProgressDlg progress(&window);
    progress.InitBars();
    std::vector<wxImage> shots;
    for (int i = 0; i < 8; ++i) {
        progress.Pulse();
        window.Flush();
        shots.push_back(screen::Capture(screen::ClientRect(window.SubBar())));
        ASSERT_TRUE(shots.back().IsOk());
    }
    int changes = 0;
    for (size_t i = 1; i < shots.size(); ++i)
        if (std::memcmp(shots[i].GetData(), shots[i - 1].GetData(),
                        3 * static_cast<size_t>(shots[i].GetWidth()) * shots[i].GetHeight()) != 0)
            ++changes;
    EXPECT_GE(changes, 3) << "the second bar looks the same pulse after pulse";
}

}  // namespace
