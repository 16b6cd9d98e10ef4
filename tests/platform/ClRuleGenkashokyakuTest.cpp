// The depreciation rule's walk over the assets of one data set.

#include <cstring>
#include <string>
#include <vector>

#include "TestHome.h"
#include "platform/BokBCore.h"

namespace {

// Every field of the asset set, so that each lands at its own offset.
const char8_t kFullAsset[] =
    u8R"(
[data]
id = D1
number = 1
name = Shop
period = 20240101 20241231
[asset]
code = 5
kind = 10
name = 機械A
quantity = 1,250.5㎡
remarks = R
disposal = 5
disposal_date = 20240815
acquired = 20120601
cost = 1234567.8912
deduction = 0.5
opening = -0.0001
method = 8
life = 10
rate = 200
basis_is_amount = 1
basis_value = 99999999999.0001
ratio = 6667
months = 7
basis = 100
balance = 2
category = 2
equal = 1
revised = 3
ordinary = 4
additional1 = 5
additional2 = 6
expenses = 7
)";

struct Bytes {
    size_t offset;
    std::string bytes;
};

// The master record of kFullAsset, little-endian, packed.
const Bytes kMasterBytes[] = {
    {48, std::string("\x0a\x00\x00\x00", 4)},
    {52, std::string("\x8b\x40\x8a\x42\x41\x00", 6)},               // 機械A
    {245, std::string("\x31\x2c\x32\x35\x30\x2e\x35\x87\x75", 9)},  // 1,250.5㎡, no terminator
    {254, std::string("R\x00", 2)},
    {336, std::string("\x05\x00", 2)},
    {356, std::string("\x19\x04\x33\x01", 4)},                  // 20120601
    {368, std::string("\x40\x1c\xdc\xdf\x02\x00\x00\x00", 8)},  // 1234567.8912
    {376, std::string("\x88\x13\x00\x00\x00\x00\x00\x00", 8)},  // 0.5
    {384, std::string("\xff\xff\xff\xff\xff\xff\xff\xff", 8)},  // -0.0001
    {392, std::string("\x08\x00", 2)},
    {394, std::string("\x0a\x00", 2)},
    {396, std::string("\xc8\x00\x00\x00", 4)},
    {404, std::string("\x01", 1)},
    {408, std::string("\xf1\x58\xc6\xa4\x7e\x8d\x03\x00", 8)},  // 99999999999.0001
    {426, std::string("\x0b\x1a", 2)},                          // 6667
    {430, std::string("\x07\x00", 2)},
    {448, std::string("\x40\x42\x0f\x00\x00\x00\x00\x00", 8)},  // 100
    {480, std::string("\x20\x4e\x00\x00\x00\x00\x00\x00", 8)},  // 2
    {488, std::string("\xaf\xd9\x34\x01", 4)},                  // 20240815
    {528, std::string("\x02\x00", 2)},
    {534, std::string("\x01", 1)},
    {537, std::string("\x30\x75\x00\x00\x00\x00\x00\x00", 8)},  // 3
};

const Bytes kYearBytes[] = {
    {40, std::string("\x40\x9c\x00\x00\x00\x00\x00\x00", 8)},  // 4
    {48, std::string("\x50\xc3\x00\x00\x00\x00\x00\x00", 8)},  // 5
    {56, std::string("\x60\xea\x00\x00\x00\x00\x00\x00", 8)},  // 6
    {64, std::string("\x70\x11\x01\x00\x00\x00\x00\x00", 8)},  // 7
};

// The record with those bytes and zero everywhere else.
template <size_t N, size_t M>
std::string Expected(const Bytes (&fields)[M]) {
    std::string record(N, '\0');
    for (const Bytes& field : fields) record.replace(field.offset, field.bytes.size(), field.bytes);
    return record;
}

long Ready(ClRuleGenkashokyaku& rule, const char* dataId) {
    rule.SetCurDataID(dataId);
    return rule.MoveReady(nullptr, RuleGenkashokyaku_Sort_Code, RuleGenkashokyaku_Sum_None);
}

TEST(ClRuleGenkashokyakuTest, MoveFillsTheNamedFieldsAndZeroesTheRest) {
    TestHome home;
    home.Import(reinterpret_cast<const char*>(kFullAsset));
    ClRuleGenkashokyaku rule;
    ASSERT_EQ(Ready(rule, "D1"), 0);
    long count = 0;
    ASSERT_EQ(rule.GetCount(&count), 0);
    ASSERT_EQ(count, 1);

    std::string master(sizeof(StKOTEISHISANINFO), '\xee');
    std::string year(sizeof(StKOTEINENINFO), '\xee');
    std::string month(sizeof(StKOTEITSUKIINFO), '\xee');
    ASSERT_EQ(
        rule.Move(0, reinterpret_cast<StKOTEISHISANINFO*>(master.data()),
                  reinterpret_cast<StKOTEINENINFO*>(year.data()), reinterpret_cast<StKOTEITSUKIINFO*>(month.data())),
        0);
    EXPECT_EQ(master, (Expected<sizeof(StKOTEISHISANINFO)>(kMasterBytes)));
    EXPECT_EQ(year, (Expected<sizeof(StKOTEINENINFO)>(kYearBytes)));
    EXPECT_EQ(month, std::string(sizeof(StKOTEITSUKIINFO), '\0'));
    EXPECT_EQ(rule.MoveFinish(), 0);
}

// Assets of two data sets, codes out of file order, two sharing a code.
const char* const kTwoDataSets = R"(
[data]
id = D1
number = 1
name = One
period = 20240101 20241231
[asset]
code = 30
name = c30
acquired = 20200101
cost = 1
method = 1
[asset]
code = 10
name = c10-first
acquired = 20230101
cost = 1
method = 1
[asset]
code = 10
name = c10-second
acquired = 20210101
cost = 1
method = 1
[asset]
name = uncoded
acquired = 20220101
cost = 1
method = 1
[data]
id = D2
number = 2
name = Two
period = 20240101 20241231
[asset]
code = 1
name = other-data
acquired = 20240101
cost = 1
method = 1
)";

std::vector<std::string> WalkNames(ClRuleGenkashokyaku& rule, long* endStatus) {
    std::vector<std::string> names;
    long count = 0;
    EXPECT_EQ(rule.GetCount(&count), 0);
    StKOTEISHISANINFO master;
    StKOTEINENINFO year;
    StKOTEITSUKIINFO month;
    for (long index = 0;; ++index) {
        *endStatus = rule.Move(index, &master, &year, &month);
        if (*endStatus != 0) break;
        names.push_back(master.szName);
    }
    EXPECT_EQ(static_cast<long>(names.size()), count);
    return names;
}

struct OrderCase {
    const char* name;
    const char* dataId;
    _RuleGenkashokyaku_SortType sort;
    std::vector<std::string> names;
};

const OrderCase kOrderCases[] = {
    {"ByCode", "D1", RuleGenkashokyaku_Sort_Code, {"c10-first", "c10-second", "c30", "uncoded"}},
    {"ByDate", "D1", RuleGenkashokyaku_Sort_Date, {"c30", "c10-second", "uncoded", "c10-first"}},
    {"OtherDataSet", "D2", RuleGenkashokyaku_Sort_Code, {"other-data"}},
};

class RuleOrderTest : public testing::TestWithParam<OrderCase> {};

TEST_P(RuleOrderTest, WalksTheDataSetInOrderAndEndsWith5000) {
    TestHome home;
    home.Import(kTwoDataSets);
    ClRuleGenkashokyaku rule;
    rule.SetCurDataID(GetParam().dataId);
    ASSERT_EQ(rule.MoveReady(nullptr, GetParam().sort, RuleGenkashokyaku_Sum_None), 0);
    long end = 0;
    EXPECT_EQ(WalkNames(rule, &end), GetParam().names);
    EXPECT_EQ(end, BOK_NO_MORE_RECORDS);
}

INSTANTIATE_TEST_SUITE_P(ClRuleGenkashokyaku, RuleOrderTest, testing::ValuesIn(kOrderCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ClRuleGenkashokyakuTest, MoveByAnyIndexGivesThatRecord) {
    TestHome home;
    home.Import(kTwoDataSets);
    ClRuleGenkashokyaku rule;
    ASSERT_EQ(Ready(rule, "D1"), 0);
    StKOTEISHISANINFO master;
    StKOTEINENINFO year;
    StKOTEITSUKIINFO month;
    const struct {
        long index;
        long status;
        const char* name;
    } steps[] = {{2, 0, "c30"},
                 {2, 0, "c30"},
                 {0, 0, "c10-first"},
                 {3, 0, "uncoded"},
                 {1, 0, "c10-second"},
                 {4, BOK_NO_MORE_RECORDS, ""},
                 {-1, BOK_ERR_BAD_ARGUMENT, ""},
                 {1, 0, "c10-second"}};
    for (const auto& step : steps) {
        EXPECT_EQ(rule.Move(step.index, &master, &year, &month), step.status) << step.index;
        EXPECT_STREQ(master.szName, step.name) << step.index;
    }
}

struct RuleFault {
    const char* name;
    const char* operation;
    long status;
    long atIndex;
    long moveReady, getCount;
    size_t delivered;
    long end;
};

const RuleFault kRuleFaults[] = {
    {"MoveReadyFatal", "MoveReady", -40, -1, -40, BOK_ERR_NOT_READY, 0, BOK_ERR_NOT_READY},
    {"MoveReadyNoRecords", "MoveReady", 5000, -1, 5000, BOK_ERR_NOT_READY, 0, BOK_ERR_NOT_READY},
    {"GetCount", "GetCount", -41, -1, 0, -41, 0, 0},
    {"MoveEveryIndex", "Move", -42, -1, 0, 0, 0, -42},
    {"MoveAtIndex3", "Move", -43, 3, 0, 0, 3, -43},
    {"MoveEndsEarlyAtIndex2", "Move", 5000, 2, 0, 0, 2, 5000},
};

class RuleFaultTest : public testing::TestWithParam<RuleFault> {};

TEST_P(RuleFaultTest, AnswersTheStatusAtItsPlace) {
    const RuleFault& fault = GetParam();
    TestHome home;
    std::string text = "[data]\nid = D1\nnumber = 1\nname = One\nperiod = 20240101 20241231\n";
    for (int i = 0; i < 10; ++i) text += "[asset]\nname = a\nacquired = 20240101\ncost = 1\nmethod = 1\n";
    home.Import(text);
    home.Fault(fault.operation, fault.status, fault.atIndex);

    ClRuleGenkashokyaku rule;
    EXPECT_EQ(Ready(rule, "D1"), fault.moveReady);
    long count = 0;
    EXPECT_EQ(rule.GetCount(&count), fault.getCount);
    if (fault.getCount != 0) return;
    EXPECT_EQ(count, 10);
    StKOTEISHISANINFO master;
    StKOTEINENINFO year;
    StKOTEITSUKIINFO month;
    size_t delivered = 0;
    long status = 0;
    for (long index = 0; index < count && (status = rule.Move(index, &master, &year, &month)) == 0; ++index)
        ++delivered;
    EXPECT_EQ(delivered, fault.delivered);
    EXPECT_EQ(status, fault.end);
}

INSTANTIATE_TEST_SUITE_P(ClRuleGenkashokyaku, RuleFaultTest, testing::ValuesIn(kRuleFaults),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ClRuleGenkashokyakuTest, ReadyNeedsAKnownDataSet) {
    TestHome home;
    home.Import(kTwoDataSets);
    struct {
        const char* dataId;
        long status;
        long count;
    } cases[] = {{"D1", 0, 4}, {"D9", BOK_ERR_NOT_FOUND, 0}, {"", BOK_ERR_NOT_FOUND, 0}};
    for (const auto& c : cases) {
        ClRuleGenkashokyaku rule;
        EXPECT_EQ(Ready(rule, c.dataId), c.status) << c.dataId;
        long count = 0;
        rule.GetCount(&count);
        EXPECT_EQ(count, c.count) << c.dataId;
    }
}

TEST(ClRuleGenkashokyakuTest, EmptyDataSetWalksNothing) {
    TestHome home;
    home.Import(kOneDataSet);
    ClRuleGenkashokyaku rule;
    ASSERT_EQ(Ready(rule, "D1"), 0);
    long count = -1;
    EXPECT_EQ(rule.GetCount(&count), 0);
    EXPECT_EQ(count, 0);
    StKOTEISHISANINFO master;
    StKOTEINENINFO year;
    StKOTEITSUKIINFO month;
    EXPECT_EQ(rule.Move(0, &master, &year, &month), BOK_NO_MORE_RECORDS);
}

TEST(ClRuleGenkashokyakuTest, FinishEndsTheWalkAndLiveCountFollowsObjects) {
    TestHome home;
    home.Import(kTwoDataSets);
    const int before = ClRuleGenkashokyaku::LiveCount();
    {
        ClRuleGenkashokyaku rule;
        auto* second = new ClRuleGenkashokyaku;
        EXPECT_EQ(ClRuleGenkashokyaku::LiveCount(), before + 2);
        delete second;
        EXPECT_EQ(ClRuleGenkashokyaku::LiveCount(), before + 1);
        ASSERT_EQ(Ready(rule, "D1"), 0);
        EXPECT_EQ(rule.MoveFinish(), 0);
        StKOTEISHISANINFO master;
        StKOTEINENINFO year;
        StKOTEITSUKIINFO month;
        EXPECT_EQ(rule.Move(0, &master, &year, &month), BOK_ERR_NOT_READY);
        long count = 0;
        EXPECT_EQ(rule.GetCount(&count), BOK_ERR_NOT_READY);
        EXPECT_EQ(rule.MoveFinish(), 0);
    }
    EXPECT_EQ(ClRuleGenkashokyaku::LiveCount(), before);
}

}  // namespace
