// The window tests' program: the toolkit is brought up once, when there is
// a display, and every test skips itself when there is none.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include <wx/debug.h>
#include <wx/string.h>

#include "WxTestSupport.h"
#include "ui/Frontend.h"

namespace {

bool g_bStarted = false;

// A toolkit assertion is a failed test, not a dialog waiting for a click.
void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg) {
    ADD_FAILURE_AT(file.utf8_string().c_str(), line)
        << "toolkit assertion in " << func.utf8_string() << ": " << cond.utf8_string() << " " << msg.utf8_string();
}

}  // namespace

bool WxTestToolkitStarted() { return g_bStarted; }

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // --lang=LOCALE runs the windows in that locale, as a user whose LANG
    // it is would.
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--lang=", 7) != 0) continue;
        setenv("LANG", argv[i] + 7, 1);
        setenv("LC_ALL", argv[i] + 7, 1);
    }
    const bool listing = ::testing::GTEST_FLAG(list_tests);
    if (!listing && std::getenv("DISPLAY") != nullptr) {
        g_bStarted = StartWxFrontend(argc, argv);
        if (g_bStarted) wxSetAssertHandler(FailOnAssert);
    }
    const int result = RUN_ALL_TESTS();
    if (g_bStarted) StopWxFrontend();
    return result;
}
