#include "platform/BokLink.h"

#include <string>

#include "TestHome.h"
#include "compat/msgbox.h"
#include "platform/BokBCore.h"

namespace {

struct Shown {
    HWND owner = nullptr;
    std::string text;
    std::string caption;
    UINT type = 0;
    int calls = 0;
};

// Captures the message boxes of one test and answers them.
class MessageBoxCapture {
public:
    explicit MessageBoxCapture(int answer) {
        m_previous =
            compat::SetMessageBoxHandler([this, answer](HWND owner, const char* text, const char* caption, UINT type) {
                m_shown = Shown{owner, text, caption, type, m_shown.calls + 1};
                return answer;
            });
    }
    ~MessageBoxCapture() { compat::SetMessageBoxHandler(m_previous); }
    const Shown& Last() const { return m_shown; }

private:
    compat::MessageBoxHandler m_previous;
    Shown m_shown;
};

struct FaultCase {
    const char* name;
    const char* operation;  // null: no fault
    long status;
    long initiate;
    long expSysLink;
};

const FaultCase kFaultCases[] = {
    {"NoFault", nullptr, 0, 0, 0},
    {"InitiateFails", "Initiate", -7, -7, 0},
    {"LinkNotPerformed", "ExpSysLink", 1, 0, 1},
    {"LinkRefused", "ExpSysLink", 4, 0, 4},
    {"LinkFatal", "ExpSysLink", -3, 0, -3},
};

class ConnectFaultTest : public testing::TestWithParam<FaultCase> {};

TEST_P(ConnectFaultTest, InitiateAndExpSysLinkAnswerTheFault) {
    TestHome home;
    home.Import(kOneDataSet);
    if (GetParam().operation != nullptr) home.Fault(GetParam().operation, GetParam().status);

    ClBokConnect* connect = ClBokConnect::Inst();
    EXPECT_EQ(connect->Initiate(), GetParam().initiate);
    EXPECT_EQ(connect->IsConnected(), GetParam().initiate == 0);
    EXPECT_EQ(connect->ExpSysLink(), GetParam().expSysLink);
}

INSTANTIATE_TEST_SUITE_P(ClBokConnect, ConnectFaultTest, testing::ValuesIn(kFaultCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ClBokConnectTest, ReleaseEndsTheConnection) {
    TestHome home;
    home.Import(kOneDataSet);
    ClBokConnect* connect = ClBokConnect::Inst();
    connect->SetAppType(ClSysEnvMgr::AppType_Pro);
    ASSERT_EQ(connect->Initiate(), 0);
    EXPECT_EQ(connect->GetAppType(), ClSysEnvMgr::AppType_Pro);
    EXPECT_EQ(connect->LogOut(), 0);
    EXPECT_EQ(connect->Terminate(), 0);
    connect->Release();
    EXPECT_FALSE(connect->IsConnected());
}

struct DispMsgCase {
    const char* name;
    const char* text;
    const char* shown;
};

// "所得税のボルタ" in code page 932.
#define PACKAGE "\x8f\x8a\x93\xbe\x90\xc5\x82\xcc\x83\x7b\x83\x8b\x83\x5e"

const DispMsgCase kDispMsgCases[] = {
    {"Plain", "no token", "no token"},
    {"Token", "ES_APRPACKAGENAME", PACKAGE},
    {"TokenTwiceInText", "A ES_APRPACKAGENAME B ES_APRPACKAGENAME.", "A " PACKAGE " B " PACKAGE "."},
    // 0x83 0x45 is "ウ": its trail byte is an "E" that starts no token.
    {"TrailByteIsNoTokenStart",
     "\x83"
     "ES_APRPACKAGENAME",
     "\x83"
     "ES_APRPACKAGENAME"},
    {"Empty", "", ""},
};

class DispMsgTest : public testing::TestWithParam<DispMsgCase> {};

TEST_P(DispMsgTest, ShowsThePackageNameWithTitleAndStyle) {
    TestHome home;
    MessageBoxCapture capture(IDYES);
    HWND owner = reinterpret_cast<HWND>(42);
    const int answer = ClBokConnect::Inst()->DispMsg(owner, GetParam().text, "Title", MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(answer, IDYES);
    EXPECT_EQ(capture.Last().calls, 1);
    EXPECT_EQ(capture.Last().owner, owner);
    EXPECT_EQ(capture.Last().text, GetParam().shown);
    EXPECT_EQ(capture.Last().caption, "Title");
    EXPECT_EQ(capture.Last().type, MB_YESNO | MB_ICONQUESTION);
}

INSTANTIATE_TEST_SUITE_P(ClBokConnect, DispMsgTest, testing::ValuesIn(kDispMsgCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
