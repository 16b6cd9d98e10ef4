#include "platform/BokMsgMgr.h"

#include <string>

#include "TestHome.h"
#include "compat/msgbox.h"

namespace {

TEST(ClMsgMgrTest, SetLastErrorRecordsAndReturnsTheCode) {
    TestHome home;
    ClMsgMgr* messages = ClMsgMgr::Inst();
    EXPECT_EQ(messages->SetLastError(-1004, "CmnProcHpr", 120), -1004);
    EXPECT_EQ(messages->GetLastError(), -1004);
    EXPECT_EQ(messages->GetLastErrorSource(), "CmnProcHpr");
    EXPECT_EQ(messages->GetLastErrorLine(), 120);

    EXPECT_EQ(messages->SetLastError(0, nullptr, 0), 0);
    EXPECT_EQ(messages->GetLastError(), 0);
    EXPECT_EQ(messages->GetLastErrorSource(), "");
    EXPECT_EQ(messages->GetLastErrorLine(), 0);
}

struct FatalCase {
    long status;
    int show;
    int fatal;
    const char* shown;  // null: no message box
};

// "エラーが発生しました。(コード: " in code page 932.
#define ERROR_HEAD                                                                              \
    "\x83\x47\x83\x89\x81\x5b\x82\xaa\x94\xad\x90\xb6\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42(" \
    "\x83\x52\x81\x5b\x83\x68: "

const FatalCase kFatalCases[] = {
    {0, 1, 0, nullptr},  {5000, 1, 0, nullptr},        {1, 1, 0, nullptr},
    {-5, 0, 1, nullptr}, {-5, 1, 1, ERROR_HEAD "-5)"}, {-1004, 1, 1, ERROR_HEAD "-1004)"},
};

class CheckFatalTest : public testing::TestWithParam<FatalCase> {};

TEST_P(CheckFatalTest, NegativeIsFatalAndShownOnRequest) {
    TestHome home;
    std::string shown;
    UINT type = 0;
    HWND owner = nullptr;
    int calls = 0;
    auto previous = compat::SetMessageBoxHandler([&](HWND o, const char* text, const char*, UINT t) {
        shown = text;
        type = t;
        owner = o;
        ++calls;
        return IDOK;
    });
    HWND window = reinterpret_cast<HWND>(7);
    EXPECT_EQ(ClMsgMgr::Inst()->CheckFatalErrorWithMsg(GetParam().status, 0, GetParam().show, window) != 0,
              GetParam().fatal != 0);
    compat::SetMessageBoxHandler(previous);
    if (GetParam().shown == nullptr) {
        EXPECT_EQ(calls, 0);
    } else {
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(shown, GetParam().shown);
        EXPECT_EQ(type, MB_ICONWARNING);
        EXPECT_EQ(owner, window);
    }
}

INSTANTIATE_TEST_SUITE_P(ClMsgMgr, CheckFatalTest, testing::ValuesIn(kFatalCases));

}  // namespace
