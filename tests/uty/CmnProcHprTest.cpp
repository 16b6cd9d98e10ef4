#include "uty/CmnProcHpr.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "compat/msgbox.h"
#include "platform/BokAdmin.h"
#include "platform/BokMsgMgr.h"
#include "tests/TestEnvironment.h"
#include "tests/support/PlatformStore.h"

namespace {

const char8_t kCompany[] =
    u8R"(
[data]
id = D1
number = 1
name = 期間テスト
period = 20240101 20241231

[user]
id = U1
selected = 1
)";

const char8_t kTwoEras[] =
    u8R"(
[era]
start = 19000101
name = 甲
[era]
start = 20000401
name = 乙
)";

class CmnProcHprTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_home.IsReady()) << m_home.Error(); }
    void TearDown() override { EXPECT_EQ(bok::OpenCursorCount(), 0); }
    void Import(std::u8string_view text) { ASSERT_TRUE(m_home.Import(text)) << m_home.Error(); }

    testsupport::ScopedPlatformStore m_home;
    // The platform's fatal-error check shows a message; answered here.
    testsupport::MessageRecorder m_messages;
};

bool IsAllZero(const StGENGOINFO& info) {
    StGENGOINFO zero;
    std::memset(&zero, 0, sizeof zero);
    return std::memcmp(&info, &zero, sizeof info) == 0;
}

// The era of a date ----------------------------------------------------------

struct GengoCase {
    long lDate;
    int nResult;
    const char* pszName;  // cp932
    long lStart;
    int nYear;
};

const GengoCase kGengoCases[] = {
    {19000101, 0, "甲", 19000101, 1}, {20000331, 0, "甲", 19000101, 101}, {20000401, 0, "乙", 20000401, 1},
    {20001231, 0, "乙", 20000401, 1}, {20010101, 0, "乙", 20000401, 2},   {99991231, 0, "乙", 20000401, 8000},
    {99991232, -1, "", 0, 0},         {18991231, -1, "", 0, 0},
};

class GengoTest : public CmnProcHprTest, public ::testing::WithParamInterface<GengoCase> {};

TEST_P(GengoTest, FindsTheEraAndItsYear) {
    const GengoCase& c = GetParam();
    Import(kCompany);
    Import(kTwoEras);
    CmnProcHpr helper(0);
    StGENGOINFO info;
    std::memset(&info, 0x55, sizeof info);
    int nYear = -7;
    ASSERT_EQ(helper.GetGengo(c.lDate, &info, &nYear), c.nResult);
    if (c.nResult == 0) {
        EXPECT_EQ(info.nStartDate, c.lStart);
        EXPECT_STREQ(info.szName, c.pszName);
        EXPECT_EQ(nYear, c.nYear);
    } else {
        EXPECT_TRUE(IsAllZero(info));
        EXPECT_EQ(nYear, -7);
        // Not finding an era is no error of the platform.
        EXPECT_EQ(ClMsgMgr::Inst()->GetLastError(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Boundaries, GengoTest, ::testing::ValuesIn(kGengoCases));

// Eras that begin after the first of a month: the day before one begins
// is the last day of the one before (7 January 1989 is 昭和64).
TEST_F(CmnProcHprTest, TheDayBeforeAnEraBeginsBelongsToThePreviousOne) {
    Import(kCompany);
    Import(
        u8"[era]\nstart = 19261225\nname = 昭和\n[era]\nstart = 19890108\nname = 平成\n"
        u8"[era]\nstart = 20190501\nname = 令和\n");
    const struct {
        long lDate;
        const char* pszName;
        int nYear;
    } cases[] = {
        {19261224, "", 0},     {19261225, "昭和", 1},  {19890107, "昭和", 64},
        {19890108, "平成", 1}, {20190430, "平成", 31}, {20190501, "令和", 1},
    };
    CmnProcHpr helper(0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lDate);
        char szName[16] = {};
        int nYear = 0;
        EXPECT_EQ(helper.GetGengoName(c.lDate, szName, &nYear), c.pszName[0] != '\0' ? 0 : -1);
        EXPECT_STREQ(szName, c.pszName);
        EXPECT_EQ(nYear, c.nYear);
    }
}

TEST_F(CmnProcHprTest, GengoNameWithoutYear) {
    Import(kCompany);
    Import(kTwoEras);
    CmnProcHpr helper(0);
    char szName[16];
    std::memset(szName, 'x', sizeof szName);
    ASSERT_EQ(helper.GetGengoName(20240501, szName, nullptr), 0);
    EXPECT_STREQ(szName, "乙");

    int nYear = 0;
    EXPECT_EQ(helper.GetGengoName(19991231, szName, &nYear), 0);
    EXPECT_STREQ(szName, "甲");
    EXPECT_EQ(nYear, 100);
}

TEST_F(CmnProcHprTest, NoErasFindsNothing) {
    Import(kCompany);
    CmnProcHpr helper(0);
    StGENGOINFO info;
    int nYear = 3;
    EXPECT_EQ(helper.GetGengo(20240101, &info, &nYear), -1);
    EXPECT_TRUE(IsAllZero(info));
    EXPECT_EQ(nYear, 3);
    EXPECT_EQ(ClMsgMgr::Inst()->GetLastError(), 0);
}

// Platform failures --------------------------------------------------------------

struct FaultCase {
    const char* pszOperation;
    long lStatus;
    long lAtIndex;
    bool bPeriod;  // asks for the period, else for the era of 20240101
    int nResult;
    long lRecorded;  // the last error while the helper lives
    int nMessages;   // fatal statuses shown by the platform's check
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.pszOperation << " " << c.lStatus; }

const FaultCase kFaultCases[] = {
    {"Gengo.GetCursor", -7, -1, false, -1, -7, 1}, {"Gengo.Ready", -8, -1, false, -1, -8, 1},
    {"Gengo.Walk", -9, 1, false, -1, -9, 1},       {"GetBokPeriod", -5, -1, true, -1, -1004, 0},
    {"GetPeriod", -6, -1, true, -1, -6, 1},        {"GetPeriod", 7, -1, true, 0, 0, 0},
};

class FaultTest : public CmnProcHprTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultTest, RecordsWhatThePlatformAnswered) {
    const FaultCase& c = GetParam();
    Import(kCompany);
    Import(kTwoEras);
    ASSERT_TRUE(m_home.SetFault(c.pszOperation, c.lStatus, c.lAtIndex)) << m_home.Error();
    {
        CmnProcHpr helper(0);
        if (c.bPeriod) {
            long lFirst = -1;
            long lLast = -1;
            EXPECT_EQ(helper.GetPeriod(&lFirst, &lLast), c.nResult);
            EXPECT_EQ(lFirst, 0);
            EXPECT_EQ(lLast, 0);
        } else {
            StGENGOINFO info;
            int nYear = -7;
            EXPECT_EQ(helper.GetGengo(20240101, &info, &nYear), c.nResult);
            EXPECT_TRUE(IsAllZero(info));
            EXPECT_EQ(nYear, -7);
            EXPECT_EQ(bok::OpenCursorCount(), 0);
        }
        EXPECT_EQ(ClMsgMgr::Inst()->GetLastError(), c.lRecorded);
        if (c.lRecorded != 0) {
            EXPECT_EQ(ClMsgMgr::Inst()->GetLastErrorSource(), "CmnProcHpr");
        }
        EXPECT_EQ(m_messages.messages.size(), static_cast<size_t>(c.nMessages));
    }
    EXPECT_EQ(ClMsgMgr::Inst()->GetLastError(), 0);
}

INSTANTIATE_TEST_SUITE_P(Statuses, FaultTest, ::testing::ValuesIn(kFaultCases));

// A status that is not fatal ends the era walk like its end would.
TEST_F(CmnProcHprTest, WalkEndingEarlyKeepsTheEraSoFar) {
    Import(kCompany);
    Import(kTwoEras);
    ASSERT_TRUE(m_home.SetFault("Gengo.Walk", BOK_NO_MORE_RECORDS, 1)) << m_home.Error();
    CmnProcHpr helper(0);
    char szName[16];
    int nYear = 0;
    ASSERT_EQ(helper.GetGengoName(20240101, szName, &nYear), 0);
    EXPECT_STREQ(szName, "甲");
    EXPECT_EQ(nYear, 125);
    EXPECT_TRUE(m_messages.messages.empty());
}

// The accounting period -------------------------------------------------------

TEST_F(CmnProcHprTest, PeriodOfTheSelectedData) {
    Import(kCompany);
    CmnProcHpr helper(0);
    long lFirst = -1;
    long lLast = -1;
    ASSERT_EQ(helper.GetPeriod(&lFirst, &lLast), 0);
    EXPECT_EQ(lFirst, 20240101);
    EXPECT_EQ(lLast, 20241231);
    EXPECT_EQ(ClMsgMgr::Inst()->GetLastError(), 0);
}

// A home without a usable store gives no company-data set: the helper
// records its own error, and destroying the helper clears it again.
TEST_F(CmnProcHprTest, FailureIsRecordedUntilTheHelperGoes) {
    std::string strMissing = m_home.Path() + "/missing/deeper";
    test_env::SetVariable("BOK_HOME", strMissing);
    bok::ResetForTests();
    {
        CmnProcHpr helper(0);
        long lFirst = -1;
        long lLast = -1;
        EXPECT_EQ(helper.GetPeriod(&lFirst, &lLast), -1);
        EXPECT_EQ(lFirst, 0);
        EXPECT_EQ(lLast, 0);
        EXPECT_NE(ClMsgMgr::Inst()->GetLastError(), 0);
        EXPECT_EQ(ClMsgMgr::Inst()->GetLastErrorSource(), "CmnProcHpr");
        EXPECT_GT(ClMsgMgr::Inst()->GetLastErrorLine(), 0);
    }
    EXPECT_EQ(ClMsgMgr::Inst()->GetLastError(), 0);
    test_env::SetVariable("BOK_HOME", m_home.Path());
}

}  // namespace
