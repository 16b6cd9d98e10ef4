// The toolkit's start where the display cannot be opened.  A program of its
// own: the window tests' program has the toolkit up before its tests run.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>

#include <wx/app.h>
#include <wx/brush.h>
#include <wx/font.h>
#include <wx/gdicmn.h>
#include <wx/pen.h>

#include "ui/Frontend.h"

namespace {

TEST(WxStart, UnusableDisplayFailsEachTimeAndKeepsNothing) {
    // Set, but no server behind it: a socket that does not exist.
    ASSERT_EQ(setenv("DISPLAY", "/nonexistent/X11-socket:0", 1), 0);
    char name[] = "deprlink_ui_wx_start_tests";
    char* argv[] = {name, nullptr};
    // Asked twice, so that whatever a failed start keeps would be
    // overwritten and show as a leak in the sanitizer build.
    for (int attempt = 1; attempt <= 2; ++attempt) {
        SCOPED_TRACE(attempt);
        int argc = 1;
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(StartWxFrontend(argc, argv));
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find("Unable to initialize GTK+"), std::string::npos) << said;
        EXPECT_EQ(wxTheApp, nullptr);
        EXPECT_EQ(wxTheBrushList, nullptr);
        EXPECT_EQ(wxThePenList, nullptr);
        EXPECT_EQ(wxTheFontList, nullptr);
        EXPECT_EQ(wxTheColourDatabase, nullptr);
        EXPECT_EQ(MakeWxFrontend(), nullptr);
    }
}

}  // namespace
