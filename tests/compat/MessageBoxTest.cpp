// Message boxes go to the installed display, or to standard error.

#include "compat/msgbox.h"

#include <string>

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace {

using testsupport::U8;

struct Shown {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};

class MessageBoxTest : public testing::Test {
protected:
    void TearDown() override {
        compat::SetMessageBoxHandler(nullptr);
        compat::SetAppName("DeprLinkStd");
    }
};

TEST_F(MessageBoxTest, InstalledDisplayGetsEverything) {
    Shown shown{};
    compat::SetMessageBoxHandler([&](HWND owner, const char* text, const char* caption, UINT type) {
        shown = Shown{owner, text, caption, type};
        return IDYES;
    });
    HWND owner = reinterpret_cast<HWND>(static_cast<intptr_t>(7));
    EXPECT_EQ(MessageBoxA(owner, "上書きしますか？", "所得税(減価償却)", MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(shown.owner, owner);
    EXPECT_EQ(shown.text, "上書きしますか？");
    EXPECT_EQ(shown.caption, "所得税(減価償却)");
    EXPECT_EQ(shown.type, MB_YESNO | MB_ICONQUESTION);

    // AfxMessageBox: no owner, the application's name as the title.
    EXPECT_EQ(compat::AppName(), "DeprLinkStd");
    compat::SetAppName("DeprLinkPro");
    AfxMessageBox("ﾒﾓﾘが不足しています。");
    EXPECT_EQ(shown.owner, nullptr);
    EXPECT_EQ(shown.caption, "DeprLinkPro");
    EXPECT_EQ(shown.type, MB_OK);
}

TEST_F(MessageBoxTest, WithoutDisplayTheTextGoesToStandardErrorInUtf8) {
    const struct {
        UINT type;
        int answer;
    } cases[] = {
        {MB_OK | MB_ICONWARNING, IDOK}, {MB_YESNO | MB_ICONQUESTION, IDNO},  // the answer that changes nothing
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        int answer = MessageBoxA(nullptr, "帳表", "所得税(減価償却)", c.type);
        std::string written = testing::internal::GetCapturedStderr();
        EXPECT_EQ(answer, c.answer);
        EXPECT_NE(written.find(U8(u8"所得税(減価償却)")), std::string::npos);
        EXPECT_NE(written.find(U8(u8"帳表")), std::string::npos);
    }
}

}  // namespace
