// The sample home: what tests and the sample run rely on finding in it.

#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "TestHome.h"
#include "compat/win32.h"
#include "platform/BokBCore.h"
#include "platform/BokCmn.h"
#include "platform/BokFileMgr.h"

namespace {

class SampleTest : public testing::Test {
protected:
    void SetUp() override {
        bok::AdminError error;
        ASSERT_TRUE(bok::InitSample(m_home.Path(), &error)) << error.message;
    }

    std::vector<StKOTEISHISANINFO> Assets(const char* dataId) {
        std::vector<StKOTEISHISANINFO> assets;
        ClRuleGenkashokyaku rule;
        rule.SetCurDataID(dataId);
        EXPECT_EQ(rule.MoveReady(nullptr, RuleGenkashokyaku_Sort_Code, RuleGenkashokyaku_Sum_None), 0);
        long count = 0;
        rule.GetCount(&count);
        StKOTEISHISANINFO master;
        StKOTEINENINFO year;
        StKOTEITSUKIINFO month;
        for (long i = 0; i < count && rule.Move(i, &master, &year, &month) == 0; ++i) assets.push_back(master);
        return assets;
    }

    TestHome m_home;
};

// The folders are the program's own Windows paths: on Linux a new home's
// drive table puts C: under the home, on Windows they are on the real C:.
TEST_F(SampleTest, HomeHasDriveAndFolders) {
    EXPECT_EQ(GetDriveTypeA("C:\\"), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_TRUE(PathIsDirectoryA("C:\\Mildan\\Data\\"));
    EXPECT_TRUE(PathIsDirectoryA("C:\\Mildan\\Env\\"));

    char path[MAX_PATH + 1];
    ASSERT_EQ(ClFileMgr::Inst()->GetAppFolderPath(ClFileMgr::APPFOLDER_DATA, path), 0);
    EXPECT_STREQ(path, "C:\\Mildan\\Data\\");
    ASSERT_EQ(ClFileMgr::Inst()->GetAppFolderPath(ClFileMgr::APPFOLDER_ENV, path), 0);
    EXPECT_STREQ(path, "C:\\Mildan\\Env\\");
}

TEST_F(SampleTest, ErasUserAndSelectedData) {
    auto* eras = static_cast<ClSetGengo*>(ClDataMgr::Inst()->GetSetMgr()->GetSetObject(13, 0));
    BOKCURSOR cursor = nullptr;
    ASSERT_EQ(eras->GetCursor(&cursor), 0);
    ASSERT_EQ(eras->Ready(cursor), 0);
    std::vector<std::pair<std::string, long>> walked;
    StGENGOINFO era;
    while (eras->Walk(&era, cursor) == 0) walked.emplace_back(era.szName, era.nStartDate);
    eras->ReleaseCursor(cursor);
    const std::vector<std::pair<std::string, long>> expected = {
        {"明治", 18681023}, {"大正", 19120730}, {"昭和", 19261225}, {"平成", 19890108}, {"令和", 20190501}};
    EXPECT_EQ(walked, expected);

    char userId[65];
    long first = 0, selected = 0;
    ASSERT_EQ(ClDataMgr::Inst()->GetSysUserObject()->GetCurUserID(userId), 0);
    EXPECT_STREQ(userId, "yamada");
    ASSERT_EQ(ClDataMgr::Inst()->GetSysUserObject()->GetSelectedNo(userId, &first, &selected), 0);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(selected, 1);

    auto* set = static_cast<ClSetData*>(ClDataMgr::Inst()->GetSetObject(5, 1));
    ASSERT_EQ(set->GetDatCursor(&cursor), 0);
    ASSERT_EQ(set->ReadyDat(cursor, 0), 0);
    StDATAINFO one, two;
    ASSERT_EQ(set->WalkDat(&one, cursor), 0);
    ASSERT_EQ(set->WalkDat(&two, cursor), 0);
    set->ReleaseDatCursor(cursor);
    EXPECT_STREQ(one.szDataID, "D0001");
    EXPECT_EQ(one.nDataNo, 1);
    EXPECT_STREQ(one.szJigyoName, "\x8e\x52\x93\x63\x8f\xa4\x8e\x96");  // 山田商事
    EXPECT_EQ(one.nKikanFrom, 20240101);
    EXPECT_EQ(one.nKikanTo, 20241231);
    EXPECT_EQ(one.nJigyoKubun, 3);
    EXPECT_EQ(one.nHasuuShokyaku, 0);
    EXPECT_EQ(one.nGenkaFlag, 0);
    EXPECT_EQ(two.nDataNo, 2);
    EXPECT_EQ(two.nJigyoKubun, 1);
    EXPECT_NE(two.nKikanFrom, one.nKikanFrom);
}

TEST_F(SampleTest, AssetsCoverTheCasesOfTheSchedule) {
    const std::vector<StKOTEISHISANINFO> assets = Assets("D0001");
    EXPECT_GE(assets.size(), 24u);

    std::set<int> methods, categories, remarkLengths;
    std::set<std::string> quantities;
    bool smallThisYear = false, smallEarlier = false, disposedBefore = false, disposedWithin = false;
    bool kind11 = false, kind10Equal = false, longName = false, ampersand = false, lessThan = false;
    for (const StKOTEISHISANINFO& asset : assets) {
        methods.insert(asset.nShokyakuHouhou);
        categories.insert(asset.nJigyoKubun);
        remarkLengths.insert(static_cast<int>(std::strlen(asset.szTekiyo)));
        quantities.insert(std::string(asset.szSuuryo, strnlen(asset.szSuuryo, sizeof asset.szSuuryo)));
        if (asset.nShokyakuHouhou == 7) (asset.nShutokuDate >= 20240101 ? smallThisYear : smallEarlier) = true;
        if (asset.nJyotoKubun == 4 || asset.nJyotoKubun == 5)
            (asset.nJyotoDate < 20240101 ? disposedBefore : disposedWithin) = true;
        kind11 = kind11 || asset.nShisanKind == 11;
        kind10Equal = kind10Equal || (asset.nShisanKind == 10 && asset.nKintoFlag != 0);
        longName = longName || std::strlen(asset.szName) > 32;
        ampersand = ampersand || std::strchr(asset.szName, '&') != nullptr;
        lessThan = lessThan || std::strchr(asset.szName, '<') != nullptr;
    }
    EXPECT_EQ(methods, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(categories, (std::set<int>{1, 2}));
    EXPECT_TRUE(smallThisYear && smallEarlier);
    EXPECT_TRUE(disposedBefore && disposedWithin);
    EXPECT_TRUE(kind11 && kind10Equal && longName && ampersand && lessThan);
    EXPECT_TRUE(remarkLengths.count(0) && remarkLengths.count(20) && remarkLengths.count(40));
    EXPECT_TRUE(*remarkLengths.begin() == 0 && remarkLengths.upper_bound(0) != remarkLengths.end() &&
                *remarkLengths.upper_bound(0) < 20);
    for (const char* quantity : {"10\x91\xe4", "1,250.5\x87\x75", "\x8e\xae", ""})  // 10台, 1,250.5㎡, 式
        EXPECT_TRUE(quantities.count(quantity)) << quantity;
}

TEST_F(SampleTest, RunsAgainOverAnExistingHome) {
    const size_t before = Assets("D0001").size();
    bok::AdminError error;
    ASSERT_TRUE(bok::InitSample(m_home.Path(), &error)) << error.message;
    EXPECT_EQ(Assets("D0001").size(), before);
    EXPECT_EQ(Assets("D0002").size(), 3u);
}

}  // namespace
