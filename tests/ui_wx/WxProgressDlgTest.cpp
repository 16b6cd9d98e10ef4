// The progress window: dialog 131's two bars, the caption and bars as
// CProgressDlg drives them, and a window the user cannot close.
#include <gtest/gtest.h>

#include <ostream>

#include <wx/gauge.h>

#include "WxTestSupport.h"
#include "ui/ProgressDlg.h"
#include "ui/wx/WxProgressDlg.h"
#include "ui/wx/WxText.h"

using wxui::FromU8;
using wxui::WxProgressDlg;

namespace {

class WxProgressDlgTest : public ::testing::Test {
protected:
    void SetUp() override { SKIP_WITHOUT_DISPLAY(); }
};

TEST_F(WxProgressDlgTest, BarsOfTheResourceInAWindowWithoutCloseBox) {
    WxProgressDlg window;
    EXPECT_EQ(window.GetTitle(), FromU8(u8"集計中"));
    EXPECT_EQ(window.GetClientSize(), window.ConvertDialogToPixels(wxSize(221, 45)));
    EXPECT_TRUE(window.HasFlag(wxCAPTION));
    EXPECT_FALSE(window.HasFlag(wxSYSTEM_MENU));
    EXPECT_FALSE(window.HasFlag(wxCLOSE_BOX));
    EXPECT_FALSE(window.IsShown());

    const struct { int id, x, y; } bars[] = {{1018, 5, 5}, {1019, 5, 29}};
    for (const auto& bar : bars) {
        auto* gauge = dynamic_cast<wxGauge*>(window.FindWindow(bar.id));
        ASSERT_NE(gauge, nullptr) << bar.id;
        EXPECT_EQ(gauge->GetPosition(), window.ConvertDialogToPixels(wxPoint(bar.x, bar.y)));
    }

    wxCloseEvent close(wxEVT_CLOSE_WINDOW, window.GetId());
    close.SetCanVeto(true);
    window.ProcessWindowEvent(close);
    EXPECT_TRUE(close.GetVeto());
}

struct AdvanceCase {
    const char* name;
    short from, to;
    const char8_t* caption;
    int mainValue;
};

void PrintTo(const AdvanceCase& c, std::ostream* os) { *os << c.name; }

class WxProgressAdvanceTest : public WxProgressDlgTest, public ::testing::WithParamInterface<AdvanceCase> {};

TEST_P(WxProgressAdvanceTest, CaptionAndBarsFollowTheRun) {
    const AdvanceCase& c = GetParam();
    WxProgressDlg window;
    window.Move(640, 420);
    window.Show();
    CProgressDlg progress(&window);
    progress.InitBars();
    progress.Advance(c.from, c.to);

    EXPECT_EQ(window.GetTitle(), FromU8(c.caption)) << window.GetTitle().utf8_string();
    EXPECT_EQ(window.MainBar()->GetRange(), 1000);
    EXPECT_EQ(window.MainBar()->GetValue(), c.mainValue);
    // After a pulse the secondary bar has gone round once: six steps of one
    // over 0..5; the activity it shows has moved on once per pulse.
    if (c.to >= c.from) {
        EXPECT_EQ(window.SubRange(), 5);
        EXPECT_EQ(window.SubPos(), 1);
        EXPECT_EQ(window.SubPulses(), progress.PulseCount());
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, WxProgressAdvanceTest,
                         ::testing::Values(AdvanceCase{"NothingYet", 0, -1, u8"集計中", 0},
                                           AdvanceCase{"Extraction", 0, 200, u8"集計中 20％", 200},
                                           AdvanceCase{"BetweenWholePerCents", 0, 205, u8"集計中 20％", 205},
                                           AdvanceCase{"WholeRun", 0, 1000, u8"集計中 100％", 1000}),
                         [](const ::testing::TestParamInfo<AdvanceCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(WxProgressDlgTest, PositionsOutsideTheRangeStopAtItsEnds) {
    WxProgressDlg window;
    const struct {
        int lower, upper, pos;
        int range, value;
    } cases[] = {{0, 1000, 1200, 1000, 1000}, {0, 1000, -5, 1000, 0}, {200, 400, 300, 200, 100}, {5, 5, 5, 1, 0}};
    for (const auto& c : cases) {
        window.SetMainBar(c.lower, c.upper, c.pos);
        EXPECT_EQ(window.MainBar()->GetRange(), c.range) << c.pos;
        EXPECT_EQ(window.MainBar()->GetValue(), c.value) << c.pos;
    }
}

TEST_F(WxProgressDlgTest, Screenshot) {
    WxProgressDlg window;
    window.Move(20, 420);
    window.Show();
    CProgressDlg progress(&window);
    progress.InitBars();
    progress.Advance(0, 420);
    window.Flush();
    EXPECT_TRUE(SaveScreenshot(&window, "progress.png"));
}

}  // namespace
