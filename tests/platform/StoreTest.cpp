// The store as every platform class meets it: missing, broken or of
// another schema, it makes each operation answer a failure status.

#include <sqlite3.h>

#include <cstring>

#include "TestHome.h"
#include "platform/BokBCore.h"
#include "platform/BokCmn.h"
#include "platform/BokFileMgr.h"
#include "platform/BokLink.h"

namespace {

struct BrokenStore {
    const char* name;
    long initiateStatus;
    void (*make)(const TestHome& home);
};

void NoStore(const TestHome&) {}
void EmptyFile(const TestHome& home) { home.WriteFile("bok.db", ""); }
void Garbage(const TestHome& home) { home.WriteFile("bok.db", std::string(4096, '\x5a') + "not a database"); }
void FolderInstead(const TestHome& home) {
    ASSERT_TRUE(std::filesystem::create_directory(test_env::FromUtf8(home.File("bok.db"))));
}
void OtherSchema(const TestHome& home) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(home.File("bok.db").c_str(), &db), SQLITE_OK);
    sqlite3_exec(db,
                 "CREATE TABLE meta(key TEXT, value TEXT); INSERT INTO meta VALUES('schema', '1');"
                 "CREATE TABLE data_sets(id BLOB)",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// The missing store comes first: the administration creates it, so only
// the cases after it are refused there.
const BrokenStore kBrokenStores[] = {
    {"Missing", BOK_ERR_NO_STORE, NoStore},          {"EmptyFile", BOK_ERR_BAD_STORE, EmptyFile},
    {"Garbage", BOK_ERR_BAD_STORE, Garbage},         {"FolderInsteadOfFile", BOK_ERR_BAD_STORE, FolderInstead},
    {"OtherSchema", BOK_ERR_BAD_STORE, OtherSchema},
};

class BrokenStoreTest : public testing::TestWithParam<BrokenStore> {};

TEST_P(BrokenStoreTest, EveryOperationAnswersAFailure) {
    TestHome home;
    GetParam().make(home);
    const long expected = GetParam().initiateStatus;

    EXPECT_EQ(ClBokConnect::Inst()->Initiate(), expected);
    EXPECT_FALSE(ClBokConnect::Inst()->IsConnected());
    EXPECT_EQ(ClBokConnect::Inst()->ExpSysLink(), expected);
    EXPECT_EQ(ClDataMgr::Inst()->GetSetObject(5, 1), nullptr);

    char userId[65];
    EXPECT_EQ(ClDataMgr::Inst()->GetSysUserObject()->GetCurUserID(userId), expected);
    long first = 9, selected = 9;
    EXPECT_EQ(ClDataMgr::Inst()->GetSysUserObject()->GetSelectedNo("tanaka", &first, &selected), expected);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(selected, 0);

    auto* eras = static_cast<ClSetGengo*>(ClDataMgr::Inst()->GetSetMgr()->GetSetObject(13, 0));
    ASSERT_NE(eras, nullptr);
    BOKCURSOR cursor = reinterpret_cast<BOKCURSOR>(1);
    EXPECT_EQ(eras->GetCursor(&cursor), expected);
    EXPECT_EQ(cursor, nullptr);
    EXPECT_EQ(bok::OpenCursorCount(), 0);

    ClRuleGenkashokyaku rule;
    rule.SetCurDataID("D1");
    EXPECT_EQ(rule.MoveReady(nullptr, RuleGenkashokyaku_Sort_Code, RuleGenkashokyaku_Sum_None), expected);
    StKOTEISHISANINFO master;
    StKOTEINENINFO year;
    StKOTEITSUKIINFO month;
    EXPECT_EQ(rule.Move(0, &master, &year, &month), BOK_ERR_NOT_READY);

    char folder[MAX_PATH + 1];
    EXPECT_EQ(ClFileMgr::Inst()->GetAppFolderPath(0, folder), expected);
    EXPECT_STREQ(folder, "");
}

INSTANTIATE_TEST_SUITE_P(Store, BrokenStoreTest, testing::ValuesIn(kBrokenStores),
                         [](const auto& info) { return std::string(info.param.name); });

// A missing store is created by the administration; a broken one is kept
// for whoever can mend it.
class BrokenStoreAdminTest : public testing::TestWithParam<BrokenStore> {};

TEST_P(BrokenStoreAdminTest, RefusesWithoutReplacingTheFile) {
    TestHome home;
    GetParam().make(home);
    struct stat before;
    ASSERT_EQ(stat(home.File("bok.db").c_str(), &before), 0);

    bok::AdminError error;
    EXPECT_FALSE(bok::ImportText(home.Path(), kOneDataSet, &error));
    EXPECT_NE(error.message.find("not a store"), std::string::npos) << error.message;
    EXPECT_FALSE(bok::CreateStore(home.Path(), &error));

    struct stat after;
    ASSERT_EQ(stat(home.File("bok.db").c_str(), &after), 0);
    EXPECT_EQ(after.st_size, before.st_size);
}

INSTANTIATE_TEST_SUITE_P(Store, BrokenStoreAdminTest,
                         testing::ValuesIn(std::begin(kBrokenStores) + 1, std::end(kBrokenStores)),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StoreTest, OpensLazilyOnceTheStoreExists) {
    TestHome home;
    EXPECT_EQ(ClBokConnect::Inst()->Initiate(), BOK_ERR_NO_STORE);
    home.Import(kOneDataSet);
    EXPECT_EQ(ClBokConnect::Inst()->Initiate(), 0);
    EXPECT_TRUE(ClBokConnect::Inst()->IsConnected());
    EXPECT_NE(ClDataMgr::Inst()->GetSetObject(5, 1), nullptr);
}

TEST(StoreTest, FollowsAChangeOfHome) {
    TestHome first, second;
    first.Import(kOneDataSet);
    second.Import("[user]\nid = other\nselected = 4\n");
    struct {
        const TestHome& home;
        const char* user;
    } visits[] = {{first, "tanaka"}, {second, "other"}, {first, "tanaka"}};
    for (const auto& visit : visits) {
        test_env::SetVariable("BOK_HOME", visit.home.Path());
        char userId[65];
        EXPECT_EQ(ClDataMgr::Inst()->GetSysUserObject()->GetCurUserID(userId), 0);
        EXPECT_STREQ(userId, visit.user);
    }
}

TEST(StoreTest, ResetClosesAWalkInProgressSafely) {
    TestHome home;
    home.Import(std::string(kOneDataSet) + "[asset]\nname = A\nacquired = 20240101\ncost = 1\nmethod = 1\n");
    ClRuleGenkashokyaku rule;
    rule.SetCurDataID("D1");
    ASSERT_EQ(rule.MoveReady(nullptr, RuleGenkashokyaku_Sort_Code, RuleGenkashokyaku_Sum_None), 0);
    bok::ResetForTests();
    StKOTEISHISANINFO master;
    StKOTEINENINFO year;
    StKOTEITSUKIINFO month;
    EXPECT_EQ(rule.Move(0, &master, &year, &month), BOK_ERR_STORE_IO);
    EXPECT_EQ(rule.MoveFinish(), 0);
}

// Another program that keeps the store locked: a connection in exclusive
// locking mode that has written once holds the file until it closes.
class StoreLocker {
public:
    explicit StoreLocker(const TestHome& home) {
        EXPECT_EQ(sqlite3_open(home.File("bok.db").c_str(), &m_pDb), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(m_pDb,
                               "PRAGMA locking_mode = EXCLUSIVE;"
                               "BEGIN IMMEDIATE; UPDATE meta SET value = value; COMMIT;",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK)
            << sqlite3_errmsg(m_pDb);
    }
    ~StoreLocker() { sqlite3_close(m_pDb); }

private:
    sqlite3* m_pDb = nullptr;
};

TEST(StoreTest, ABusyStoreIsCalledBusyNotBrokenAndServesOnceFree) {
    TestHome home;
    home.Import(kOneDataSet);
    {
        StoreLocker locker(home);
        std::string listing;
        bok::AdminError error;
        EXPECT_FALSE(bok::DescribeStore(home.Path(), &listing, &error));
        EXPECT_NE(error.message.find("the store is busy"), std::string::npos) << error.message;
        EXPECT_EQ(error.message.find("not a store"), std::string::npos) << error.message;
        EXPECT_EQ(ClBokConnect::Inst()->Initiate(), BOK_ERR_STORE_BUSY);
    }
    EXPECT_EQ(ClBokConnect::Inst()->Initiate(), 0);
    char userId[65];
    EXPECT_EQ(ClDataMgr::Inst()->GetSysUserObject()->GetCurUserID(userId), 0);
    EXPECT_STREQ(userId, "tanaka");
}

// A connected program reads the store as it was when it connected; without
// a connection every call reads the store as it is.
TEST(StoreTest, AConnectionReadsOneStateOfTheStore) {
    TestHome home;
    home.Import(std::string(kOneDataSet) + "[era]\nstart = 19890108\nname = A\n");
    auto* eras = static_cast<ClSetGengo*>(ClDataMgr::Inst()->GetSetMgr()->GetSetObject(13, 0));
    auto eraCount = [eras] {
        BOKCURSOR cursor = nullptr;
        EXPECT_EQ(eras->GetCursor(&cursor), 0);
        EXPECT_EQ(eras->Ready(cursor), 0);
        StGENGOINFO era;
        int count = 0;
        while (eras->Walk(&era, cursor) == 0) ++count;
        eras->ReleaseCursor(cursor);
        return count;
    };
    auto period = [] {
        ClBokPeriod* object = nullptr;
        auto* data = static_cast<ClSetData*>(ClDataMgr::Inst()->GetSetObject(5, 1));
        EXPECT_EQ(data->GetBokPeriod(&object), 0);
        long first = 0, last = 0;
        if (object != nullptr) object->GetPeriod(&first, &last);
        delete object;
        return first;
    };
    EXPECT_EQ(eraCount(), 1);
    EXPECT_EQ(period(), 20240101);

    ClBokConnect* connect = ClBokConnect::Inst();
    ASSERT_EQ(connect->Initiate(), 0);
    home.Import(
        "[era]\nstart = 20190501\nname = B\n[data]\nid = D1\nnumber = 1\nname = Shop\n"
        "period = 20250101 20251231\n");
    home.Fault("GetPeriod", -3);
    EXPECT_EQ(eraCount(), 1);
    EXPECT_EQ(period(), 20240101);

    connect->Terminate();
    EXPECT_EQ(eraCount(), 2);
    ClBokPeriod* object = nullptr;
    auto* data = static_cast<ClSetData*>(ClDataMgr::Inst()->GetSetObject(5, 1));
    ASSERT_EQ(data->GetBokPeriod(&object), 0);
    long first = 0, last = 0;
    EXPECT_EQ(object->GetPeriod(&first, &last), -3);
    delete object;
    connect->Release();
}

}  // namespace
