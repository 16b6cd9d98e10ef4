// The application object through the real store and the real host socket.

#include "app/LinkApp.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "compat/drives.h"
#include "compat/msgbox.h"
#include "compat/winapp.h"
#include "platform/BokAdmin.h"

namespace {

const long kWindow = 4242;

std::string DataSection(const char* id, int number, const char8_t* name = u8"山田商事") {
    return U8(u8"[data]\nid = ") + id + "\nnumber = " + std::to_string(number) + U8(u8"\nname = ") + U8(name) +
           "\nperiod = 20240101 20241231\n";
}

// ---------------------------------------------------------------------------
// ParseCommandLine

struct ParseCase {
    const char* text;
    int result;
    long window;
    int32_t message;
    int16_t functionId;
    const char* hostPath;
};

const ParseCase kParseCases[] = {
    {"", 0, 0, 0, 2, ""},
    {"123", 0, 0, 0, 2, ""},
    {"123,456", 0, 123, 0, 2, ""},
    {"123,456,3", 0, 123, 456, 2, ""},
    {"123,456,3,", 1, 123, 456, 3, ""},
    {"123,456,3,C:\\out\\a.xml", 1, 123, 456, 3, "C:\\out\\a.xml"},
    {"123,456,3,C:\\a,b\\c.xml", 1, 123, 456, 3, "C:\\a,b\\c.xml"},
    {" 77 ,  8x,-1,", 1, 77, 8, -1, ""},
    {"1,2,70000,", 1, 1, 2, 4464, ""},  // held as a 16-bit value
    {",,,", 1, 0, 0, 0, ""},
};

TEST(CLinkAppParse, FieldsAreStoredAsFarAsTheCommasGo) {
    for (const ParseCase& c : kParseCases) {
        CLinkApp app;
        EXPECT_EQ(app.ParseCommandLine(c.text), c.result) << c.text;
        EXPECT_EQ(reinterpret_cast<intptr_t>(app.m_hHostWnd), c.window) << c.text;
        EXPECT_EQ(app.m_nNotifyMsg, c.message) << c.text;
        EXPECT_EQ(app.m_nFunctionId, c.functionId) << c.text;
        EXPECT_EQ(app.m_strHostPath, c.hostPath) << c.text;
    }
}

TEST(CLinkAppParse, TextsThatDoNotFitTheBufferAreRefused) {
    std::string fits = "1,2,3," + std::string(253, 'x');  // 259 bytes
    std::string tooLong = fits + "x";                     // 260 bytes
    CLinkApp app;
    EXPECT_EQ(app.ParseCommandLine(fits.c_str()), 1);
    CLinkApp other;
    EXPECT_EQ(other.ParseCommandLine(tooLong.c_str()), 0);
    EXPECT_EQ(other.m_hHostWnd, nullptr);
}

// ---------------------------------------------------------------------------
// GetSelectedDataInfo

TEST(CLinkAppSelectedData, TheFirstDataSetWithTheSelectedNumberWins) {
    TempHome home(BaseImport(DataSection("D0002", 2) + DataSection("D0001", 1, u8"一番目") +
                             DataSection("D0009", 1, u8"二番目")));
    CLinkApp app;
    StDATAINFO info;
    ASSERT_EQ(app.GetSelectedDataInfo(&info), 1);
    EXPECT_EQ(info.nDataNo, 1);
    EXPECT_STREQ(info.szDataID, "D0001");
    EXPECT_STREQ(info.szJigyoName, "一番目");
    EXPECT_EQ(info.nKikanFrom, 20240101);
    EXPECT_EQ(info.nKikanTo, 20241231);
    EXPECT_EQ(bok::OpenCursorCount(), 0);
}

TEST(CLinkAppSelectedData, NoMatchOrAFailingCursorLeavesTheRecordZero) {
    struct Case {
        const char* what;
        const char* faultOp;
    } cases[] = {{"no data set carries the number", nullptr}, {"ReadyDat fails", "ReadyDat"}};
    for (const Case& c : cases) {
        TempHome home(BaseImport(c.faultOp ? DataSection("D0001", 1) : DataSection("D0002", 2)));
        if (c.faultOp) {
            bok::AdminError error;
            ASSERT_TRUE(bok::SetFault(home.Path(), c.faultOp, -7, -1, &error)) << error.message;
        }
        CLinkApp app;
        StDATAINFO info;
        std::memset(&info, 0xAB, sizeof info);
        EXPECT_EQ(app.GetSelectedDataInfo(&info), 0) << c.what;
        const StDATAINFO zero{};
        EXPECT_EQ(std::memcmp(&info, &zero, sizeof info), 0) << c.what;
        EXPECT_EQ(bok::OpenCursorCount(), 0) << c.what;
    }
}

// ---------------------------------------------------------------------------
// CheckEnvironment

const char8_t kMsgInvalid[] =
    u8"動作環境が不正です。\n所得税のボルタが正しくインストールされているか確認してください。";
const char8_t kMsgNewerTaxProduct[] =
    u8"ご利用の連動コンポーネントは、インストールされている所得税のボルタでは使用できません。\n"
    u8"所得税のボルタの最新版を入手してインストールしてからご利用ください。";
const char8_t kMsgNewerComponent[] =
    u8"ご利用の連動コンポーネントは、インストールされている所得税のボルタでは使用できません。\n"
    u8"連動コンポーネントの最新版を入手してインストールしてからご利用ください。";

struct EnvCase {
    const char* ini;  // null: no file
    int result;
    const char8_t* message;  // null: none
};

const EnvCase kEnvCases[] = {
    {"[ProgramLevel]\r\nQZ14_G=1\r\n", 1, nullptr},
    {"[ProgramLevel]\r\nOTHER=5\r\n", 1, nullptr},  // no key: the default "1"
    {"[ProgramLevel]\r\nQZ14_G=2\r\n", 0, kMsgNewerComponent},
    {"[ProgramLevel]\r\nQZ14_G=10\r\n", 0, kMsgNewerComponent},
    {"[ProgramLevel]\r\nQZ14_G=0\r\n", 0, kMsgNewerTaxProduct},
    {"[ProgramLevel]\r\nQZ14_G=-3\r\n", 0, kMsgNewerTaxProduct},
    {"[ProgramLevel]\r\nQZ14_G=abc\r\n", 0, kMsgNewerTaxProduct},
    {"[ProgramLevel]\r\nQZ14_G=\r\n", 0, kMsgInvalid},
    {nullptr, 0, kMsgInvalid},
};

TEST(CLinkAppEnvironment, LevelsAndTheirMessages) {
    for (const EnvCase& c : kEnvCases) {
        TempHome home(BaseImport(""), c.ini);
        MessageRecorder shown;
        CLinkApp app;
        EXPECT_EQ(app.CheckEnvironment(1), c.result) << (c.ini ? c.ini : "(no file)");
        if (c.message == nullptr) {
            EXPECT_TRUE(shown.messages.empty());
        } else {
            ASSERT_EQ(shown.messages.size(), 1u);
            EXPECT_EQ(shown.messages[0].TextU8(), U8(c.message));
            EXPECT_EQ(shown.messages[0].CaptionU8(), U8(u8"所得税(減価償却)"));
            EXPECT_EQ(shown.messages[0].type, 0x30u);
        }
        // Without the switch nothing is shown.
        MessageRecorder quiet;
        EXPECT_EQ(app.CheckEnvironment(0), c.result);
        EXPECT_TRUE(quiet.messages.empty());
    }
}

TEST(CLinkAppEnvironment, AFolderEndingInATrailByte0x5CKeepsItsSeparator) {
    // 表 is 95 5C: the folder C:\帳表\ ends in a real separator after it.
    TempHome home(BaseImport(""), nullptr);
    const std::string folder = home.File(U8(u8"drive_c/帳表"));
    std::filesystem::create_directories(folder);
    home.WriteFile(U8(u8"drive_c/帳表/BortaDef.ini"), "[ProgramLevel]\r\nQZ14_G=1\r\n");
    compat::SetModuleFileNameOverride("C:\\帳表\\DeprLinkStd.exe");
    MessageRecorder shown;
    CLinkApp app;
    EXPECT_EQ(app.CheckEnvironment(1), 1);
    EXPECT_TRUE(shown.messages.empty());
}

// ---------------------------------------------------------------------------
// InitInstance and ExitInstance, up to the aggregation run

struct StartCase {
    const char* what;
    std::string cmdLine;
    const char* faultOp;  // null: none
    long faultStatus;
    const char* bortaDef;
    int selected;  // the user's selected data number
    int result;    // m_nResult
    std::vector<std::string> hostRequests;
};

std::vector<StartCase> StartCases() {
    const std::string complete = std::to_string(kWindow) + ",32769,3,";
    const std::string incomplete = std::to_string(kWindow) + ",32769,3";
    const std::vector<std::string> notified = {"EnableWindow 0", "SetForegroundWindow", "EnableWindow 1"};
    auto posting = [&](int result) {
        std::vector<std::string> lines = notified;
        lines.push_back("PostMessage 32769 3 " + std::to_string(result));
        return lines;
    };
    const char* level1 = "[ProgramLevel]\r\nQZ14_G=1\r\n";
    return {
        {"link refused with 1", complete, "ExpSysLink", 1, level1, 1, 1, posting(1)},
        {"link refused otherwise", complete, "ExpSysLink", 7, level1, 1, 2, posting(2)},
        {"environment refused", complete, nullptr, 0, "[ProgramLevel]\r\nQZ14_G=2\r\n", 1, 2, posting(2)},
        {"selected data not found", complete, nullptr, 0, level1, 9, 2, posting(2)},
        {"incomplete command line", incomplete, "ExpSysLink", 1, level1, 1, 1, {}},
        {"no command line", "", "ExpSysLink", 1, level1, 1, 1, {}},
        {"platform not connected", complete, "Initiate", -5, level1, 1, 0, {}},
    };
}

TEST(CLinkAppStart, TheHostIsDisabledAndToldTheResultOnlyWithACompleteCommandLine) {
    for (const StartCase& c : StartCases()) {
        TempHome home(BaseImport(DataSection("D0001", 1), c.selected), c.bortaDef);
        if (c.faultOp) {
            bok::AdminError error;
            ASSERT_TRUE(bok::SetFault(home.Path(), c.faultOp, c.faultStatus, -1, &error)) << error.message;
        }
        FakeHost host(kWindow);
        MessageRecorder shown;
        CLinkApp app;
        AfxWinMain(app, c.cmdLine);
        EXPECT_EQ(app.m_nResult, c.result) << c.what;
        EXPECT_EQ(host.Requests(), c.hostRequests) << c.what;
        EXPECT_EQ(bok::OpenCursorCount(), 0) << c.what;
    }
}

TEST(CLinkAppStart, AnOverlongCommandLineIsRefusedWithAMessage) {
    TempHome home(BaseImport(DataSection("D0001", 1)));
    FakeHost host(kWindow);
    MessageRecorder shown;
    CLinkApp app;
    AfxWinMain(app, std::to_string(kWindow) + ",32769,3,C:\\" + std::string(300, 'a') + ".xml");
    EXPECT_EQ(app.m_nResult, 2);
    ASSERT_EQ(shown.messages.size(), 1u);
    EXPECT_EQ(shown.messages[0].TextU8(), U8(u8"起動パラメータが長すぎます。\n\nアプリケーションを終了します。"));
    EXPECT_TRUE(host.Requests().empty());
}

}  // namespace

namespace {

TEST(CLinkAppStart, ABrokenOrMissingStoreEndsQuietlyWithoutTouchingTheHost) {
    const char* stores[] = {"garbage", nullptr};
    for (const char* store : stores) {
        TempHome home(BaseImport(DataSection("D0001", 1)));
        std::filesystem::remove(home.File("bok.db"));
        if (store) home.WriteFile("bok.db", std::string(4096, 'x'));
        bok::ResetForTests();
        FakeHost host(kWindow);
        MessageRecorder shown;
        CLinkApp app;
        AfxWinMain(app, std::to_string(kWindow) + ",32769,3,");
        EXPECT_EQ(app.m_nResult, 0);
        EXPECT_TRUE(host.Requests().empty());
        // The store that was there is left as it was.
        if (store) {
            EXPECT_EQ(home.ReadFile("bok.db"), std::string(4096, 'x'));
        }
    }
}

}  // namespace

namespace {

TEST(CLinkAppStart, AnExceptionOnTheWayIsReportedToTheHostAsAFailure) {
    TempHome home(BaseImport(DataSection("D0001", 1)), "[ProgramLevel]\r\nQZ14_G=2\r\n");
    FakeHost host(kWindow);
    // The environment refusal's message box is where it gives out.
    compat::SetMessageBoxHandler([](HWND, const char*, const char*, UINT) -> int { throw std::bad_alloc(); });
    CLinkApp app;
    AfxWinMain(app, std::to_string(kWindow) + ",32769,3,");
    compat::SetMessageBoxHandler(nullptr);
    EXPECT_EQ(app.m_nResult, 2);
    const std::vector<std::string> expected = {"EnableWindow 0", "SetForegroundWindow", "EnableWindow 1",
                                               "PostMessage 32769 3 2"};
    EXPECT_EQ(host.Requests(), expected);
}

}  // namespace
