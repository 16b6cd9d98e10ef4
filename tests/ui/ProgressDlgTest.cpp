// The progress dialog's caption, bars and pulses as its view receives them.

#include "ui/ProgressDlg.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

struct StBar {
    int nLower, nUpper, nPos;
    bool operator==(const StBar&) const = default;
};

class RecordingProgressView : public IProgressView {
public:
    std::vector<std::string> captions;
    std::vector<StBar> mainBars, subBars;
    int broughtToTop = 0, repaints = 0;

    void SetCaption(const char* caption) override { captions.emplace_back(caption); }
    void SetMainBar(int lower, int upper, int pos) override { mainBars.push_back({lower, upper, pos}); }
    void SetSubBar(int lower, int upper, int pos) override { subBars.push_back({lower, upper, pos}); }
    void BringToTop() override { ++broughtToTop; }
    void Repaint() override { ++repaints; }
};

TEST(ProgressDlgTest, StartsWithThePlainCaptionAndAnEmptyMainBar) {
    RecordingProgressView view;
    CProgressDlg progress(&view);
    progress.InitBars();
    EXPECT_EQ(progress.Caption(), "\x8f\x57\x8c\x76\x92\x86");  // "集計中"
    EXPECT_EQ(progress.MainPos(), 0);
    EXPECT_EQ(progress.MainUpper(), 1000);
    EXPECT_TRUE(view.captions.empty());
    EXPECT_EQ(view.mainBars, (std::vector<StBar>{{0, 1000, 0}}));
}

// A pulse resets the secondary bar to 0..5, brings the dialog to the front,
// repaints, then steps six times; the sixth step passes 5 and starts over.
TEST(ProgressDlgTest, PulseStepsTheSecondaryBarSixTimes) {
    RecordingProgressView view;
    CProgressDlg progress(&view);
    progress.Pulse();
    const std::vector<StBar> expected = {{0, 5, 0}, {0, 5, 1}, {0, 5, 2}, {0, 5, 3}, {0, 5, 4}, {0, 5, 5}, {0, 5, 1}};
    EXPECT_EQ(view.subBars, expected);
    EXPECT_EQ(view.broughtToTop, 1);
    EXPECT_EQ(view.repaints, 1);
    EXPECT_EQ(progress.PulseCount(), 1);
}

struct StAdvanceCase {
    short nFrom, nTo;
    std::vector<std::string> captions;  // cp932, as the view receives them
    int nMainPos;                       // after the call
    long lPulses;
};

class ProgressAdvanceTest : public ::testing::TestWithParam<StAdvanceCase> {};

TEST_P(ProgressAdvanceTest, SetsTheCaptionAtEveryTenthAndPulsesForEveryValue) {
    const StAdvanceCase& c = GetParam();
    RecordingProgressView view;
    CProgressDlg progress(&view);
    progress.InitBars();
    progress.Advance(c.nFrom, c.nTo);
    EXPECT_EQ(view.captions, c.captions);
    EXPECT_EQ(progress.MainPos(), c.nMainPos);
    EXPECT_EQ(progress.PulseCount(), c.lPulses);
    // One repaint per value besides the pulses' own.
    EXPECT_EQ(view.repaints, 2 * c.lPulses);
}

std::vector<std::string> Captions(int fromPercent, int toPercent) {
    std::vector<std::string> captions;
    for (int p = fromPercent; p <= toPercent; ++p)
        captions.push_back("\x8f\x57\x8c\x76\x92\x86 " + std::to_string(p) + "\x81\x93");  // "集計中 p％"
    return captions;
}

INSTANTIATE_TEST_SUITE_P(Ranges, ProgressAdvanceTest,
                         ::testing::Values(StAdvanceCase{200, 400, Captions(20, 40), 400, 201},
                                           StAdvanceCase{0, 200, Captions(0, 20), 200, 201},
                                           StAdvanceCase{700, 1000, Captions(70, 100), 1000, 301},
                                           StAdvanceCase{401, 409, {}, 409, 9},
                                           StAdvanceCase{500, 500, Captions(50, 50), 500, 1},
                                           StAdvanceCase{400, 399, {}, 0, 0}));

TEST(ProgressDlgTest, AFullRunEndsWithAFullBarAndOneHundredPerCent) {
    RecordingProgressView view;
    CProgressDlg progress(&view);
    progress.InitBars();
    for (auto [from, to] :
         {std::pair<short, short>{0, 200}, {200, 400}, {400, 500}, {500, 600}, {600, 700}, {700, 1000}})
        progress.Advance(from, to);
    EXPECT_EQ(progress.MainPos(), 1000);
    EXPECT_EQ(view.mainBars.back(), (StBar{0, 1000, 1000}));
    EXPECT_EQ(progress.Caption(), "\x8f\x57\x8c\x76\x92\x86 100\x81\x93");
}

}  // namespace
