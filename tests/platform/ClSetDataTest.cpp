// The company-data set: its walk, the record bytes, the period of the
// selected data, faults and cursors.

#include <cstring>
#include <memory>
#include <vector>

#include "TestHome.h"
#include "platform/BokBCore.h"
#include "platform/BokCmn.h"

namespace {

// Three data sets in an order that the walk must change: by number, then
// by ID.  D2a and D2b share the number 2.
const char8_t kThreeDataSets[] =
    u8R"(
[data]
id = D3
number = 3
name = Third
period = 20230101 20231231
[data]
id = D2b
number = 2
name = Second B
period = 20220101 20221231
[data]
id = D2a
number = 2
name = 山田商事
period = 20240101 20241231
genka = 1
kind = 99
business = 2
fraction = 1
[user]
id = tanaka
selected = 2
)";

ClSetData* SetData() { return static_cast<ClSetData*>(ClDataMgr::Inst()->GetSetObject(5, 1)); }

std::vector<std::string> WalkIds(ClSetData* set, long* endStatus) {
    std::vector<std::string> ids;
    BOKCURSOR cursor = nullptr;
    EXPECT_EQ(set->GetDatCursor(&cursor), 0);
    EXPECT_EQ(set->ReadyDat(cursor, 0), 0);
    StDATAINFO record;
    while ((*endStatus = set->WalkDat(&record, cursor)) == 0) ids.push_back(record.szDataID);
    EXPECT_EQ(set->ReleaseDatCursor(cursor), 0);
    return ids;
}

class ClSetDataTest : public testing::Test {
protected:
    void SetUp() override { m_home.Import(reinterpret_cast<const char*>(kThreeDataSets)); }
    TestHome m_home;
};

TEST_F(ClSetDataTest, WalksByNumberThenIdAndEndsWith5000) {
    long end = 0;
    EXPECT_EQ(WalkIds(SetData(), &end), (std::vector<std::string>{"D2a", "D2b", "D3"}));
    EXPECT_EQ(end, BOK_NO_MORE_RECORDS);
    EXPECT_EQ(bok::OpenCursorCount(), 0);
}

TEST_F(ClSetDataTest, FillsTheRecordAtItsOffsets) {
    ClSetData* set = SetData();
    BOKCURSOR cursor = nullptr;
    ASSERT_EQ(set->GetDatCursor(&cursor), 0);
    ASSERT_EQ(set->ReadyDat(cursor, 0), 0);
    unsigned char raw[sizeof(StDATAINFO)];
    std::memset(raw, 0xee, sizeof raw);
    ASSERT_EQ(set->WalkDat(reinterpret_cast<StDATAINFO*>(raw), cursor), 0);
    set->ReleaseDatCursor(cursor);

    unsigned char expected[sizeof(StDATAINFO)] = {};
    std::memcpy(expected + 0, "D2a", 3);
    std::memcpy(expected + 16, "\x02\x00\x00\x00", 4);
    std::memcpy(expected + 24, "\x8e\x52\x93\x63\x8f\xa4\x8e\x96", 8);  // 山田商事
    std::memcpy(expected + 284, "\xe5\xd6\x34\x01", 4);                 // 20240101
    std::memcpy(expected + 288, "\x4f\xdb\x34\x01", 4);                 // 20241231
    std::memcpy(expected + 300, "\x01\x00\x00\x00", 4);
    std::memcpy(expected + 326, "\x63\x00", 2);  // 99
    expected[947] = 2;
    expected[1232] = 1;
    EXPECT_EQ(std::memcmp(raw, expected, sizeof raw), 0);
}

struct WalkFault {
    const char* name;
    const char* operation;
    long status;
    long atIndex;
    size_t delivered;  // records before the fault answers
};

const WalkFault kWalkFaults[] = {
    {"WalkDatEveryCall", "WalkDat", -9, -1, 0}, {"WalkDatAtIndex1", "WalkDat", -9, 1, 1},
    {"WalkDatAtIndex2", "WalkDat", 77, 2, 2},   {"WalkDatInsteadOfTheEnd", "WalkDat", -9, 3, 3},
    {"ReadyDat", "ReadyDat", -4, -1, 0},        {"ReadyDatIgnoresIndex", "ReadyDat", -4, 5, 0},
};

class ClSetDataFaultTest : public ClSetDataTest, public testing::WithParamInterface<WalkFault> {};

TEST_P(ClSetDataFaultTest, DeliversRecordsUntilTheFault) {
    const WalkFault& fault = GetParam();
    m_home.Fault(fault.operation, fault.status, fault.atIndex);
    ClSetData* set = SetData();
    BOKCURSOR cursor = nullptr;
    ASSERT_EQ(set->GetDatCursor(&cursor), 0);
    const long ready = set->ReadyDat(cursor, 0);
    size_t delivered = 0;
    long status = ready;
    if (ready == 0) {
        StDATAINFO record;
        while ((status = set->WalkDat(&record, cursor)) == 0) ++delivered;
    }
    EXPECT_EQ(delivered, fault.delivered);
    EXPECT_EQ(status, fault.status);
    EXPECT_EQ(set->ReleaseDatCursor(cursor), 0);
    EXPECT_EQ(bok::OpenCursorCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(ClSetData, ClSetDataFaultTest, testing::ValuesIn(kWalkFaults),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ClSetDataTest, CountsCursorsUntilReleased) {
    ClSetData* set = SetData();
    BOKCURSOR first = nullptr, second = nullptr;
    ASSERT_EQ(set->GetDatCursor(&first), 0);
    ASSERT_EQ(set->GetDatCursor(&second), 0);
    EXPECT_EQ(bok::OpenCursorCount(), 2);
    EXPECT_EQ(set->ReleaseDatCursor(first), 0);
    EXPECT_EQ(bok::OpenCursorCount(), 1);
    // A released or foreign handle is refused, not followed.
    EXPECT_EQ(set->ReleaseDatCursor(first), BOK_ERR_BAD_ARGUMENT);
    EXPECT_EQ(set->ReadyDat(first, 0), BOK_ERR_BAD_ARGUMENT);
    EXPECT_EQ(set->ReleaseDatCursor(nullptr), BOK_ERR_BAD_ARGUMENT);
    StDATAINFO record;
    EXPECT_EQ(set->WalkDat(&record, second), BOK_ERR_NOT_READY);
    EXPECT_EQ(set->ReleaseDatCursor(second), 0);
    EXPECT_EQ(bok::OpenCursorCount(), 0);
}

TEST_F(ClSetDataTest, GetDatCursorFaultOpensNoCursor) {
    m_home.Fault("GetDatCursor", -6);
    BOKCURSOR cursor = reinterpret_cast<BOKCURSOR>(1);
    EXPECT_EQ(SetData()->GetDatCursor(&cursor), -6);
    EXPECT_EQ(cursor, nullptr);
    EXPECT_EQ(bok::OpenCursorCount(), 0);
}

TEST_F(ClSetDataTest, PeriodOfTheSelectedDataIsTheFirstWithItsNumber) {
    ClBokPeriod* period = nullptr;
    ASSERT_EQ(SetData()->GetBokPeriod(&period), 0);
    ASSERT_NE(period, nullptr);
    std::unique_ptr<ClBokPeriod> owned(period);
    long first = 0, last = 0;
    EXPECT_EQ(period->GetPeriod(&first, &last), 0);
    EXPECT_EQ(first, 20240101);
    EXPECT_EQ(last, 20241231);
}

struct PeriodCase {
    const char* name;
    const char* setup;      // imported over the three data sets
    const char* operation;  // fault, or null
    long getBokPeriod;      // status; non-zero leaves no period object
    long getPeriod;
};

const PeriodCase kPeriodCases[] = {
    {"NoSuchDataNumber", "[user]\nid = tanaka\nselected = 8\n", nullptr, BOK_ERR_NOT_FOUND, 0},
    {"NobodySignedIn", "[user]\nid = tanaka\nselected = 2\ncurrent = no\n", nullptr, BOK_ERR_NOT_FOUND, 0},
    {"GetBokPeriodFault", "", "GetBokPeriod", -12, 0},
    {"GetPeriodFault", "", "GetPeriod", 0, -13},
};

class ClBokPeriodTest : public ClSetDataTest, public testing::WithParamInterface<PeriodCase> {};

TEST_P(ClBokPeriodTest, AnswersTheFailure) {
    const PeriodCase& c = GetParam();
    if (c.setup[0] != '\0') m_home.Import(c.setup);
    if (c.operation != nullptr) m_home.Fault(c.operation, c.getBokPeriod != 0 ? c.getBokPeriod : c.getPeriod);
    ClBokPeriod* period = reinterpret_cast<ClBokPeriod*>(1);
    EXPECT_EQ(SetData()->GetBokPeriod(&period), c.getBokPeriod);
    if (c.getBokPeriod != 0) {
        EXPECT_EQ(period, nullptr);
        return;
    }
    std::unique_ptr<ClBokPeriod> owned(period);
    long first = 5, last = 5;
    EXPECT_EQ(period->GetPeriod(&first, &last), c.getPeriod);
    EXPECT_EQ(first, 5);
    EXPECT_EQ(last, 5);
}

INSTANTIATE_TEST_SUITE_P(ClSetData, ClBokPeriodTest, testing::ValuesIn(kPeriodCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
