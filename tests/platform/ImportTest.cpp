// The readable import format: what it stores, and the refusals that name
// the line and the field and change nothing.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "TestHome.h"
#include "platform/BokBCore.h"
#include "platform/BokCmn.h"
#include "platform/BokFileMgr.h"

namespace {

const char* const kHead = "[data]\nid = D1\nnumber = 1\nname = Shop\nperiod = 20240101 20241231\n";

std::string Asset(const std::string& extra) {
    return "[asset]\nname = A\nacquired = 20240101\ncost = 1\nmethod = 1\n" + extra;
}

using testsupport::U8;

// before, a NUL byte, after.
std::string WithNul(const char* before, const char* after) { return std::string(before) + '\0' + after; }

struct Refusal {
    const char* name;
    std::string text;
    int line;
    const char* field;
};

// Every case is appended to kHead (five lines) and refused.
const Refusal kRefusals[] = {
    {"UnknownSection", "[assets]\n", 6, ""},
    {"UnknownKey", Asset("colour = red\n"), 11, "colour"},
    {"LineWithoutEquals", Asset("cost 5\n"), 11, ""},
    {"KeyTwice", Asset("cost = 2\n"), 11, "cost"},
    {"MissingRequired", "[asset]\nname = A\nacquired = 20240101\nmethod = 1\n", 6, "cost"},
    {"MissingMethod", "[asset]\nname = A\nacquired = 20240101\ncost = 1\n", 6, "method"},
    {"RequiredTextEmpty", "[asset]\nname =\nacquired = 20240101\ncost = 1\nmethod = 1\n", 7, "name"},
    {"NotANumber", Asset("life = ten\n"), 11, "life"},
    {"Int16OutOfRange", Asset("ratio = 40000\n"), 11, "ratio"},
    {"FlagOutOfRange", Asset("equal = 256\n"), 11, "equal"},
    {"NotAnAmount", Asset("opening = 12,000\n"), 11, "opening"},
    {"FiveDecimals", Asset("opening = 1.00001\n"), 11, "opening"},
    {"AmountOverflow", Asset("opening = 922337203685478\n"), 11, "opening"},
    {"NotADate", Asset("disposal_date = 20240230\n"), 11, "disposal_date"},
    {"PeriodBackwards", "[data]\nid = D2\nnumber = 2\nname = X\nperiod = 20241231 20240101\n", 10, "period"},
    {"PeriodOneDate", "[data]\nid = D2\nnumber = 2\nname = X\nperiod = 20240101\n", 10, "period"},
    {"UnknownDataSet", Asset("data = NOPE\n"), 11, "data"},
    {"YesNo", "[user]\nid = u\nselected = 1\ncurrent = maybe\n", 9, "current"},
    {"DataIdTooLong", "[data]\nid = ID-OF-16-BYTES-X\nnumber = 2\nname = X\nperiod = 20240101 20241231\n", 7, "id"},
    // 令和 four times: 16 bytes in code page 932, one more than fit.
    {"EraNameTooLong", U8(u8"[era]\nstart = 20190501\nname = 令和令和令和令和\n"), 8, "name"},
    {"QuantityTooLong", Asset("quantity = 1234567890\n"), 11, "quantity"},
    {"NameTooLong", Asset("name = " + std::string(193, 'n') + "\n"), 11, "name"},
    {"NoCp932", Asset("remarks = \xF0\x9F\x98\x80\n"), 11, "remarks"},
    {"BadUtf8", Asset("remarks = \xff\xfe\n"), 11, "remarks"},
    {"LaterSectionRefused", Asset("") + "[era]\nstart = 1\nname = X\n", 12, "start"},
    // Control characters, in every kind of text.
    {"ControlInDataName",
     "[data]\nid = D2\nnumber = 2\nname = AB\x01"
     "CD\nperiod = 20240101 20241231\n",
     9, "name"},
    {"NulInDataId", WithNul("[data]\nid = D0001", "X\nnumber = 2\nname = X\nperiod = 20240101 20241231\n"), 7, "id"},
    {"NulInAssetData", Asset(WithNul("data = D1", "X\n")), 11, "data"},
    {"TabInAssetName", "[asset]\nname = A\tB\nacquired = 20240101\ncost = 1\nmethod = 1\n", 7, "name"},
    {"DelInQuantity", Asset("quantity = 1\x7F\n"), 11, "quantity"},
    {"ControlInRemarks", Asset("remarks = a\x1F\n"), 11, "remarks"},
    {"ControlInUserId", "[user]\nid = u\x1B[2J\nselected = 1\n", 7, "id"},
    {"ControlInEraName", "[era]\nstart = 20190501\nname = R\x0C\n", 8, "name"},
    {"ControlInFolderPath",
     "[folder]\ntype = 1\npath = C:\\a\x0B"
     "b\n",
     8, "path"},
    // A CR on its own ends a line: the text after it is a line of its own.
    {"LoneCrEndsALine", Asset("remarks = a\rb\n"), 12, ""},
};

class ImportRefusalTest : public testing::TestWithParam<Refusal> {};

TEST_P(ImportRefusalTest, NamesLineAndFieldAndChangesNothing) {
    TestHome home;
    home.Import(std::string(kHead) + Asset(""));
    std::string before, after;
    bok::AdminError error;
    ASSERT_TRUE(bok::DescribeStore(home.Path(), &before, &error));

    const Refusal& refusal = GetParam();
    EXPECT_FALSE(bok::ImportText(home.Path(), kHead + refusal.text, &error));
    EXPECT_EQ(error.line, refusal.line) << error.message;
    EXPECT_EQ(error.field, refusal.field) << error.message;
    EXPECT_NE(error.message.find("line " + std::to_string(refusal.line)), std::string::npos) << error.message;

    ASSERT_TRUE(bok::DescribeStore(home.Path(), &after, &error));
    EXPECT_EQ(after, before);
}

INSTANTIATE_TEST_SUITE_P(Import, ImportRefusalTest, testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

// Every control character that can stand inside a value (CR and LF end
// the line) is refused by name, and the message shows it escaped.
TEST(ImportTest, EveryControlCharacterIsRefusedAndShownEscaped) {
    TestHome home;
    home.Import(std::string(kHead) + Asset(""));
    std::string before, after;
    bok::AdminError error;
    ASSERT_TRUE(bok::DescribeStore(home.Path(), &before, &error));
    for (int c = 0; c < 0x80; ++c) {
        if ((c >= 0x20 && c != 0x7F) || c == '\r' || c == '\n') continue;
        SCOPED_TRACE(c);
        const std::string file = std::string(kHead) + "[asset]\nname = AB" + std::string(1, static_cast<char>(c)) +
                                 "CD\nacquired = 20240101\ncost = 1\nmethod = 1\n";
        EXPECT_FALSE(bok::ImportText(home.Path(), file, &error));
        EXPECT_EQ(error.field, "name");
        char shown[16], code[16];
        std::snprintf(shown, sizeof shown,
                      "\"AB\\x%02X"
                      "CD\"",
                      c);
        std::snprintf(code, sizeof code, "U+%04X", c);
        EXPECT_NE(error.message.find(shown), std::string::npos) << error.message;
        EXPECT_NE(error.message.find(code), std::string::npos) << error.message;
        for (unsigned char m : error.message) EXPECT_FALSE(m < 0x20 || m == 0x7F) << error.message;
    }
    ASSERT_TRUE(bok::DescribeStore(home.Path(), &after, &error));
    EXPECT_EQ(after, before);
}

struct ShownCase {
    const char* name;
    std::string text;  // appended to kHead
    std::string shown;
};

// What the input holds but a message cannot carry is shown escaped, and
// the message goes on to its end.
const ShownCase kShown[] = {
    {"NulInKey", WithNul("[asset]\nna", "me = A\n"), "field \"na\\x00me\": unknown key in [asset]"},
    {"InvalidUtf8", Asset("remarks = \xff\xfe\n"), "\"\\xFF\\xFE\" has characters that code page 932 cannot hold"},
    {"CutUtf8Sequence", Asset("life = 1\xE3\x81\n"), "\"1\\xE3\\x81\" is not a whole number"},
    {"Utf8StaysReadable", Asset(U8(u8"life = 十\n")), U8(u8"\"十\" is not a whole number")},
    {"C1Control", Asset("life = \xC2\x85\n"), "\"\\u0085\" is not a whole number"},
    {"ControlInSection", "[da\x01ta]\n", "unknown section [da\\x01ta]"},
};

class ImportShownTest : public testing::TestWithParam<ShownCase> {};

TEST_P(ImportShownTest, MessageShowsTheInputEscaped) {
    TestHome home;
    bok::AdminError error;
    EXPECT_FALSE(bok::ImportText(home.Path(), kHead + GetParam().text, &error));
    EXPECT_NE(error.message.find(GetParam().shown), std::string::npos) << error.message;
    EXPECT_EQ(error.message.find('\0'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Import, ImportShownTest, testing::ValuesIn(kShown),
                         [](const auto& info) { return std::string(info.param.name); });

int CountAssets(const char* dataId) {
    ClRuleGenkashokyaku rule;
    rule.SetCurDataID(dataId);
    if (rule.MoveReady(nullptr, RuleGenkashokyaku_Sort_Code, RuleGenkashokyaku_Sum_None) != 0) return -1;
    long count = 0;
    rule.GetCount(&count);
    return static_cast<int>(count);
}

// Line ends of every kind give the same store, and their lines are counted
// alike in refusals.
TEST(ImportTest, CrOnlyAndMixedLineEndsImport) {
    for (const char* end : {"\r", "\r\n", "\n"}) {
        SCOPED_TRACE(testing::PrintToString(std::string(end)));
        TestHome home;
        std::string text = std::string("# sample company\n") + kHead + Asset("") + Asset("");
        std::string file;
        for (char c : text) file += c == '\n' ? std::string(end) : std::string(1, c);
        home.Import(file);
        EXPECT_EQ(CountAssets("D1"), 2);

        bok::AdminError error;
        std::string refused = file;
        refused.replace(refused.rfind("cost = 1"), 8, "cost = x");
        EXPECT_FALSE(bok::ImportText(home.Path(), refused, &error));
        EXPECT_EQ(error.line, 15) << error.message;
        EXPECT_EQ(error.field, "cost");
    }
}

TEST(ImportTest, AFileThatDefinesNothingIsRefused) {
    for (const char* text : {"", "# only a comment\n\n", "# one line\r# another\r", "\xEF\xBB\xBF\r\n"}) {
        SCOPED_TRACE(testing::PrintToString(std::string(text)));
        TestHome home;
        bok::AdminError error;
        EXPECT_FALSE(bok::ImportText(home.Path(), text, &error));
        EXPECT_NE(error.message.find("the file defines nothing"), std::string::npos) << error.message;
    }
}

// An asset may name a data set that the file defines further down; one
// without a data key still belongs to the nearest [data] above it.
TEST(ImportTest, AssetMayNameADataSetDefinedBelow) {
    TestHome home;
    home.Import(Asset("data = D2\n") + kHead + Asset("") +
                "[data]\nid = D2\nnumber = 2\nname = Later\nperiod = 20240101 20241231\n" + Asset("") + Asset(""));
    EXPECT_EQ(CountAssets("D1"), 1);
    EXPECT_EQ(CountAssets("D2"), 3);
}

struct AmountCase {
    const char* text;
    int64_t count;
};

const AmountCase kAmounts[] = {
    {"1234567", 12345670000LL},
    {"-0.5", -5000},
    {"+2.25", 22500},
    {"0.0001", 1},
    {"99999999999.0001", 999999999990001LL},
    {"922337203685477.5807", INT64_MAX},
    {"-922337203685477.5808", INT64_MIN},
};

class ImportAmountTest : public testing::TestWithParam<AmountCase> {};

TEST_P(ImportAmountTest, StoresExactTenThousandths) {
    TestHome home;
    home.Import(std::string(kHead) + "[asset]\nname = A\nacquired = 20240101\nmethod = 1\ncost = " + GetParam().text +
                "\n");
    ClRuleGenkashokyaku rule;
    rule.SetCurDataID("D1");
    ASSERT_EQ(rule.MoveReady(nullptr, RuleGenkashokyaku_Sort_Code, RuleGenkashokyaku_Sum_None), 0);
    StKOTEISHISANINFO master;
    StKOTEINENINFO year;
    StKOTEITSUKIINFO month;
    ASSERT_EQ(rule.Move(0, &master, &year, &month), 0);
    EXPECT_EQ(master.llShutokuKingaku, GetParam().count);
}

INSTANTIATE_TEST_SUITE_P(Import, ImportAmountTest, testing::ValuesIn(kAmounts));

TEST(ImportTest, DefaultsCommentsAndBlanks) {
    TestHome home;
    home.Import(
        "\xEF\xBB\xBF# a comment\r\n\r\n[data]\r\n  id =  D1  \r\nnumber=1\r\nname = A # not a comment\r\n"
        "period = 20240101   20241231\r\n" +
        Asset(""));
    auto* set = static_cast<ClSetData*>(ClDataMgr::Inst()->GetSetObject(5, 1));
    BOKCURSOR cursor = nullptr;
    ASSERT_EQ(set->GetDatCursor(&cursor), 0);
    ASSERT_EQ(set->ReadyDat(cursor, 0), 0);
    StDATAINFO data;
    ASSERT_EQ(set->WalkDat(&data, cursor), 0);
    set->ReleaseDatCursor(cursor);
    EXPECT_STREQ(data.szDataID, "D1");
    EXPECT_STREQ(data.szJigyoName, "A # not a comment");
    EXPECT_EQ(data.nJigyoKubun, 3);
    EXPECT_EQ(data.nHasuuShokyaku, 0);
    EXPECT_EQ(data.nGenkaFlag, 0);

    ClRuleGenkashokyaku rule;
    rule.SetCurDataID("D1");
    ASSERT_EQ(rule.MoveReady(nullptr, RuleGenkashokyaku_Sort_Code, RuleGenkashokyaku_Sum_None), 0);
    StKOTEISHISANINFO master;
    StKOTEINENINFO year;
    StKOTEITSUKIINFO month;
    ASSERT_EQ(rule.Move(0, &master, &year, &month), 0);
    EXPECT_EQ(master.nJigyoWariai, 10000);
    EXPECT_EQ(master.nJigyoKubun, 1);
    EXPECT_STREQ(master.szSuuryo, "");
}

TEST(ImportTest, DataSetReadAgainReplacesItsAssets) {
    TestHome home;
    home.Import(std::string(kHead) + Asset("") + Asset(""));
    home.Import(std::string(kHead) + "[asset]\nname = only\nacquired = 20240101\ncost = 1\nmethod = 1\n");
    ClRuleGenkashokyaku rule;
    rule.SetCurDataID("D1");
    ASSERT_EQ(rule.MoveReady(nullptr, RuleGenkashokyaku_Sort_Code, RuleGenkashokyaku_Sum_None), 0);
    long count = 0;
    rule.GetCount(&count);
    EXPECT_EQ(count, 1);
}

struct FolderCase {
    const char* path;
    const char* stored;
};

// "表" is 0x95 0x5c: its trail byte is no separator.
const FolderCase kFolders[] = {
    {"C:\\Data\\", "C:\\Data\\"},
    {"C:\\Data", "C:\\Data\\"},
    {"C:\\\xe8\xa1\xa8", "C:\\\x95\x5c\\"},
};

class ImportFolderTest : public testing::TestWithParam<FolderCase> {};

TEST_P(ImportFolderTest, FolderEndsInASeparator) {
    TestHome home;
    home.Import(std::string("[folder]\ntype = 1\npath = ") + GetParam().path + "\n");
    char path[MAX_PATH + 1];
    EXPECT_EQ(ClFileMgr::Inst()->GetAppFolderPath(1, path), 0);
    EXPECT_STREQ(path, GetParam().stored);
    EXPECT_EQ(ClFileMgr::Inst()->GetAppFolderPath(0, path), BOK_NO_MORE_RECORDS);
    EXPECT_STREQ(path, "");
}

INSTANTIATE_TEST_SUITE_P(Import, ImportFolderTest, testing::ValuesIn(kFolders));

TEST(ImportTest, KeyOutsideAnySectionIsRefused) {
    TestHome home;
    bok::AdminError error;
    EXPECT_FALSE(bok::ImportText(home.Path(), "# comment\nid = D1\n", &error));
    EXPECT_EQ(error.line, 2);
    EXPECT_EQ(error.field, "id");
}

TEST(ImportTest, MissingFileIsRefused) {
    TestHome home;
    bok::AdminError error;
    EXPECT_FALSE(bok::ImportFile(home.Path(), home.File("no-such-file.txt"), &error));
    EXPECT_NE(error.message.find("no-such-file.txt"), std::string::npos);
}

// The README describes the [asset] keys in a table; it must be the one the
// platform's column table makes, so that a key, type or default changed in
// the code cannot leave the README behind.
TEST(ImportTest, ReadmeAssetTableIsTheColumnTable) {
    std::ifstream in(DEPRLINK_README, std::ios::binary);
    ASSERT_TRUE(in) << DEPRLINK_README;
    std::ostringstream text;
    text << in.rdbuf();
    const std::string readme = text.str();
    const std::string lead = "`[asset]`, a fixed asset with its figures for the year.\n\n";
    const size_t start = readme.find(lead);
    ASSERT_NE(start, std::string::npos);
    const size_t tableStart = start + lead.size();
    const size_t tableEnd = readme.find("\n\n", tableStart);
    ASSERT_NE(tableEnd, std::string::npos);
    EXPECT_EQ(readme.substr(tableStart, tableEnd + 1 - tableStart), bok::AssetKeyTable());
}

}  // namespace
