#include "deprec/ClGenkashokyakuProc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "compat/mbcs.h"
#include "compat/msgbox.h"
#include "platform/BokAdmin.h"
#include "platform/BokBCore.h"
#include "tests/support/PlatformStore.h"

namespace {

// One company data set of the year 2024 that keeps both business kinds,
// its signed-in user, and the eras the figures meet.
std::u8string Company(int nBusiness, int nFraction) {
    std::string s = "[data]\nid = D1\nnumber = 1\nname = Test\nperiod = 20240101 20241231\n";
    s += "business = " + std::to_string(nBusiness) + "\nfraction = " + std::to_string(nFraction) + "\n";
    s += "[user]\nid = U1\nselected = 1\n";
    std::u8string text(s.begin(), s.end());
    text += u8"[era]\nstart = 19890108\nname = 平成\n[era]\nstart = 20190501\nname = 令和\n";
    return text;
}

// An ordinary asset: straight line, acquired 2020, 1,000,000 yen; the keys
// of extra add to these or take their place.
std::u8string Asset(std::u8string_view extra) {
    static const std::pair<const char8_t*, const char8_t*> kDefaults[] = {
        {u8"name", u8"資産"}, {u8"acquired", u8"20200401"}, {u8"cost", u8"1000000"}, {u8"method", u8"1"}};
    std::u8string text = u8"[asset]\n";
    for (const auto& [key, value] : kDefaults) {
        std::u8string head = std::u8string(key) + u8" =";
        bool bGiven = extra.starts_with(head) || extra.find(u8"\n" + head) != std::u8string_view::npos;
        if (!bGiven) text += head + u8" " + value + u8"\n";
    }
    text += extra;
    text += u8"\n";
    return text;
}

std::string FieldText(const StSISANDATA& line, const char* pszField) {
    for (const SisanFieldInfo& field : g_SisanDataFields) {
        if (std::strcmp(field.name, pszField) == 0) {
            const char* p = reinterpret_cast<const char*>(&line) + field.offset;
            return std::string(p, strnlen(p, field.width));
        }
    }
    ADD_FAILURE() << "no field " << pszField;
    return {};
}

class ClGenkashokyakuProcTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_home.IsReady()) << m_home.Error(); }
    void TearDown() override {
        SetRecordAllocFailureForTests(-1);
        for (StSISANREC* p : m_listAssets) delete p;
        for (StSISANDATA* p : m_listOutput) delete p;
        EXPECT_EQ(ClRuleGenkashokyaku::LiveCount(), 0);
    }
    void Import(const std::u8string& text) { ASSERT_TRUE(m_home.Import(text)) << m_home.Error(); }

    // The selected data's record, as the application holds it.
    StDATAINFO Data(int nBusiness, int nFraction) {
        StDATAINFO data;
        std::memset(&data, 0, sizeof data);
        std::strcpy(data.szDataID, "D1");
        data.nDataNo = 1;
        data.nKikanFrom = 20240101;
        data.nKikanTo = 20241231;
        data.nJigyoKubun = static_cast<uint8_t>(nBusiness);
        data.nHasuuShokyaku = static_cast<uint8_t>(nFraction);
        return data;
    }

    testsupport::ScopedPlatformStore m_home;
    testsupport::MessageRecorder m_messages;
    SisanRecList m_listAssets;
    SisanDataList m_listOutput;
};

// Extraction -------------------------------------------------------------------

struct FilterCase {
    const char* title;
    int nBusiness;
    int nCategory;
    const char8_t* assetKeys;
    bool bKept;
};

const FilterCase kFilterCases[] = {
    {"expenses zero", 3, 3, u8"expenses = 0", true},
    {"expenses one yen below zero", 3, 3, u8"expenses = -1", false},
    {"expenses a fraction below zero", 3, 3, u8"expenses = -0.0001", false},
    {"expenses at the maximum", 3, 3, u8"expenses = 99999999999", true},
    {"expenses a fraction above the maximum", 3, 3, u8"expenses = 99999999999.0001", false},
    {"both kinds, general chosen, real-estate asset", 3, 1, u8"category = 2", false},
    {"both kinds, general chosen, general asset", 3, 1, u8"category = 1", true},
    {"both kinds, real estate chosen, general asset", 3, 2, u8"category = 1", false},
    {"both kinds, real estate chosen, real-estate asset", 3, 2, u8"category = 2", true},
    {"both kinds, both chosen, real-estate asset", 3, 3, u8"category = 2", true},
    {"general data, general chosen, real-estate asset", 1, 1, u8"category = 2", true},
    {"real-estate data, general chosen, real-estate asset", 2, 1, u8"category = 2", true},
    {"data of no known kind, general chosen, real-estate asset", 0, 1, u8"category = 2", true},
    {"kind 11", 3, 3, u8"kind = 11", false},
    {"kind 10", 3, 3, u8"kind = 10", true},
    {"disposed on the period start", 3, 3, u8"disposal = 4\ndisposal_date = 20240101", true},
    {"disposed the day before", 3, 3, u8"disposal = 4\ndisposal_date = 20231231", false},
    {"status 5 the day before", 3, 3, u8"disposal = 5\ndisposal_date = 20231231", false},
    {"status 3 the day before", 3, 3, u8"disposal = 3\ndisposal_date = 20231231", true},
    {"small amount acquired on the period start", 3, 3, u8"method = 7\nacquired = 20240101", true},
    {"small amount acquired the day before", 3, 3, u8"method = 7\nacquired = 20231231", false},
    {"straight line acquired the day before", 3, 3, u8"acquired = 20231231", true},
};

void PrintTo(const FilterCase& c, std::ostream* os) { *os << c.title; }

class FilterTest : public ClGenkashokyakuProcTest, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(FilterTest, KeepsOrDrops) {
    const FilterCase& c = GetParam();
    std::u8string marker = c.nCategory == 2 ? u8"name = 目印\ncategory = 2" : u8"name = 目印\ncategory = 1";
    Import(Company(c.nBusiness, 0) + Asset(c.assetKeys) + Asset(marker));
    StDATAINFO data = Data(c.nBusiness, 0);
    ClGenkashokyakuProc proc;
    ASSERT_EQ(proc.Extract(m_listAssets, &data, c.nCategory), 1);
    EXPECT_EQ(ClRuleGenkashokyaku::LiveCount(), 0);
    // The second asset always passes and shows that the walk went on.
    ASSERT_EQ(m_listAssets.size(), c.bKept ? 2u : 1u);
    EXPECT_STREQ(SisanText(*m_listAssets.back(), 52), "目印");
}

INSTANTIATE_TEST_SUITE_P(Filters, FilterTest, ::testing::ValuesIn(kFilterCases));

// The kept record is the master's first 545 bytes and the year's first 80.
TEST_F(ClGenkashokyakuProcTest, RecordCarriesThePlatformLayout) {
    Import(Company(3, 0) + Asset(u8"name = 旋盤\nquantity = 2台\nremarks = 工場\nkind = 10\n"
                                 u8"cost = 1234567.8912\nopening = 500000\nrevised = 777777.5\n"
                                 u8"ordinary = 4321\nadditional1 = 1\nadditional2 = 2\nexpenses = 3456\n"
                                 u8"method = 5\nlife = 12\nrate = 167\nratio = 8000\ncategory = 2"));
    StDATAINFO data = Data(3, 0);
    ClGenkashokyakuProc proc;
    ASSERT_EQ(proc.Extract(m_listAssets, &data, 3), 1);
    ASSERT_EQ(m_listAssets.size(), 1u);
    const StSISANREC& rec = *m_listAssets.front();
    EXPECT_EQ(SisanField<int32_t>(rec, 48), 10);
    EXPECT_STREQ(SisanText(rec, 52), "旋盤");
    EXPECT_STREQ(SisanText(rec, 245), "2台");
    EXPECT_STREQ(SisanText(rec, 254), "工場");
    EXPECT_EQ(SisanField<int32_t>(rec, 356), 20200401);
    EXPECT_EQ(SisanField<int64_t>(rec, 368), 12345678912LL);
    EXPECT_EQ(SisanField<int64_t>(rec, 384), 5000000000LL);
    EXPECT_EQ(SisanField<int16_t>(rec, 392), 5);
    EXPECT_EQ(SisanField<int16_t>(rec, 394), 12);
    EXPECT_EQ(SisanField<int32_t>(rec, 396), 167);
    EXPECT_EQ(SisanField<int16_t>(rec, 426), 8000);
    EXPECT_EQ(SisanField<int16_t>(rec, 528), 2);
    EXPECT_EQ(SisanField<int64_t>(rec, 537), 7777775000LL);
    EXPECT_EQ(SisanField<int64_t>(rec, 585), 43210000LL);
    EXPECT_EQ(SisanField<int64_t>(rec, 593), 10000LL);
    EXPECT_EQ(SisanField<int64_t>(rec, 601), 20000LL);
    EXPECT_EQ(SisanField<int64_t>(rec, 609), 34560000LL);
}

TEST_F(ClGenkashokyakuProcTest, EmptyDataGivesAnEmptyList) {
    Import(Company(3, 0));
    StDATAINFO data = Data(3, 0);
    m_listAssets.push_back(new StSISANREC());  // left from an earlier run
    ClGenkashokyakuProc proc;
    EXPECT_EQ(proc.Extract(m_listAssets, &data, 3), 1);
    EXPECT_TRUE(m_listAssets.empty());
}

// Platform statuses during the walk ------------------------------------------

struct WalkCase {
    const char* title;
    const char* pszOperation;
    long lStatus;
    long lAtIndex;
    int nResult;
    size_t nKept;
};

const WalkCase kWalkCases[] = {
    {"no fault", nullptr, 0, -1, 1, 10},
    {"Move 5000 part way", "Move", 5000, 3, 1, 3},
    {"Move 5000 at the first", "Move", 5000, 0, 1, 0},
    {"Move failing part way", "Move", -2, 3, 0, 0},
    {"Move answering another status", "Move", 1, 9, 0, 0},
    {"MoveReady 5000", "MoveReady", 5000, -1, 1, 0},
    {"MoveReady failing", "MoveReady", -3, -1, 0, 0},
    {"GetCount failing", "GetCount", -4, -1, 0, 0},
};

void PrintTo(const WalkCase& c, std::ostream* os) { *os << c.title; }

class WalkTest : public ClGenkashokyakuProcTest, public ::testing::WithParamInterface<WalkCase> {};

TEST_P(WalkTest, EndsAsThePlatformSays) {
    const WalkCase& c = GetParam();
    std::u8string text = Company(3, 0);
    for (int i = 0; i < 10; ++i) {
        std::string name = "name = A" + std::to_string(i);
        text += Asset(std::u8string(name.begin(), name.end()));
    }
    Import(text);
    if (c.pszOperation != nullptr) {
        ASSERT_TRUE(m_home.SetFault(c.pszOperation, c.lStatus, c.lAtIndex)) << m_home.Error();
    }

    StDATAINFO data = Data(3, 0);
    ClGenkashokyakuProc proc;
    EXPECT_EQ(proc.Extract(m_listAssets, &data, 3), c.nResult);
    EXPECT_EQ(ClRuleGenkashokyaku::LiveCount(), 0);
    ASSERT_EQ(m_listAssets.size(), c.nKept);
    int i = 0;
    for (const StSISANREC* p : m_listAssets) EXPECT_EQ(SisanText(*p, 52), "A" + std::to_string(i++));
}

INSTANTIATE_TEST_SUITE_P(Statuses, WalkTest, ::testing::ValuesIn(kWalkCases));

TEST_F(ClGenkashokyakuProcTest, OutOfMemoryEmptiesTheList) {
    Import(Company(3, 0) + Asset(u8"name = A0") + Asset(u8"name = A1") + Asset(u8"name = A2"));
    StDATAINFO data = Data(3, 0);
    ClGenkashokyakuProc proc;
    SetRecordAllocFailureForTests(2);
    EXPECT_EQ(proc.Extract(m_listAssets, &data, 3), 0);
    EXPECT_TRUE(m_listAssets.empty());
    EXPECT_EQ(ClRuleGenkashokyaku::LiveCount(), 0);
}

TEST_F(ClGenkashokyakuProcTest, RuleObjectLivesFromSetupToRelease) {
    Import(Company(3, 0) + Asset(u8""));
    ClGenkashokyakuProc proc;
    EXPECT_EQ(proc.FinishMove(), 0);  // nothing to finish yet
    ASSERT_EQ(proc.SetupRule("D1"), 1);
    ASSERT_EQ(proc.SetupRule("D1"), 1);  // the same object, selected again
    EXPECT_EQ(ClRuleGenkashokyaku::LiveCount(), 1);
    long lCount = 0;
    EXPECT_EQ(proc.PrepareMove(&lCount), 0);
    EXPECT_EQ(lCount, 1);
    proc.ReleaseRule();
    proc.ReleaseRule();
    EXPECT_EQ(ClRuleGenkashokyaku::LiveCount(), 0);
    {
        ClGenkashokyakuProc leftOpen;
        leftOpen.SetupRule("D1");
        EXPECT_EQ(ClRuleGenkashokyaku::LiveCount(), 1);
    }
    EXPECT_EQ(ClRuleGenkashokyaku::LiveCount(), 0);
}

// Schedule lines -----------------------------------------------------------------

struct FieldExpectation {
    const char* field;
    const char* text;  // cp932
};

struct ScheduleCase {
    const char* title;
    int nFraction;
    std::vector<std::u8string> assets;  // keys of each [asset]
    int nLine;                          // index in the output; -1 the last
    std::vector<FieldExpectation> expected;
};

// The expected texts follow from the rules of each field, worked out by hand.
const ScheduleCase kScheduleCases[] = {
    // Names: 32 bytes fit, a double-byte character is never parted.
    {"name of 31 bytes",
     0,
     {u8"name = 0123456789012345678901234567890"},
     0,
     {{"SISANMEI", "0123456789012345678901234567890"}}},
    {"name of 40 bytes",
     0,
     {u8"name = 0123456789012345678901234567890123456789"},
     0,
     {{"SISANMEI", "01234567890123456789012345678901"}}},
    {"name whose 32nd byte starts a pair",
     0,
     {u8"name = 0123456789012345678901234567890あい"},
     0,
     {{"SISANMEI", "0123456789012345678901234567890"}}},
    {"name whose pair ends on the 32nd byte",
     0,
     {u8"name = 012345678901234567890123456789あい"},
     0,
     {{"SISANMEI", "012345678901234567890123456789あ"}}},

    // Quantity and unit.
    {"quantity with a unit", 0, {u8"quantity = 10台"}, 0, {{"SUURYO", "10.00"}, {"SUURYOTANI", "台"}}},
    {"quantity half up", 0, {u8"quantity = 2.345個"}, 0, {{"SUURYO", "2.35"}, {"SUURYOTANI", "個"}}},
    {"full-width digits are a unit", 0, {u8"quantity = １０台"}, 0, {{"SUURYO", "0.00"}, {"SUURYOTANI", "０台"}}},
    {"unit only", 0, {u8"quantity = 式"}, 0, {{"SUURYO", "0.00"}, {"SUURYOTANI", "式"}}},
    {"no quantity", 0, {u8""}, 0, {{"SUURYO", "0.00"}, {"SUURYOTANI", ""}}},
    {"separators removed", 0, {u8"quantity = 1,250 m"}, 0, {{"SUURYO", "1250.00"}, {"SUURYOTANI", " m"}}},
    {"blanks inside the number removed", 0, {u8"quantity = 1 250台"}, 0, {{"SUURYO", "1250.00"}, {"SUURYOTANI", "台"}}},
    {"unit starting on a trail byte", 0, {u8"quantity = 5あいb"}, 0, {{"SUURYO", "5.00"}, {"SUURYOTANI", "いb"}}},
    // Twelve characters fill the field; their terminator may fall only on
    // an empty unit.
    {"nine digits", 0, {u8"quantity = 123456789"}, 0, {{"SUURYO", "123456789.00"}, {"SUURYOTANI", ""}}},
    {"eight digits negative", 0, {u8"quantity = -12345678"}, 0, {{"SUURYO", "-12345678.00"}, {"SUURYOTANI", ""}}},
    {"twelve characters beside a unit", 0, {u8"quantity = 9e8台"}, 0, {{"SUURYO", ""}, {"SUURYOTANI", "台"}}},
    {"thirteen characters", 0, {u8"quantity = 1e9"}, 0, {{"SUURYO", ""}, {"SUURYOTANI", ""}}},

    // Acquisition era, year and month.
    {"last day of an era",
     0,
     {u8"acquired = 20190430"},
     0,
     {{"SYUTOKUNENGETU_GENGO", "平成"}, {"SYUTOKUNENGETU_NEN", "31"}, {"SYUTOKUNENGETU_TUKI", "04"}}},
    {"first day of an era",
     0,
     {u8"acquired = 20190501"},
     0,
     {{"SYUTOKUNENGETU_GENGO", "令和"}, {"SYUTOKUNENGETU_NEN", "01"}, {"SYUTOKUNENGETU_TUKI", "05"}}},
    {"before every era",
     0,
     {u8"acquired = 19800105"},
     0,
     {{"SYUTOKUNENGETU_GENGO", ""}, {"SYUTOKUNENGETU_NEN", "00"}, {"SYUTOKUNENGETU_TUKI", "01"}}},
    {"era year of two digits",
     0,
     {u8"acquired = 20990101"},
     0,
     {{"SYUTOKUNENGETU_GENGO", "令和"}, {"SYUTOKUNENGETU_NEN", "81"}}},
    {"era year that does not fit",
     0,
     {u8"acquired = 21180101"},
     0,
     {{"SYUTOKUNENGETU_GENGO", "令和"}, {"SYUTOKUNENGETU_NEN", ""}, {"SYUTOKUNENGETU_TUKI", "01"}}},

    // Money texts.
    {"cost of 12 digits", 0, {u8"cost = 999999999999"}, 0, {{"SYUTOKUKINGAKU", "999999999999"}}},
    {"cost of 13 digits", 0, {u8"cost = 1000000000000"}, 0, {{"SYUTOKUKINGAKU", ""}}},
    {"ordinary -0.5", 0, {u8"ordinary = -0.5"}, 0, {{"FUTUUSYOUKYAKUHI", "-1"}}},
    {"ordinary -0.4", 0, {u8"ordinary = -0.4"}, 0, {{"FUTUUSYOUKYAKUHI", "0"}}},
    {"opening, balance and expenses",
     0,
     {u8"opening = 400000.5\nbalance = 300000\nexpenses = 12345.49"},
     0,
     {{"KISYUTYOUBOKAKAKU", "400001"}, {"MISYOUKYAKUZANDAKA", "300000"}, {"HITUYOUKEIHISANNYUUGAKU", "12345"}}},
    {"additional depreciation", 0, {u8"additional1 = 100\nadditional2 = 23.5"}, 0, {{"WARIMASISYOUKYAKUHI", "124"}}},
    {"additional depreciation beyond the range",
     0,
     {u8"additional1 = 99999999999999\nadditional2 = 1\nordinary = 5"},
     0,
     {{"WARIMASISYOUKYAKUHI", ""}, {"FUTUUSYOUKYAKUHI", "5"}}},

    // Life, rate, months, ratio, transitional measure.
    {"life, rate and months",
     0,
     {u8"life = 10\nrate = 200\nmonths = 12"},
     0,
     {{"TAIYOUNENSU", "10"}, {"SYOUKYAKURITU", "0.200"}, {"SYOUKYAKUKIKAN", "12"}, {"KAITEISYOUKYAKURITU", ""}}},
    {"rate of one", 0, {u8"rate = 1000"}, 0, {{"SYOUKYAKURITU", "1.000"}}},
    {"one third", 0, {u8"method = 4\nrate = 333\nequal = 1\nopening = 5000"}, 0, {{"SYOUKYAKURITU", "1/3"}}},
    {"ratio 100 %", 0, {u8"ratio = 10000"}, 0, {{"JIGYOUSENYUWARIAI", "100.0"}}},
    {"ratio 50 %", 0, {u8"ratio = 5000"}, 0, {{"JIGYOUSENYUWARIAI", "50.0"}}},
    {"ratio 66.67 %", 0, {u8"ratio = 6667"}, 0, {{"JIGYOUSENYUWARIAI", "66.7"}}},
    {"transitional measure from April 2012", 0, {u8"method = 5\nacquired = 20120401"}, 0, {{"KEIKASOTI", "1"}}},
    {"transitional measure to December 2012", 0, {u8"method = 5\nacquired = 20121231"}, 0, {{"KEIKASOTI", "1"}}},
    {"no transitional measure in March 2012", 0, {u8"method = 5\nacquired = 20120331"}, 0, {{"KEIKASOTI", ""}}},
    {"no transitional measure in 2013", 0, {u8"method = 5\nacquired = 20130101"}, 0, {{"KEIKASOTI", ""}}},
    {"no transitional measure for 200 %", 0, {u8"method = 8\nacquired = 20120401"}, 0, {{"KEIKASOTI", ""}}},

    // Declining balance: guarantee amount, pre-adjustment and the switch.
    {"250 % above the guarantee",
     2,
     {u8"method = 5\nlife = 10\nrate = 250\nbasis = 777\nrevised = 500000"},
     0,
     {{"SYOUKYAKUHOSYOUGAKU", "44480"},
      {"CHOUSEIMAESYOUKYAKUGAKU", "250000"},
      {"KAITEISYUTOKUKAGAKU", ""},
      {"SYOUKYAKUKISOKINGAKU", "777"},
      {"TEKIYOU_JYOUDAN", ""}}},
    {"250 % below the guarantee",
     2,
     {u8"method = 5\nlife = 10\nrate = 250\nbasis = 777\nrevised = 500000\nopening = 150000\nordinary = 1"},
     0,
     {{"SYOUKYAKUHOSYOUGAKU", "44480"},
      {"CHOUSEIMAESYOUKYAKUGAKU", "37500"},
      {"KAITEISYUTOKUKAGAKU", "500000"},
      {"SYOUKYAKUKISOKINGAKU", "500000"},
      {"TEKIYOU_JYOUDAN", "改定償却"}}},
    {"below the guarantee without ordinary depreciation",
     2,
     {u8"method = 5\nlife = 10\nrate = 250\nbasis = 777\nrevised = 500000\nopening = 150000"},
     0,
     {{"KAITEISYUTOKUKAGAKU", "500000"}, {"SYOUKYAKUKISOKINGAKU", "500000"}, {"TEKIYOU_JYOUDAN", ""}}},
    {"below the guarantee without a revised value",
     2,
     {u8"method = 5\nlife = 10\nrate = 250\nbasis = 777\nopening = 150000\nordinary = 1"},
     0,
     {{"KAITEISYUTOKUKAGAKU", "0"}, {"SYOUKYAKUKISOKINGAKU", "0"}, {"TEKIYOU_JYOUDAN", "改定償却"}}},
    {"opening of one yen",
     2,
     {u8"method = 5\nlife = 10\nrate = 250\nbasis = 777\nrevised = 500000\nopening = 1\nordinary = 1\nequal = 1"},
     0,
     {{"CHOUSEIMAESYOUKYAKUGAKU", "0"},
      {"KAITEISYUTOKUKAGAKU", "500000"},
      {"SYOUKYAKUKISOKINGAKU", "777"},
      {"TAIYOUNENSU", "10"},
      {"TEKIYOU_JYOUDAN", ""}}},
    {"pre-adjustment equal to the guarantee",
     2,
     {u8"method = 5\nlife = 10\nrate = 250\nbasis = 777\nrevised = 500000\nopening = 177920\nordinary = 1"},
     0,
     {{"SYOUKYAKUHOSYOUGAKU", "44480"},
      {"CHOUSEIMAESYOUKYAKUGAKU", "44480"},
      {"KAITEISYUTOKUKAGAKU", ""},
      {"SYOUKYAKUKISOKINGAKU", "777"},
      {"TEKIYOU_JYOUDAN", ""}}},
    {"pre-adjustment one yen below the guarantee",
     2,
     {u8"method = 5\nlife = 10\nrate = 250\nbasis = 777\nrevised = 500000\nopening = 177916\nordinary = 1"},
     0,
     {{"SYOUKYAKUHOSYOUGAKU", "44480"},
      {"CHOUSEIMAESYOUKYAKUGAKU", "44479"},
      {"KAITEISYUTOKUKAGAKU", "500000"},
      {"SYOUKYAKUKISOKINGAKU", "500000"},
      {"TEKIYOU_JYOUDAN", "改定償却"}}},
    {"200 % without a life",
     0,
     {u8"method = 8\nrate = 200\nrevised = 9"},
     0,
     {{"SYOUKYAKUHOSYOUGAKU", "0"}, {"CHOUSEIMAESYOUKYAKUGAKU", "200000"}, {"KAITEISYUTOKUKAGAKU", ""}}},
    {"200 % table and the fraction mode",
     1,
     {u8"method = 8\nlife = 39\nrate = 1\ncost = 100001"},
     0,
     {{"SYOUKYAKUHOSYOUGAKU", "1861"}, {"CHOUSEIMAESYOUKYAKUGAKU", "101"}, {"KAITEISYUTOKUKAGAKU", "0"}}},
    {"deduction lowers the base",
     0,
     {u8"method = 5\nlife = 10\nrate = 250\ndeduction = 200000"},
     0,
     {{"SYOUKYAKUHOSYOUGAKU", "35584"}, {"CHOUSEIMAESYOUKYAKUGAKU", "200000"}}},
    {"no guarantee figures for straight line",
     0,
     {u8"life = 10\nrate = 100"},
     0,
     {{"SYOUKYAKUHOSYOUGAKU", ""}, {"CHOUSEIMAESYOUKYAKUGAKU", ""}, {"SYOUKYAKUKISOKINGAKU", "0"}}},

    // Equal instalments.
    {"equal instalments, straight line",
     0,
     {u8"equal = 1\nopening = 500000\ncost = 1234567\nlife = 4\nrate = 250"},
     0,
     {{"SYOUKYAKUKISOKINGAKU", "61728"}, {"TAIYOUNENSU", ""}, {"SYOUKYAKURITU", ""}, {"TEKIYOU_JYOUDAN", "均等償却"}}},
    {"equal instalments, kind 10, percentage capped",
     0,
     {u8"equal = 1\nopening = 500000\nmethod = 2\nkind = 10\nbasis_value = 12.345\ncost = 2000000"},
     0,
     {{"SYOUKYAKUKISOKINGAKU", "100000"}}},
    {"equal instalments, kind 10, percentage",
     0,
     {u8"equal = 1\nopening = 500000\nmethod = 6\nkind = 10\nbasis_value = 12.345\ncost = 500000"},
     0,
     {{"SYOUKYAKUKISOKINGAKU", "60000"}}},
    // 5.678 % is cut to 0.05, not rounded to 0.06.
    {"equal instalments, kind 10, percentage cut to two decimals",
     0,
     {u8"equal = 1\nopening = 500000\nmethod = 6\nkind = 10\nbasis_value = 5.678\ncost = 500000"},
     0,
     {{"SYOUKYAKUKISOKINGAKU", "25000"}}},
    {"equal instalments, kind 10, amount",
     0,
     {u8"equal = 1\nopening = 500000\nmethod = 2\nkind = 10\nbasis_is_amount = 1\nbasis_value = 80000.9"},
     0,
     {{"SYOUKYAKUKISOKINGAKU", "80001"}}},
    {"equal instalments, kind 10, amount capped",
     0,
     {u8"equal = 1\nopening = 500000\nmethod = 2\nkind = 10\nbasis_is_amount = 1\nbasis_value = 150000"},
     0,
     {{"SYOUKYAKUKISOKINGAKU", "100000"}}},
    {"revised replaces equal instalments",
     2,
     {u8"equal = 1\nmethod = 5\nlife = 10\nrate = 250\nrevised = 500000\nopening = 150000\nordinary = 1"},
     0,
     {{"SYOUKYAKUKISOKINGAKU", "50000"}, {"KAITEISYUTOKUKAGAKU", "500000"}, {"TEKIYOU_JYOUDAN", "改定償却"}}},

    // Remarks.
    {"remarks of 19 bytes",
     0,
     {u8"remarks = 0123456789012345678\nequal = 1\nopening = 9"},
     0,
     {{"TEKIYOU_JYOUDAN", "0123456789012345678"}, {"TEKIYOU_GEDAN", ""}}},
    {"remarks of 20 bytes",
     0,
     {u8"remarks = 01234567890123456789"},
     0,
     {{"TEKIYOU_JYOUDAN", "01234567890123456789"}, {"TEKIYOU_GEDAN", ""}}},
    {"remarks of 40 bytes with a pair at the 20th",
     0,
     {u8"remarks = 0123456789012345678あいうえおかきくけこx"},
     0,
     {{"TEKIYOU_JYOUDAN", "0123456789012345678"}, {"TEKIYOU_GEDAN", "あいうえおかきくけこx"}}},
    {"remarks longer than the two lines",
     0,
     {u8"remarks = 0123456789012345678あいうえおかきくけこさ"},
     0,
     {{"TEKIYOU_JYOUDAN", "0123456789012345678"}, {"TEKIYOU_GEDAN", "あいうえおかきくけこ"}}},

    // Small amounts share one last line.
    {"three small amounts",
     0,
     {u8"method = 7\ncost = 100000\nratio = 5000\nacquired = 20240105\nremarks = 机",
      u8"name = 普通\nremarks = 普通資産", u8"method = 7\ncost = 100000\nratio = 3333\nacquired = 20240201",
      u8"method = 7\ncost = 100000\nratio = 10000\nacquired = 20240301\nquantity = 3個\nexpenses = 5"},
     -1,
     {{"SISANMEI", "少額減価償却資産"},
      {"SYUTOKUKINGAKU", "183330"},
      {"HITUYOUKEIHISANNYUUGAKU", "183330"},
      {"SYOUKYAKUHOUHOU", "6"},
      {"SYOUKYAKUMEI", "少額"},
      {"SYUTOKUNENGETU_GENGO", "令和"},
      {"SYUTOKUNENGETU_NEN", "06"},
      {"SYUTOKUNENGETU_TUKI", ""},
      {"SUURYO", ""},
      {"SUURYOTANI", ""},
      {"JIGYOUSENYUWARIAI", ""},
      {"SYOUKYAKURITU", ""},
      {"TAIYOUNENSU", ""},
      {"KISYUTYOUBOKAKAKU", ""},
      {"TEKIYOU_JYOUDAN", "措法28の2"},
      {"TEKIYOU_GEDAN", "(明細は別途保管)"}}},
    {"small amount rounded up",
     0,
     {u8"method = 7\ncost = 10001\nratio = 3333\nacquired = 20240105"},
     0,
     {{"SYUTOKUKINGAKU", "3334"}, {"HITUYOUKEIHISANNYUUGAKU", "3334"}}},
    {"ordinary line before the small amounts",
     0,
     {u8"method = 7\ncost = 1\nacquired = 20240105", u8"name = 普通\nremarks = 普通資産"},
     0,
     {{"SISANMEI", "普通"}, {"TEKIYOU_JYOUDAN", "普通資産"}}},
};

void PrintTo(const ScheduleCase& c, std::ostream* os) { *os << c.title; }

class ScheduleTest : public ClGenkashokyakuProcTest, public ::testing::WithParamInterface<ScheduleCase> {};

TEST_P(ScheduleTest, WritesTheFields) {
    const ScheduleCase& c = GetParam();
    std::u8string text = Company(3, c.nFraction);
    for (const std::u8string& keys : c.assets) text += Asset(keys);
    Import(text);

    StDATAINFO data = Data(3, c.nFraction);
    ClGenkashokyakuProc proc;
    ASSERT_EQ(proc.Extract(m_listAssets, &data, 3), 1);
    ASSERT_EQ(m_listAssets.size(), c.assets.size());
    ASSERT_EQ(proc.MakeSchedule(m_listAssets, m_listOutput, &data), 1);
    ASSERT_FALSE(m_listOutput.empty());

    auto it = m_listOutput.begin();
    if (c.nLine < 0) {
        it = std::prev(m_listOutput.end());
    } else {
        ASSERT_LT(static_cast<size_t>(c.nLine), m_listOutput.size());
        std::advance(it, c.nLine);
    }
    for (const FieldExpectation& e : c.expected) {
        std::string actual = FieldText(**it, e.field);
        EXPECT_EQ(actual, e.text) << e.field << " is \"" << compat::SjisToUtf8(actual) << "\", expected \""
                                  << compat::SjisToUtf8(e.text) << "\"";
    }
}

std::string CaseName(const ::testing::TestParamInfo<ScheduleCase>& info) { return "Case" + std::to_string(info.index); }

INSTANTIATE_TEST_SUITE_P(WorkedExamples, ScheduleTest, ::testing::ValuesIn(kScheduleCases), CaseName);

// The two figures on their own ----------------------------------------------------

// Fields of a kept asset that the two figures read; amounts in yen.
struct FigureAsset {
    int16_t nMethod;
    int16_t nLife;
    int32_t nRate;
    int64_t llCost;
    int64_t llDeduction;
    int64_t llOpening;
    int16_t nDisposal;
    int32_t nDisposalDate;
};

StSISANREC MakeRecord(const FigureAsset& a) {
    constexpr int64_t kCount = 10000;  // ten-thousandths per yen
    StKOTEISHISANINFO master;
    std::memset(&master, 0, sizeof master);
    master.nShokyakuHouhou = a.nMethod;
    master.nTaiyouNensu = a.nLife;
    master.nShokyakuRitsu = a.nRate;
    master.llShutokuKingaku = a.llCost * kCount;
    master.llKojoKingaku = a.llDeduction * kCount;
    master.llKishuBoka = a.llOpening * kCount;
    master.nJyotoKubun = a.nDisposal;
    master.nJyotoDate = a.nDisposalDate;
    StSISANREC rec;
    std::memset(&rec, 0, sizeof rec);
    std::memcpy(rec.bytes, &master, SISANREC_MASTER_BYTES);
    return rec;
}

std::string Money(const ClFixDec& value) {
    char szText[32];
    FormatInteger(value, szText, sizeof szText);
    return szText;
}

struct GuaranteeCase {
    const char* title;
    FigureAsset asset;
    int nFraction;
    const char* pszAmount;
};

// Base x entry / 10000, the entry of 1,234,567 over 3 years being 278.9:
// 34432.07363 -> 34432.0736; 1,000,012 over 10 years at 444.8 gives
// 44480.53376 -> 44480.5338.
const GuaranteeCase kGuaranteeCases[] = {
    {"half up", {5, 3, 0, 1234567, 0, 0, 0, 0}, 0, "34432"},
    {"up", {5, 3, 0, 1234567, 0, 0, 0, 0}, 1, "34433"},
    {"down", {5, 3, 0, 1234567, 0, 0, 0, 0}, 2, "34432"},
    {"half up above the half", {5, 10, 0, 1000012, 0, 0, 0, 0}, 0, "44481"},
    {"down above the half", {5, 10, 0, 1000012, 0, 0, 0, 0}, 2, "44480"},
    {"200 % table for method 8", {8, 39, 0, 1000000, 0, 0, 0, 0}, 0, "18600"},
    {"250 % table for any other method", {6, 39, 0, 1000000, 0, 0, 0, 0}, 0, "13700"},
    {"deduction taken off", {5, 10, 0, 1000000, 200000, 0, 0, 0}, 0, "35584"},
    {"life 101", {5, 101, 0, 1000000, 0, 0, 0, 0}, 0, "5460"},
    {"no life", {8, 0, 0, 1000000, 0, 0, 0, 0}, 0, "0"},
    {"life beyond the table", {8, 102, 0, 1000000, 0, 0, 0, 0}, 0, "0"},
};

TEST(ClGenkashokyakuProcFigures, GuaranteeAmount) {
    ClGenkashokyakuProc proc;
    for (const GuaranteeCase& c : kGuaranteeCases) {
        SCOPED_TRACE(c.title);
        EXPECT_EQ(Money(proc.CalcGuaranteeAmount(MakeRecord(c.asset), c.nFraction)), c.pszAmount);
    }
}

struct PreAdjustmentCase {
    const char* title;
    FigureAsset asset;
    long lPeriodStart;
    int nFraction;
    const char* pszAmount;
};

const PreAdjustmentCase kPreAdjustmentCases[] = {
    {"acquisition base without an opening value", {5, 10, 250, 1000000, 0, 0, 0, 0}, 20240101, 0, "250000"},
    {"deduction taken off", {5, 10, 250, 1000000, 200000, 0, 0, 0}, 20240101, 0, "200000"},
    {"opening value", {5, 10, 250, 1000000, 0, 150000, 0, 0}, 20240101, 0, "37500"},
    {"disposed the day before the period", {5, 10, 250, 1000000, 0, 0, 4, 20231231}, 20240101, 0, "0"},
    {"status 5 the day before the period", {5, 10, 250, 1000000, 0, 0, 5, 20231231}, 20240101, 0, "0"},
    {"disposed on the period start", {5, 10, 250, 1000000, 0, 0, 4, 20240101}, 20240101, 0, "250000"},
    {"status 3 the day before the period", {5, 10, 250, 1000000, 0, 0, 3, 20231231}, 20240101, 0, "250000"},
    {"opening value of a disposed asset", {5, 10, 250, 1000000, 0, 150000, 4, 20231231}, 20240101, 0, "37500"},
    {"no period known", {5, 10, 250, 1000000, 0, 0, 4, 20231231}, 0, 0, "250000"},
    {"no rate", {5, 10, 0, 1000000, 0, 150000, 0, 0}, 20240101, 0, "0"},
    // 100,001 x 0.001 = 100.001 and 100,500 x 0.001 = 100.5.
    {"half up below the half", {8, 10, 1, 0, 0, 100001, 0, 0}, 20240101, 0, "100"},
    {"up", {8, 10, 1, 0, 0, 100001, 0, 0}, 20240101, 1, "101"},
    {"half up at the half", {8, 10, 1, 0, 0, 100500, 0, 0}, 20240101, 0, "101"},
    {"down at the half", {8, 10, 1, 0, 0, 100500, 0, 0}, 20240101, 2, "100"},
};

TEST(ClGenkashokyakuProcFigures, PreAdjustment) {
    ClGenkashokyakuProc proc;
    for (const PreAdjustmentCase& c : kPreAdjustmentCases) {
        SCOPED_TRACE(c.title);
        EXPECT_EQ(Money(proc.CalcPreAdjustment(MakeRecord(c.asset), c.lPeriodStart, c.nFraction)), c.pszAmount);
    }
}

struct MethodCase {
    int nMethod;
    const char* pszCode;
    const char* pszName;
};

const MethodCase kMethodCases[] = {
    {0, "6", ""}, {1, "1", ""}, {2, "2", ""},     {3, "4", ""}, {4, "3", ""},
    {5, "1", ""}, {6, "2", ""}, {7, "6", "少額"}, {8, "1", ""}, {9, "6", ""},
};

void PrintTo(const MethodCase& c, std::ostream* os) { *os << "method " << c.nMethod; }

class MethodTest : public ClGenkashokyakuProcTest, public ::testing::WithParamInterface<MethodCase> {};

TEST_P(MethodTest, ReportsTheMethodCode) {
    const MethodCase& c = GetParam();
    std::string keys = "method = " + std::to_string(c.nMethod) + "\nacquired = 20240401";
    Import(Company(3, 0) + Asset(std::u8string(keys.begin(), keys.end())));
    StDATAINFO data = Data(3, 0);
    ClGenkashokyakuProc proc;
    ASSERT_EQ(proc.Extract(m_listAssets, &data, 3), 1);
    ASSERT_EQ(proc.MakeSchedule(m_listAssets, m_listOutput, &data), 1);
    ASSERT_EQ(m_listOutput.size(), 1u);
    EXPECT_EQ(FieldText(*m_listOutput.front(), "SYOUKYAKUHOUHOU"), c.pszCode);
    EXPECT_EQ(FieldText(*m_listOutput.front(), "SYOUKYAKUMEI"), c.pszName);
}

INSTANTIATE_TEST_SUITE_P(Codes, MethodTest, ::testing::ValuesIn(kMethodCases));

TEST_F(ClGenkashokyakuProcTest, ScheduleOfNoAssetsIsEmpty) {
    StDATAINFO data = Data(3, 0);
    m_listOutput.push_back(new StSISANDATA());  // left from an earlier run
    ClGenkashokyakuProc proc;
    EXPECT_EQ(proc.MakeSchedule(m_listAssets, m_listOutput, &data), 1);
    EXPECT_TRUE(m_listOutput.empty());
}

// Running out of memory for any line, the shared one included, leaves no
// partial schedule behind.
TEST_F(ClGenkashokyakuProcTest, OutOfMemoryEmptiesTheSchedule) {
    Import(Company(3, 0) + Asset(u8"name = A") + Asset(u8"method = 7\nacquired = 20240105") + Asset(u8"name = B"));
    StDATAINFO data = Data(3, 0);
    ClGenkashokyakuProc proc;
    ASSERT_EQ(proc.Extract(m_listAssets, &data, 3), 1);
    for (long lFailAt : {0L, 1L, 2L}) {
        SCOPED_TRACE(lFailAt);
        SetRecordAllocFailureForTests(lFailAt);
        EXPECT_EQ(proc.MakeSchedule(m_listAssets, m_listOutput, &data), 0);
        EXPECT_TRUE(m_listOutput.empty());
    }
    SetRecordAllocFailureForTests(-1);
    EXPECT_EQ(proc.MakeSchedule(m_listAssets, m_listOutput, &data), 1);
    ASSERT_EQ(m_listOutput.size(), 3u);
    EXPECT_EQ(FieldText(*m_listOutput.back(), "SISANMEI"), "少額減価償却資産");
}

// A status the platform judges fatal (it shows its message) leaves an era
// or the period unknown: the schedule fails at that asset, once, and keeps
// no lines.  A status it does not judge fatal keeps its meaning.
TEST_F(ClGenkashokyakuProcTest, AFatalPlatformStatusFailsTheSchedule) {
    // The declining-balance asset asks for the period, three times.
    Import(Company(3, 0) + Asset(u8"name = A\nmethod = 8\nlife = 6\nrate = 333") +
           Asset(u8"method = 7\nacquired = 20240105") + Asset(u8"name = B"));
    StDATAINFO data = Data(3, 0);
    ClGenkashokyakuProc proc;
    ASSERT_EQ(proc.Extract(m_listAssets, &data, 3), 1);
    static int s_nShown;
    compat::SetMessageBoxHandler([](HWND, const char*, const char*, UINT) {
        ++s_nShown;
        return IDOK;
    });
    const struct {
        const char* pszOperation;
        long lStatus;
        long lAtIndex;
        int nResult;
        int nShown;  // messages of the platform; the first asset asks for its era once
    } cases[] = {
        {"Gengo.Walk", -1, -1, 0, 1}, {"Gengo.GetCursor", -2, -1, 0, 1}, {"Gengo.Ready", -3, -1, 0, 1},
        {"GetPeriod", -1, -1, 0, 3},  {"Gengo.Walk", 7, 1, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pszOperation) + " " + std::to_string(c.lStatus));
        bok::AdminError error;
        ASSERT_TRUE(bok::ClearFaults(m_home.Path(), &error)) << error.message;
        ASSERT_TRUE(m_home.SetFault(c.pszOperation, c.lStatus, c.lAtIndex)) << m_home.Error();
        s_nShown = 0;
        EXPECT_EQ(proc.MakeSchedule(m_listAssets, m_listOutput, &data), c.nResult);
        EXPECT_EQ(m_listOutput.size(), c.nResult == 1 ? 3u : 0u);
        EXPECT_EQ(s_nShown, c.nShown);
    }
}

}  // namespace
