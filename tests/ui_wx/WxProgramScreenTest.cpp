// The message boxes over the conditions dialog as the user meets them: the
// real program, started by the host stand-in with its windows on the
// display, driven by key presses through the X server (xdotool), and the
// screen read back as a dump of the root window (xwd).  A dump reads the
// windows of each visual by themselves; a box on the toolkit's OpenGL visual
// lying wholly over the dialog came out of it as a black rectangle, while
// the X server's own image, which the other screen tests read, showed it.
// The test program runs in the locale given by --lang=LOCALE, and so does
// the program it starts.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <clocale>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "ScreenCapture.h"
#include "tests/e2e/E2eSupport.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

using testsupport::U8;

// Generous: the sanitizer build on a busy machine takes seconds to bring the
// toolkit up.  A wait ends as soon as what it waits for is there.
constexpr long kWaitMs = 30000;

long NowMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Asks until done() or kWaitMs have passed; the last answer.
bool PollUntil(const std::function<bool()>& done) {
    const long deadline = NowMs() + kWaitMs;
    for (;;) {
        if (done()) return true;
        if (NowMs() >= deadline) return false;
        const timespec pause = {0, 50 * 1000 * 1000};
        nanosleep(&pause, nullptr);
    }
}

// Key presses as a keyboard gives them, to whichever window has the focus.
bool Xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), XDOTOOL_PATH);
    return e2e::RunCommand(args, "").status == 0;
}

struct BoxCase {
    const char* name;
    const char* path;          // typed into the edit, or null to keep the shown one
    const char* existingFile;  // made under drive C: first, or null
    const char* key;           // what ends the dialog and brings up the box
    const char* screenshot;
};

void PrintTo(const BoxCase& c, std::ostream* os) { *os << c.name; }

class WxProgramScreenTest : public ::testing::TestWithParam<BoxCase> {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display for the windows";
        char pattern[] = "/tmp/deprlink-uiwx-run-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_home = pattern;
        m_dump = m_home / "screen.xwd";
        const e2e::RunResult init = e2e::RunCommand({BOKCTL_PATH, "--home", m_home.string(), "init", "--sample"}, "");
        ASSERT_EQ(init.status, 0) << init.output;
    }
    void TearDown() override {
        std::error_code ec;
        if (!m_home.empty()) fs::remove_all(m_home, ec);
    }

    // The dump of the whole screen, read back in rect.
    wxImage Dump(const wxRect& rect) {
        const e2e::RunResult run = e2e::RunCommand({XWD_PATH, "-root", "-silent", "-out", m_dump.string()}, "");
        if (run.status != 0) return wxImage();
        return screen::FromXwd(e2e::ReadFile(m_dump), rect);
    }

    fs::path m_home;
    fs::path m_dump;
};

TEST_P(WxProgramScreenTest, TheBoxOverTheDialogHoldsItsTextInAScreenDump) {
    const BoxCase& c = GetParam();
    if (c.existingFile) std::ofstream(m_home / "drive_c" / c.existingFile) << "old";
    // The windows as the program itself sets the toolkit up, not as the
    // environment of the test might.
    setenv("DEPRLINK_FRONTEND", "wx", 1);
    unsetenv("GDK_GL");
    e2e::Process program({BOKCTL_PATH, "--home", m_home.string(), "run"});
    ASSERT_TRUE(program.Started());

    // Keys are given once the dialog is drawn and has the keyboard.
    const std::string dialogTitle = U8(u8"所得税(減価償却) - 集計条件");
    screen::ShownWindow dialog;
    ASSERT_TRUE(PollUntil([&] {
        return screen::FindShownWindow(dialogTitle, &dialog) && dialog.focused &&
               screen::HoldsText(screen::Capture(dialog.rect));
    })) << "no conditions dialog with the keyboard";
    if (c.path) {
        // The access key of the output frame puts the caret in the path with
        // its text selected; what is typed replaces it.
        ASSERT_TRUE(Xdotool({"key", "alt+f"}));
        ASSERT_TRUE(Xdotool({"type", c.path}));
    }
    ASSERT_TRUE(Xdotool({"key", c.key}));

    // The box, with the program's caption as its title, lies wholly over
    // the dialog, where the dumps lost it.
    const std::string boxTitle = U8(u8"所得税(減価償却)");
    screen::ShownWindow box;
    ASSERT_TRUE(PollUntil([&] { return screen::FindShownWindow(boxTitle, &box); })) << "no message box";
    EXPECT_TRUE(dialog.rect.Contains(box.rect));
    wxImage shot;
    EXPECT_TRUE(PollUntil([&] {
        shot = Dump(box.rect);
        return screen::HoldsText(shot);
    })) << "the box's client area stays one colour in a dump of the screen"
        << (box.defaultVisual ? "" : "; the box is not on the screen's default visual");
    EXPECT_TRUE(screen::Save(Dump(dialog.rect.Union(box.rect)), c.screenshot));
    // The run ends with the test: the process group goes with the Process.
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, WxProgramScreenTest,
    ::testing::Values(BoxCase{"Pattern", "C:\\Mildan\\Data\\*.xml", nullptr, "F12", "program-box-invalid-path.png"},
                      BoxCase{"NewFolder", "C:\\Mildan\\new\\report.xml", nullptr, "F12", "program-box-new-folder.png"},
                      BoxCase{"Overwrite", "C:\\Mildan\\Data\\report.xml", "Mildan/Data/report.xml", "F12",
                              "program-box-overwrite.png"},
                      BoxCase{"Cancel", nullptr, nullptr, "Escape", "program-box-cancel.png"}),
    [](const ::testing::TestParamInfo<BoxCase>& info) { return std::string(info.param.name); });

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // --lang=LOCALE: the locale of the user, for the program started and for
    // the names of the screenshots.
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--lang=", 7) != 0) continue;
        setenv("LANG", argv[i] + 7, 1);
        setenv("LC_ALL", argv[i] + 7, 1);
    }
    std::setlocale(LC_ALL, "");
    return RUN_ALL_TESTS();
}
