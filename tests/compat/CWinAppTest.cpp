// The application object: InitInstance, then ExitInstance whatever happened.

#include "compat/winapp.h"

#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

class RecordingApp : public CWinApp {
public:
    enum class Init { succeed, fail, raise };
    explicit RecordingApp(Init init) : m_init(init) {}

    BOOL InitInstance() override {
        m_calls.push_back(std::string("init:") + m_lpCmdLine);
        if (m_init == Init::raise) throw std::runtime_error("broken");
        return m_init == Init::succeed;
    }
    int ExitInstance() override {
        m_calls.push_back("exit");
        return 42;
    }

    Init m_init;
    std::vector<std::string> m_calls;
};

TEST(CWinApp, ExitInstanceRunsWhateverInitInstanceDid) {
    const RecordingApp::Init cases[] = {
        RecordingApp::Init::succeed,
        RecordingApp::Init::fail,
        RecordingApp::Init::raise,
    };
    for (RecordingApp::Init init : cases) {
        SCOPED_TRACE(static_cast<int>(init));
        RecordingApp app(init);
        EXPECT_EQ(AfxGetApp(), &app);
        testing::internal::CaptureStderr();
        EXPECT_EQ(AfxWinMain(app, "100,32769,3,"), 42);
        testing::internal::GetCapturedStderr();
        const std::vector<std::string> expected = {"init:100,32769,3,", "exit"};
        EXPECT_EQ(app.m_calls, expected);
    }
    EXPECT_EQ(AfxGetApp(), nullptr);
}

TEST(CWinApp, JoinCommandLine) {
    const struct {
        std::vector<const char*> argv;
        std::string line;
    } cases[] = {
        {{"DeprLinkStd"}, ""},
        {{"DeprLinkStd", "100,32769,3,"}, "100,32769,3,"},
        {{"DeprLinkStd", "100,32769,3,C:\\My", "Documents\\a.xml"}, "100,32769,3,C:\\My Documents\\a.xml"},
    };
    for (const auto& c : cases) {
        std::vector<char*> argv;
        for (const char* a : c.argv) argv.push_back(const_cast<char*>(a));
        EXPECT_EQ(JoinCommandLine(static_cast<int>(argv.size()), argv.data()), c.line);
    }
}

TEST(CWinApp, WaitCursorNests) {
    std::vector<bool> shown;
    compat::SetWaitCursorHandler([&](bool busy) { shown.push_back(busy); });
    RecordingApp app(RecordingApp::Init::succeed);
    app.EndWaitCursor();  // not busy: nothing
    app.BeginWaitCursor();
    app.BeginWaitCursor();
    app.RestoreWaitCursor();
    app.EndWaitCursor();
    app.EndWaitCursor();
    app.RestoreWaitCursor();  // not busy: nothing
    compat::SetWaitCursorHandler(nullptr);
    const std::vector<bool> expected = {true, true, false};
    EXPECT_EQ(shown, expected);
}

}  // namespace
