#include "report/ClReportWriter.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ReportTestSupport.h"
#include "compat/msgbox.h"
#include "compat/testhooks.h"
#include "deprec/ClGenkashokyakuProc.h"
#include "platform/BokAdmin.h"
#include "platform/BokBCore.h"
#include "platform/BokCmn.h"
#include "tests/TestEnvironment.h"
#include "ui/ProgressDlg.h"

using reporttest::ReadFile;
using reporttest::WindowsPath;

namespace {

#if defined(DEPRLINK_TEST_EDITION_PRO)
const std::string kDefaultName = "ミルダン１９ PRO";
const std::u8string kDefaultNameUtf8 = u8"ミルダン１９ PRO";
#else
const std::string kDefaultName = "ミルダン１９";
const std::u8string kDefaultNameUtf8 = u8"ミルダン１９";
#endif

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n";

// The worked example's company data: A&B商事 in ASCII letters, the year
// 2017, fraction handling 0.
StDATAINFO ExampleData() {
    StDATAINFO data;
    std::memset(&data, 0, sizeof data);
    std::strcpy(data.szDataID, "D1");
    std::strcpy(data.szJigyoName, "A&B商事");
    data.nKikanFrom = 20170101;
    data.nKikanTo = 20171231;
    data.nHasuuShokyaku = 0;
    return data;
}

// The worked example from the declaration to the DATA start tag.
std::string ExampleHead(const std::string& productName, const std::string& productVersion) {
    return kDeclaration +
           "<REPORT>\r\n"
           "\t<SYSTEM>\r\n"
           "\t\t<GYOUMUPREFIX>QZ14</GYOUMUPREFIX>\r\n"
           "\t\t<VERSION>1</VERSION>\r\n"
           "\t\t<FUNCTIONID>3</FUNCTIONID>\r\n"
           "\t\t<CONNECTEDPROGRAMVER>19.01.00</CONNECTEDPROGRAMVER>\r\n"
           "\t\t<PROGRAMNAME>" +
           productName +
           "</PROGRAMNAME>\r\n"
           "\t\t<PROGRAMVER>" +
           productVersion +
           "</PROGRAMVER>\r\n"
           "\t</SYSTEM>\r\n"
           "\t<BASIC>\r\n"
           "\t\t<KOMONSAKINAME>\x82\x60\x81\x95\x82\x61"
           "商事</KOMONSAKINAME>\r\n"
           "\t\t<JIGYOUNENDOFROM>20170101</JIGYOUNENDOFROM>\r\n"
           "\t\t<JIGYOUNENDOTO>20171231</JIGYOUNENDOTO>\r\n"
           "\t\t<HASUU_SYOUKYAKU>3</HASUU_SYOUKYAKU>\r\n"
           "\t\t<HASUU_ZANZON>1</HASUU_ZANZON>\r\n"
           "\t</BASIC>\r\n"
           "\t<DATA>\r\n";
}

const std::string kEmptyDataTail =
    "\t</DATA>\r\n"
    "</REPORT>\r\n";

template <size_t N>
void Put(char (&field)[N], const char* text) {
    ASSERT_LT(std::strlen(text), N);
    std::strcpy(field, text);
}

std::unique_ptr<StSISANDATA> EmptyRecord() {
    auto record = std::make_unique<StSISANDATA>();
    std::memset(record.get(), 0, sizeof *record);
    return record;
}

// Records the progress window's calls: the captions, and for every move
// of the main bar the pulses that followed it.
class RecordingView : public IProgressView {
public:
    struct Move {
        int pos;
        int pulsesAfter;
    };
    void SetCaption(const char* caption) override { captions.emplace_back(caption); }
    void SetMainBar(int, int, int pos) override { moves.push_back({pos, 0}); }
    // A pulse starts its secondary bar at 0; its steps never stand there.
    void SetSubBar(int, int upper, int pos) override {
        if (upper != 5 || pos != 0) return;
        if (moves.empty())
            ++pulsesBeforeMoves;
        else
            ++moves.back().pulsesAfter;
    }
    void BringToTop() override {}
    void Repaint() override {}

    std::vector<std::string> captions;
    std::vector<Move> moves;
    int pulsesBeforeMoves = 0;
};

// The file as it stands at each pulse, read while the writer holds it.
class FileLengthAtPulseView : public IProgressView {
public:
    explicit FileLengthAtPulseView(std::string path) : m_strPath(std::move(path)) {}
    void SetCaption(const char*) override {}
    void SetMainBar(int, int, int) override {}
    void SetSubBar(int, int upper, int pos) override {
        if (upper != 5 || pos != 0) return;
        last = reporttest::PeekFile(m_strPath);
        lengths.push_back(last.size());
    }
    void BringToTop() override {}
    void Repaint() override {}

    std::vector<size_t> lengths;
    std::string last;  // the file at the last pulse

private:
    std::string m_strPath;
    reporttest::ScopedPeekableFiles m_peekable;
};

// Every test has a home of its own (no drive table: Z: is the host's
// root) and runs in its own folder, where no SUPPORT.INF lies unless the
// test puts one there.
class ReportWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.Ok());
        m_writer.SetProgressDlg(&m_progress);
        m_writer.SetAssetList(&m_list);
        m_writer.SetProgressBase(400);
        m_progress.InitBars();
    }
    ~ReportWriterTest() override {
        for (StSISANDATA* record : m_list) delete record;
    }

    std::string HostFile(const char* name = "report.xml") const { return m_dir.File(name); }
    // Where the report is written before it is renamed over its path.
    std::string TempFile(const char* name = "report.xml") const { return m_dir.File(name) + kReportTempSuffix; }
    bool Exists(const std::string& host) const { return std::filesystem::exists(host); }
    int Write(short functionId = 3) { return Write(HostFile(), functionId); }
    int Write(const std::string& host, short functionId = 3) {
        return m_writer.WriteReport(WindowsPath(host).c_str(), functionId, &m_data);
    }
    void Add(std::unique_ptr<StSISANDATA> record) { m_list.push_back(record.release()); }
    void WriteSupportInfo(const std::string& bytes) { reporttest::WriteFile(m_dir.File("SUPPORT.INF"), bytes); }

    testsupport::ScopedPlatformHome m_dir{"deprlink-report"};
    reporttest::ScopedChdir m_cwd{m_dir.Path()};
    StDATAINFO m_data = ExampleData();
    SisanDataList m_list;
    CProgressDlg m_progress;
    ClReportWriter m_writer;
};

// --- The document -----------------------------------------------------------

struct SupportInfoCase {
    const char* label;
    const char* file;  // null: no SUPPORT.INF
    std::string name;
    std::string version;
};

const SupportInfoCase kSupportInfoCases[] = {
    {"no support-info file", nullptr, kDefaultName, "19.00.0X"},
    {"both values", "[=製品名=]ミルダン１９ 会計\r\n[=製品ﾊﾞｰｼﾞｮﾝ=]19.00.05\r\n\x1A", "ミルダン１９ 会計", "19.00.05"},
    {"name key with nothing after it", "[=製品名=]\r\n[=製品ﾊﾞｰｼﾞｮﾝ=]19.00.06", kDefaultName, "19.00.06"},
    {"values needing escapes", "[=製品名=]A&B\r\n[=製品ﾊﾞｰｼﾞｮﾝ=]<1>\r\n", "A&amp;B", "&lt;1&gt;"},
};

TEST_F(ReportWriterTest, WorkedExample) {
    for (const SupportInfoCase& c : kSupportInfoCases) {
        std::filesystem::remove(m_dir.File("SUPPORT.INF"));
        if (c.file != nullptr) WriteSupportInfo(c.file);
        EXPECT_EQ(Write(), 1) << c.label;
        EXPECT_EQ(ReadFile(HostFile()), ExampleHead(c.name, c.version) + kEmptyDataTail) << c.label;
    }
}

// Without memory for the support-info file each lookup says so, and the
// defaults are written all the same.
TEST_F(ReportWriterTest, OutOfMemoryForSupportInfoWritesDefaults) {
    WriteSupportInfo("[=製品名=]X\r\n[=製品ﾊﾞｰｼﾞｮﾝ=]Y\r\n");
    std::vector<std::string> shown;
    compat::MessageBoxHandler previous =
        compat::SetMessageBoxHandler([&shown](HWND, const char* text, const char*, UINT) {
            shown.emplace_back(text);
            return IDOK;
        });
    compat::FailNextGlobalAllocs(2);
    const int result = Write();
    compat::FailNextGlobalAllocs(0);
    compat::SetMessageBoxHandler(previous);

    EXPECT_EQ(result, 1);
    EXPECT_EQ(ReadFile(HostFile()), ExampleHead(kDefaultName, "19.00.0X") + kEmptyDataTail);
    EXPECT_EQ(shown, std::vector<std::string>(2, "ﾒﾓﾘが不足しています。"));
}

struct BasicCase {
    const char* label;
    short functionId;
    const char* name;
    int from, to;
    uint8_t fraction;
    std::vector<std::string> lines;
};

const BasicCase kBasicCases[] = {
    {"negative function id", -1, "A&B商事", 20170101, 20171231, 0, {"\t\t<FUNCTIONID>-1</FUNCTIONID>\r\n"}},
    {"largest function id", 32767, "x", 20170101, 20171231, 0, {"\t\t<FUNCTIONID>32767</FUNCTIONID>\r\n"}},
    {"empty business name", 3, "", 20170101, 20171231, 0, {"\t\t<KOMONSAKINAME></KOMONSAKINAME>\r\n"}},
    {"round up",
     3,
     "x",
     20170101,
     20171231,
     1,
     {"\t\t<HASUU_SYOUKYAKU>2</HASUU_SYOUKYAKU>\r\n", "\t\t<HASUU_ZANZON>1</HASUU_ZANZON>\r\n"}},
    {"round down",
     3,
     "x",
     20170101,
     20171231,
     2,
     {"\t\t<HASUU_SYOUKYAKU>1</HASUU_SYOUKYAKU>\r\n", "\t\t<HASUU_ZANZON>1</HASUU_ZANZON>\r\n"}},
    {"period as plain numbers",
     3,
     "x",
     20190501,
     20200430,
     0,
     {"\t\t<JIGYOUNENDOFROM>20190501</JIGYOUNENDOFROM>\r\n\t\t<JIGYOUNENDOTO>20200430</JIGYOUNENDOTO>\r\n"}},
    {"name already full-width",
     3,
     "ＡＢＣ商事",
     20170101,
     20171231,
     0,
     {"\t\t<KOMONSAKINAME>ＡＢＣ商事</KOMONSAKINAME>\r\n"}},
};

TEST_F(ReportWriterTest, SystemAndBasicValues) {
    for (const BasicCase& c : kBasicCases) {
        std::strcpy(m_data.szJigyoName, c.name);
        m_data.nKikanFrom = c.from;
        m_data.nKikanTo = c.to;
        m_data.nHasuuShokyaku = c.fraction;
        EXPECT_EQ(Write(c.functionId), 1) << c.label;
        const std::string file = ReadFile(HostFile());
        for (const std::string& line : c.lines)
            EXPECT_NE(file.find("\r\n" + line), std::string::npos) << c.label << ": " << line;
    }
}

TEST_F(ReportWriterTest, BusinessNameWithoutTerminatorEndsAtItsField) {
    std::memset(m_data.szJigyoName, 'a', sizeof m_data.szJigyoName);
    EXPECT_EQ(Write(), 1);
    // 260 letters become 31 full-width ones within the 63-byte limit.
    std::string expected = "\t\t<KOMONSAKINAME>";
    for (int i = 0; i < 31; ++i) expected += "ａ";
    expected += "</KOMONSAKINAME>\r\n";
    EXPECT_NE(ReadFile(HostFile()).find(expected), std::string::npos);
}

TEST_F(ReportWriterTest, UnknownFractionEndsBasicAfterThreeLines) {
    m_data.nHasuuShokyaku = 3;
    FileLengthAtPulseView view(TempFile());
    CProgressDlg progress(&view);
    progress.InitBars();
    m_writer.SetProgressDlg(&progress);
    EXPECT_EQ(Write(), 0);
    // What had been written at the last pulse; the failed report then
    // went, and nothing came to its path.
    const std::string expected = kDeclaration +
                                 "<REPORT>\r\n"
                                 "\t<SYSTEM>\r\n"
                                 "\t\t<GYOUMUPREFIX>QZ14</GYOUMUPREFIX>\r\n"
                                 "\t\t<VERSION>1</VERSION>\r\n"
                                 "\t\t<FUNCTIONID>3</FUNCTIONID>\r\n"
                                 "\t\t<CONNECTEDPROGRAMVER>19.01.00</CONNECTEDPROGRAMVER>\r\n"
                                 "\t\t<PROGRAMNAME>" +
                                 kDefaultName +
                                 "</PROGRAMNAME>\r\n"
                                 "\t\t<PROGRAMVER>19.00.0X</PROGRAMVER>\r\n"
                                 "\t</SYSTEM>\r\n"
                                 "\t<BASIC>\r\n"
                                 "\t\t<KOMONSAKINAME>\x82\x60\x81\x95\x82\x61"
                                 "商事</KOMONSAKINAME>\r\n"
                                 "\t\t<JIGYOUNENDOFROM>20170101</JIGYOUNENDOFROM>\r\n"
                                 "\t\t<JIGYOUNENDOTO>20171231</JIGYOUNENDOTO>\r\n";
    EXPECT_EQ(view.last, expected);
    EXPECT_FALSE(Exists(HostFile()));
    EXPECT_FALSE(Exists(TempFile()));
    // SYSTEM advanced the bar; BASIC did not.
    EXPECT_EQ(progress.MainPos(), 500);
}

// --- The asset section ------------------------------------------------------

TEST_F(ReportWriterTest, AssetsWithEveryEscape) {
    auto first = EmptyRecord();
    Put(first->SISANMEI, "R&D <棚> \"A\" 'B'");
    Put(first->SUURYO, "10");
    Put(first->SUURYOTANI, "台");
    Put(first->SYUTOKUNENGETU_GENGO, "平成");
    Put(first->SYUTOKUNENGETU_NEN, "29");
    Put(first->SYUTOKUNENGETU_TUKI, "4");
    Put(first->SYUTOKUKINGAKU, "1200000");
    Put(first->SYOUKYAKUHOUHOU, "1");
    Put(first->SYOUKYAKUMEI, "定額");
    Put(first->TAIYOUNENSU, "10");
    Put(first->SYOUKYAKURITU, "0.100");
    Put(first->MISYOUKYAKUZANDAKA, "-5");
    Put(first->TEKIYOU_GEDAN, "&");
    Add(std::move(first));
    auto second = EmptyRecord();
    Put(second->SISANMEI, "パソコン＆机");
    Put(second->TEKIYOU_JYOUDAN, "<>");
    Add(std::move(second));

    const std::string expected =
        "\t<DATA>\r\n"
        "\t\t<SISAN Count=\"1\">\r\n"
        "\t\t\t<SISANMEI>R&amp;D &lt;棚&gt; &quot;A&quot; &apos;B&apos;</SISANMEI>\r\n"
        "\t\t\t<SUURYO>10</SUURYO>\r\n"
        "\t\t\t<SUURYOTANI>台</SUURYOTANI>\r\n"
        "\t\t\t<SYUTOKUNENGETU_GENGO>平成</SYUTOKUNENGETU_GENGO>\r\n"
        "\t\t\t<SYUTOKUNENGETU_NEN>29</SYUTOKUNENGETU_NEN>\r\n"
        "\t\t\t<SYUTOKUNENGETU_TUKI>4</SYUTOKUNENGETU_TUKI>\r\n"
        "\t\t\t<SYUTOKUKINGAKU>1200000</SYUTOKUKINGAKU>\r\n"
        "\t\t\t<SYOUKYAKUHOSYOUGAKU></SYOUKYAKUHOSYOUGAKU>\r\n"
        "\t\t\t<KISYUTYOUBOKAKAKU></KISYUTYOUBOKAKAKU>\r\n"
        "\t\t\t<SYOUKYAKUKISOKINGAKU></SYOUKYAKUKISOKINGAKU>\r\n"
        "\t\t\t<SYOUKYAKUHOUHOU>1</SYOUKYAKUHOUHOU>\r\n"
        "\t\t\t<SYOUKYAKUMEI>定額</SYOUKYAKUMEI>\r\n"
        "\t\t\t<KEIKASOTI></KEIKASOTI>\r\n"
        "\t\t\t<TAIYOUNENSU>10</TAIYOUNENSU>\r\n"
        "\t\t\t<SYOUKYAKURITU>0.100</SYOUKYAKURITU>\r\n"
        "\t\t\t<KAITEISYOUKYAKURITU></KAITEISYOUKYAKURITU>\r\n"
        "\t\t\t<KAITEISYUTOKUKAGAKU></KAITEISYUTOKUKAGAKU>\r\n"
        "\t\t\t<SYOUKYAKUKIKAN></SYOUKYAKUKIKAN>\r\n"
        "\t\t\t<CHOUSEIMAESYOUKYAKUGAKU></CHOUSEIMAESYOUKYAKUGAKU>\r\n"
        "\t\t\t<FUTUUSYOUKYAKUHI></FUTUUSYOUKYAKUHI>\r\n"
        "\t\t\t<WARIMASISYOUKYAKUHI></WARIMASISYOUKYAKUHI>\r\n"
        "\t\t\t<JIGYOUSENYUWARIAI></JIGYOUSENYUWARIAI>\r\n"
        "\t\t\t<HITUYOUKEIHISANNYUUGAKU></HITUYOUKEIHISANNYUUGAKU>\r\n"
        "\t\t\t<MISYOUKYAKUZANDAKA>-5</MISYOUKYAKUZANDAKA>\r\n"
        "\t\t\t<TEKIYOU_JYOUDAN></TEKIYOU_JYOUDAN>\r\n"
        "\t\t\t<TEKIYOU_GEDAN>&amp;</TEKIYOU_GEDAN>\r\n"
        "\t\t</SISAN>\r\n"
        "\t\t<SISAN Count=\"2\">\r\n"
        "\t\t\t<SISANMEI>パソコン＆机</SISANMEI>\r\n"
        "\t\t\t<SUURYO></SUURYO>\r\n"
        "\t\t\t<SUURYOTANI></SUURYOTANI>\r\n"
        "\t\t\t<SYUTOKUNENGETU_GENGO></SYUTOKUNENGETU_GENGO>\r\n"
        "\t\t\t<SYUTOKUNENGETU_NEN></SYUTOKUNENGETU_NEN>\r\n"
        "\t\t\t<SYUTOKUNENGETU_TUKI></SYUTOKUNENGETU_TUKI>\r\n"
        "\t\t\t<SYUTOKUKINGAKU></SYUTOKUKINGAKU>\r\n"
        "\t\t\t<SYOUKYAKUHOSYOUGAKU></SYOUKYAKUHOSYOUGAKU>\r\n"
        "\t\t\t<KISYUTYOUBOKAKAKU></KISYUTYOUBOKAKAKU>\r\n"
        "\t\t\t<SYOUKYAKUKISOKINGAKU></SYOUKYAKUKISOKINGAKU>\r\n"
        "\t\t\t<SYOUKYAKUHOUHOU></SYOUKYAKUHOUHOU>\r\n"
        "\t\t\t<SYOUKYAKUMEI></SYOUKYAKUMEI>\r\n"
        "\t\t\t<KEIKASOTI></KEIKASOTI>\r\n"
        "\t\t\t<TAIYOUNENSU></TAIYOUNENSU>\r\n"
        "\t\t\t<SYOUKYAKURITU></SYOUKYAKURITU>\r\n"
        "\t\t\t<KAITEISYOUKYAKURITU></KAITEISYOUKYAKURITU>\r\n"
        "\t\t\t<KAITEISYUTOKUKAGAKU></KAITEISYUTOKUKAGAKU>\r\n"
        "\t\t\t<SYOUKYAKUKIKAN></SYOUKYAKUKIKAN>\r\n"
        "\t\t\t<CHOUSEIMAESYOUKYAKUGAKU></CHOUSEIMAESYOUKYAKUGAKU>\r\n"
        "\t\t\t<FUTUUSYOUKYAKUHI></FUTUUSYOUKYAKUHI>\r\n"
        "\t\t\t<WARIMASISYOUKYAKUHI></WARIMASISYOUKYAKUHI>\r\n"
        "\t\t\t<JIGYOUSENYUWARIAI></JIGYOUSENYUWARIAI>\r\n"
        "\t\t\t<HITUYOUKEIHISANNYUUGAKU></HITUYOUKEIHISANNYUUGAKU>\r\n"
        "\t\t\t<MISYOUKYAKUZANDAKA></MISYOUKYAKUZANDAKA>\r\n"
        "\t\t\t<TEKIYOU_JYOUDAN>&lt;&gt;</TEKIYOU_JYOUDAN>\r\n"
        "\t\t\t<TEKIYOU_GEDAN></TEKIYOU_GEDAN>\r\n"
        "\t\t</SISAN>\r\n"
        "\t</DATA>\r\n";

    CFile file;
    ClXmlWriter xml;
    ASSERT_EQ(xml.Open(&file, WindowsPath(HostFile()).c_str()), 0);
    EXPECT_EQ(m_writer.WriteData(xml), 1);
    EXPECT_EQ(xml.Close(), 0);
    EXPECT_EQ(ReadFile(HostFile()), expected);
    // One pulse per asset, and the advance over 600..700 with one each.
    EXPECT_EQ(m_progress.PulseCount(), 2 + 101);
    EXPECT_EQ(m_progress.MainPos(), 700);
}

TEST_F(ReportWriterTest, EmptyListStillAdvances) {
    CFile file;
    ClXmlWriter xml;
    ASSERT_EQ(xml.Open(&file, WindowsPath(HostFile()).c_str()), 0);
    EXPECT_EQ(m_writer.WriteData(xml), 1);
    EXPECT_EQ(xml.Close(), 0);
    EXPECT_EQ(ReadFile(HostFile()), "\t<DATA>\r\n\t</DATA>\r\n");
    EXPECT_EQ(m_progress.PulseCount(), 101);
    EXPECT_EQ(m_progress.MainPos(), 700);
    EXPECT_EQ(m_progress.Caption(), "集計中 70％");
}

// Notes the report file's length at every pulse: each line reaches the file
// in its own write, so the length says which lines a pulse came after.

// An asset whose fields are all empty, as its 28 lines read.
std::string EmptyAssetLines(int count) {
    static const char* const kNames[] = {
        "SISANMEI",
        "SUURYO",
        "SUURYOTANI",
        "SYUTOKUNENGETU_GENGO",
        "SYUTOKUNENGETU_NEN",
        "SYUTOKUNENGETU_TUKI",
        "SYUTOKUKINGAKU",
        "SYOUKYAKUHOSYOUGAKU",
        "KISYUTYOUBOKAKAKU",
        "SYOUKYAKUKISOKINGAKU",
        "SYOUKYAKUHOUHOU",
        "SYOUKYAKUMEI",
        "KEIKASOTI",
        "TAIYOUNENSU",
        "SYOUKYAKURITU",
        "KAITEISYOUKYAKURITU",
        "KAITEISYUTOKUKAGAKU",
        "SYOUKYAKUKIKAN",
        "CHOUSEIMAESYOUKYAKUGAKU",
        "FUTUUSYOUKYAKUHI",
        "WARIMASISYOUKYAKUHI",
        "JIGYOUSENYUWARIAI",
        "HITUYOUKEIHISANNYUUGAKU",
        "MISYOUKYAKUZANDAKA",
        "TEKIYOU_JYOUDAN",
        "TEKIYOU_GEDAN",
    };
    std::string lines = "\t\t<SISAN Count=\"" + std::to_string(count) + "\">\r\n";
    for (const char* name : kNames) lines += std::string("\t\t\t<") + name + "></" + name + ">\r\n";
    return lines + "\t\t</SISAN>\r\n";
}

TEST_F(ReportWriterTest, EachAssetPulsesOnceAfterItsEndTag) {
    Add(EmptyRecord());
    Add(EmptyRecord());
    FileLengthAtPulseView view(HostFile());
    CProgressDlg progress(&view);
    m_writer.SetProgressDlg(&progress);

    reporttest::PeekableFile file;
    ClXmlWriter xml;
    ASSERT_EQ(xml.Open(&file, WindowsPath(HostFile()).c_str()), 0);
    EXPECT_EQ(m_writer.WriteData(xml), 1);
    EXPECT_EQ(xml.Close(), 0);

    const std::string start = "\t<DATA>\r\n";
    const std::string first = EmptyAssetLines(1), second = EmptyAssetLines(2);
    const std::string end = "\t</DATA>\r\n";
    ASSERT_EQ(ReadFile(HostFile()), start + first + second + end);
    // One pulse after each asset's end tag, none within its lines, then the
    // advance over 600..700 after the section's end tag.
    std::vector<size_t> expected = {(start + first).size(), (start + first + second).size()};
    expected.insert(expected.end(), 101, (start + first + second + end).size());
    EXPECT_EQ(view.lengths, expected);
}
TEST_F(ReportWriterTest, HundredthAssetCountsOnWithoutGaps) {
    for (int i = 0; i < 100; ++i) Add(EmptyRecord());
    EXPECT_EQ(Write(), 1);
    const std::string file = ReadFile(HostFile());
    size_t at = 0;
    for (int i = 1; i <= 100; ++i) {
        const std::string tag = "\t\t<SISAN Count=\"" + std::to_string(i) + "\">\r\n\t\t\t<SISANMEI></SISANMEI>\r\n";
        size_t found = file.find(tag, at);
        ASSERT_NE(found, std::string::npos) << i;
        at = found + tag.size();
    }
    EXPECT_NE(file.find("\t\t</SISAN>\r\n\t\t<SISAN Count=\"100\">\r\n"), std::string::npos);
    EXPECT_EQ(file.find("Count=\"101\""), std::string::npos);
    const std::string tail = "\t\t</SISAN>\r\n" + kEmptyDataTail;
    EXPECT_EQ(file.substr(file.size() - tail.size()), tail);
}

TEST_F(ReportWriterTest, WithoutListOrDialog) {
    m_writer.SetAssetList(nullptr);
    m_writer.SetProgressDlg(nullptr);
    EXPECT_EQ(Write(), 1);
    EXPECT_EQ(ReadFile(HostFile()), ExampleHead(kDefaultName, "19.00.0X") + kEmptyDataTail);
    EXPECT_EQ(m_progress.PulseCount(), 0);
}

TEST_F(ReportWriterTest, FieldsWithoutTerminatorEndAtTheirWidth) {
    auto record = EmptyRecord();
    std::memset(record.get(), 'n', sizeof *record);
    Add(std::move(record));
    EXPECT_EQ(Write(), 1);
    const std::string file = ReadFile(HostFile());
    EXPECT_NE(file.find("<SISANMEI>" + std::string(33, 'n') + "</SISANMEI>"), std::string::npos);
    EXPECT_NE(file.find("<SUURYO>" + std::string(12, 'n') + "</SUURYO>"), std::string::npos);
    EXPECT_NE(file.find("<TEKIYOU_GEDAN>" + std::string(22, 'n') + "</TEKIYOU_GEDAN>"), std::string::npos);
}

// --- Failures ---------------------------------------------------------------

TEST_F(ReportWriterTest, DeviceFull) {
    EXPECT_EQ(m_writer.WriteReport(reporttest::FullDiskFile().c_str(), 3, &m_data), 0);
    // Only the pulse after the root start tag: no section got through.
    EXPECT_EQ(m_progress.PulseCount(), 1);
    EXPECT_EQ(m_progress.MainPos(), 0);
    EXPECT_EQ(m_progress.Caption(), "集計中");
}

TEST_F(ReportWriterTest, FileThatCannotBeCreated) {
    reporttest::WriteFile(HostFile("plain"), "kept");
    EXPECT_EQ(Write(HostFile("plain") + "/report.xml"), 0);
    EXPECT_EQ(ReadFile(HostFile("plain")), "kept");
    EXPECT_EQ(m_progress.PulseCount(), 1);
    EXPECT_EQ(m_progress.MainPos(), 0);
}

// A report path that another opener holds (a reader of the old report, a
// run writing it, a program holding it locked) is left alone: the report
// fails before a line is written and the file keeps its bytes.
TEST_F(ReportWriterTest, AHeldReportPathIsLeftAlone) {
    reporttest::WriteFile(HostFile(), "the previous report");
    {
        CFile reader;
        ASSERT_TRUE(reader.Open(WindowsPath(HostFile()).c_str(), CFile::modeRead | CFile::shareDenyWrite));
        EXPECT_EQ(Write(), 0);
    }
    {
        reporttest::OtherProgramsLock lock(HostFile());
        ASSERT_TRUE(lock.Held());
        EXPECT_EQ(Write(), 0);
    }
    EXPECT_EQ(ReadFile(HostFile()), "the previous report");
    EXPECT_FALSE(Exists(TempFile()));
    // Only the pulse after the root start tag, as for a file that cannot
    // be created.
    EXPECT_EQ(m_progress.PulseCount(), 2);
    EXPECT_EQ(m_progress.MainPos(), 0);

    // Once free, the whole report replaces it.
    EXPECT_EQ(Write(), 1);
    EXPECT_EQ(ReadFile(HostFile()), ExampleHead(kDefaultName, "19.00.0X") + kEmptyDataTail);
    EXPECT_FALSE(Exists(TempFile()));
}

// A path so long that "<path>.tmp" would not be a Windows path: the
// temporary file takes a short name in the same folder.
TEST_F(ReportWriterTest, ALongPathStillGetsItsTemporaryFile) {
    const size_t folderLength = WindowsPath(m_dir.Path()).size() + 1;
    ASSERT_LT(folderLength, 200u);
    const std::string name(257 - folderLength, 'n');
    ASSERT_EQ(WindowsPath(HostFile(name.c_str())).size(), 257u);
    FileLengthAtPulseView view(m_dir.File("~DeprLink.tmp"));
    CProgressDlg progress(&view);
    m_writer.SetProgressDlg(&progress);
    EXPECT_EQ(Write(HostFile(name.c_str())), 1);
    EXPECT_FALSE(view.lengths.empty());
    EXPECT_GT(view.lengths.front(), 0u);
    EXPECT_EQ(ReadFile(HostFile(name.c_str())), ExampleHead(kDefaultName, "19.00.0X") + kEmptyDataTail);
    EXPECT_FALSE(Exists(m_dir.File("~DeprLink.tmp")));
}

TEST_F(ReportWriterTest, NullPathOrData) {
    EXPECT_EQ(m_writer.WriteReport(nullptr, 3, &m_data), 0);
    FileLengthAtPulseView view(TempFile());
    CProgressDlg progress(&view);
    m_writer.SetProgressDlg(&progress);
    EXPECT_EQ(m_writer.WriteReport(WindowsPath(HostFile()).c_str(), 3, nullptr), 0);
    EXPECT_FALSE(Exists(HostFile()));
    EXPECT_FALSE(Exists(TempFile()));
    // Without data the report ended after SYSTEM.
    EXPECT_EQ(view.last, kDeclaration +
                             "<REPORT>\r\n"
                             "\t<SYSTEM>\r\n"
                             "\t\t<GYOUMUPREFIX>QZ14</GYOUMUPREFIX>\r\n"
                             "\t\t<VERSION>1</VERSION>\r\n"
                             "\t\t<FUNCTIONID>3</FUNCTIONID>\r\n"
                             "\t\t<CONNECTEDPROGRAMVER>19.01.00</CONNECTEDPROGRAMVER>\r\n"
                             "\t\t<PROGRAMNAME>" +
                             kDefaultName +
                             "</PROGRAMNAME>\r\n"
                             "\t\t<PROGRAMVER>19.00.0X</PROGRAMVER>\r\n"
                             "\t</SYSTEM>\r\n");
}

// A failure at an exact byte, the root end tag's included: the report is
// not whole, so its path keeps what it held before and no temporary file
// is left.
struct CutCase {
    const char* label;
    size_t keptLines;  // of the worked example, declaration first
};

const CutCase kCutCases[] = {
    {"at the first SYSTEM line", 2},   {"at PROGRAMNAME", 8},
    {"at the BASIC start tag", 11},    {"at the DATA end tag", 18},
    {"at the root end tag alone", 19},
};

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find("\r\n", at);
        lines.push_back(text.substr(at, end + 2 - at));
        at = end + 2;
    }
    return lines;
}

TEST_F(ReportWriterTest, FailureAtAnExactLineKeepsTheLinesBefore) {
    const std::vector<std::string> lines = SplitLines(ExampleHead(kDefaultName, "19.00.0X") + kEmptyDataTail);
    ASSERT_EQ(lines.size(), 20u);
    reporttest::WriteFile(HostFile(), "the previous report");
    for (const CutCase& c : kCutCases) {
        std::string kept;
        for (size_t i = 0; i < c.keptLines; ++i) kept += lines[i];
        CProgressDlg progress;
        m_writer.SetProgressDlg(&progress);
        int result;
        {
            reporttest::ScopedWriteLimit limit(kept.size());
            result = Write();
        }
        EXPECT_EQ(result, 0) << c.label;
        EXPECT_EQ(ReadFile(HostFile()), "the previous report") << c.label;
        EXPECT_FALSE(Exists(TempFile())) << c.label;
    }
    // With room for every line the report replaces the old file.
    m_writer.SetProgressDlg(&m_progress);
    ASSERT_EQ(Write(), 1);
    EXPECT_EQ(ReadFile(HostFile()), ExampleHead(kDefaultName, "19.00.0X") + kEmptyDataTail);
}

TEST_F(ReportWriterTest, FullFileSystem) {
    reporttest::SmallDisk small(m_dir);
    if (!small.Ready()) GTEST_SKIP() << small.Why();
    for (int i = 0; i < 10; ++i) Add(EmptyRecord());

    EXPECT_EQ(Write(small.File("report.xml")), 0);
    // The full disk holds neither a partial report nor its temporary file.
    EXPECT_TRUE(small.IsEmpty());
    // No section after the failing one advanced the bar.
    EXPECT_EQ(m_progress.MainPos(), 600);

    CProgressDlg progress;
    m_writer.SetProgressDlg(&progress);
    ASSERT_EQ(Write(), 1);
    EXPECT_EQ(ReadFile(HostFile()).substr(0, ExampleHead(kDefaultName, "19.00.0X").size()),
              ExampleHead(kDefaultName, "19.00.0X"));
}

// A product name or version too long for its line gives the default
// value, and the report is written all the same.  Two TABs, the tags,
// CR LF and the NUL leave 224 bytes of the 256-byte line to the name and
// 226 to the version.
struct LongSupportValueCase {
    const char* label;
    std::string name;
    std::string version;
    std::string nameWritten;
    std::string versionWritten;
};

const LongSupportValueCase kLongSupportValues[] = {
    {"longest that fit", std::string(224, 'p'), std::string(226, 'v'), std::string(224, 'p'), std::string(226, 'v')},
    {"one byte more", std::string(225, 'p'), std::string(227, 'v'), kDefaultName, "19.00.0X"},
    {"beyond the value buffer", std::string(300, 'p'), std::string(256, 'v'), kDefaultName, "19.00.0X"},
    {"escaped form too long", std::string(45, '&'), "1.0", kDefaultName, "1.0"},
};

TEST_F(ReportWriterTest, OverlongProductValuesGiveTheDefaults) {
    for (const LongSupportValueCase& c : kLongSupportValues) {
        WriteSupportInfo("[=製品名=]" + c.name + "\r\n[=製品ﾊﾞｰｼﾞｮﾝ=]" + c.version + "\r\n");
        EXPECT_EQ(Write(), 1) << c.label;
        EXPECT_EQ(ReadFile(HostFile()), ExampleHead(c.nameWritten, c.versionWritten) + kEmptyDataTail) << c.label;
    }
}

// A close that a network share or a quota refuses, after every line went
// through: the data may not be in the file, so the report has failed.
class CloseFailingFile : public CFile {
public:
    void Close() override {
        CFile::Close();
        throw CFileException(CFileException::diskFull, ENOSPC, "report.xml");
    }
};

TEST_F(ReportWriterTest, AFileThatFailsToCloseIsAFailedReport) {
    struct ScopedFactory {
        ScopedFactory() {
            ClReportWriter::SetFileFactory(
                []() -> std::unique_ptr<CFile> { return std::make_unique<CloseFailingFile>(); });
        }
        ~ScopedFactory() { ClReportWriter::SetFileFactory(nullptr); }
    };
    {
        ScopedFactory closeFails;
        EXPECT_EQ(Write(), 0);
        // All three sections were written before the close, and neither
        // the report nor its temporary file is left behind.
        EXPECT_EQ(m_progress.MainPos(), 700);
        EXPECT_FALSE(Exists(HostFile()));
        EXPECT_FALSE(Exists(TempFile()));
    }
    // Without the factory the writer is back on plain files.
    CProgressDlg progress;
    m_writer.SetProgressDlg(&progress);
    EXPECT_EQ(Write(), 1);
}

// --- Progress over a whole run ----------------------------------------------

TEST_F(ReportWriterTest, ProgressOfARun) {
    RecordingView view;
    CProgressDlg progress(&view);
    m_writer.SetProgressDlg(&progress);
    for (int i = 0; i < 3; ++i) Add(EmptyRecord());

    // The run's own steps around the report, as the application takes them.
    progress.InitBars();
    progress.Advance(0, 200);
    progress.Advance(200, 400);
    ASSERT_EQ(Write(), 1);
    progress.Advance(700, 1000);

    // Each range moves the bar once per value with one pulse after it; the
    // writer's own pulses follow the last value of the range before them:
    // the root start tag and six SYSTEM lines, then the section and five
    // BASIC lines, the section and three assets, the last section.
    struct Range {
        int from, to, pulsesAfterLast;
    };
    const Range ranges[] = {
        {0, 200, 1}, {200, 400, 1 + 7}, {400, 500, 1 + 6}, {500, 600, 1 + 1 + 3}, {600, 700, 1 + 1}, {700, 1000, 1},
    };
    std::vector<RecordingView::Move> expected = {{0, 0}};  // InitBars
    for (const Range& r : ranges)
        for (int v = r.from; v <= r.to; ++v) expected.push_back({v, v == r.to ? r.pulsesAfterLast : 1});
    ASSERT_EQ(view.moves.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(view.moves[i].pos, expected[i].pos) << i;
        EXPECT_EQ(view.moves[i].pulsesAfter, expected[i].pulsesAfter) << "after " << expected[i].pos << " at " << i;
    }
    EXPECT_EQ(view.pulsesBeforeMoves, 0);

    // 21 captions for each range of 200, 11 for each of 100, 31 at the end.
    ASSERT_EQ(view.captions.size(), 21u + 21 + 11 + 11 + 11 + 31);
    for (int i = 0; i <= 20; ++i) {
        char caption[32];
        std::snprintf(caption, sizeof caption, "集計中 %d％", 20 + i);
        EXPECT_EQ(view.captions[21 + i], caption);
    }
    EXPECT_EQ(view.captions.back(), "集計中 100％");
    EXPECT_EQ(progress.Caption(), "集計中 100％");
    EXPECT_EQ(progress.MainPos(), 1000);
    EXPECT_EQ(progress.PulseCount(), 1006 + 7 + 6 + 4 + 1);
}

// Where the writer's pulses fall in the file: after the root start tag,
// after each text line of SYSTEM and BASIC (not after their start or end
// tags), and after each section, past the advance of its range.
TEST_F(ReportWriterTest, PulsesFollowTheLinesTheyAreStatedFor) {
    FileLengthAtPulseView view(TempFile());
    CProgressDlg progress(&view);
    m_writer.SetProgressDlg(&progress);
    ASSERT_EQ(Write(), 1);

    const std::vector<std::string> lines = SplitLines(ExampleHead(kDefaultName, "19.00.0X") + kEmptyDataTail);
    ASSERT_EQ(lines.size(), 20u);
    // The file's length once lines 0..last (declaration first) are written.
    auto after = [&lines](size_t last) {
        size_t length = 0;
        for (size_t i = 0; i <= last; ++i) length += lines[i].size();
        return length;
    };
    // The root start tag; SYSTEM's six text lines; the advance over
    // 400..500 and the pulse after the section; BASIC's five; then 500..600
    // and 600..700, each with the pulse after its section.
    std::vector<size_t> expected = {after(1)};
    for (size_t line = 3; line <= 8; ++line) expected.push_back(after(line));
    expected.insert(expected.end(), 101 + 1, after(9));
    for (size_t line = 11; line <= 15; ++line) expected.push_back(after(line));
    expected.insert(expected.end(), 101 + 1, after(16));
    expected.insert(expected.end(), 101 + 1, after(18));
    EXPECT_EQ(view.lengths, expected);
}

// --- A report of the sample company ---------------------------------------

// The signed-in user's selected data, found as the application finds it.
bool SelectedData(StDATAINFO& out) {
    std::memset(&out, 0, sizeof out);
    ClDataMgr* dataMgr = ClDataMgr::Inst();
    ClSysUser* user = dataMgr->GetSysUserObject();
    if (user == nullptr) return false;
    char userId[65] = {};
    long firstNo = 0, dataNo = 0;
    if (user->GetCurUserID(userId) != 0 || user->GetSelectedNo(userId, &firstNo, &dataNo) != 0) return false;
    auto* setData = dynamic_cast<ClSetData*>(dataMgr->GetSetObject(5, 1));
    BOKCURSOR cursor = nullptr;
    if (setData == nullptr || setData->GetDatCursor(&cursor) != 0) return false;
    bool found = false;
    if (setData->ReadyDat(cursor, 0) == 0) {
        StDATAINFO work;
        while (!found && setData->WalkDat(&work, cursor) == 0) {
            if (work.nDataNo == dataNo) {
                out = work;
                found = true;
            }
        }
    }
    setData->ReleaseDatCursor(cursor);
    return found;
}

class SampleReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.Ok());
        bok::ResetForTests();
        bok::AdminError error;
        ASSERT_TRUE(bok::InitSample(m_dir.Path(), &error)) << error.line << " " << error.message;
        compat::ReloadDriveTable();
    }
    void TearDown() override {
        for (StSISANREC* record : m_assets) delete record;
        for (StSISANDATA* record : m_output) delete record;
        bok::ResetForTests();
    }

    testsupport::ScopedPlatformHome m_dir{"deprlink-report"};
    reporttest::ScopedChdir m_cwd{m_dir.Path()};
    SisanRecList m_assets;
    SisanDataList m_output;
};

TEST_F(SampleReportTest, ParsesAndReadsBackInJapanese) {
    if (!reporttest::XmllintAvailable()) GTEST_SKIP() << "no xmllint to read the report back";
    StDATAINFO data;
    ASSERT_TRUE(SelectedData(data));
    ClGenkashokyakuProc proc;
    ASSERT_EQ(proc.Extract(m_assets, &data, 3), 1);
    ASSERT_EQ(proc.MakeSchedule(m_assets, m_output, &data), 1);
    ASSERT_FALSE(m_output.empty());

    CProgressDlg progress;
    ClReportWriter writer;
    writer.SetProgressDlg(&progress);
    writer.SetAssetList(&m_output);
    writer.SetProgressBase(400);
    const std::string report = m_dir.File("sample.xml");
    ASSERT_EQ(writer.WriteReport(WindowsPath(report).c_str(), 3, &data), 1);

    // xmllint's Shift_JIS table is stricter than code page 932.
    std::string bytes = ReadFile(report);
    const std::string declared = "encoding=\"Shift_JIS\"";
    ASSERT_EQ(bytes.find(declared), 20u);
    bytes.replace(20, declared.size(), "encoding=\"CP932\"");
    const std::string copy = m_dir.File("sample-cp932.xml");
    reporttest::WriteFile(copy, bytes);

    ASSERT_TRUE(reporttest::Xmllint({"--noout"}, copy));
    struct Query {
        const char* xpath;
        std::u8string expected;
    };
    const Query queries[] = {
        {"string(/REPORT/SYSTEM/PROGRAMNAME)", kDefaultNameUtf8},
        {"string(/REPORT/BASIC/KOMONSAKINAME)", u8"山田商事"},
        {"string(/REPORT/BASIC/JIGYOUNENDOFROM)", u8"20240101"},
        {"string(/REPORT/DATA/SISAN[@Count='1']/SISANMEI)", u8"事務所建物"},
        {"count(/REPORT/DATA/SISAN)",
         std::u8string(reinterpret_cast<const char8_t*>(std::to_string(m_output.size()).c_str()))},
    };
    for (const Query& q : queries) {
        std::optional<std::string> value = reporttest::Xmllint({"--xpath", q.xpath}, copy);
        ASSERT_TRUE(value) << q.xpath;
        if (!value->empty() && value->back() == '\n') value->pop_back();
        EXPECT_EQ(*value, testsupport::U8(q.expected.c_str())) << q.xpath;
    }
}

// --- Full-width business names ----------------------------------------------

struct FullWidthCase {
    const char* label;
    std::string text;
    std::string expected;
};

std::string Times(const std::string& text, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += text;
    return out;
}

const FullWidthCase kFullWidthCases[] = {
    {"letters", "ABC商事", "ＡＢＣ商事"},
    {"digits", "123", "１２３"},
    {"empty", "", ""},
    {"ampersand", "A&B", "\x82\x60\x81\x95\x82\x61"},
    {"angle brackets", "<>", "＜＞"},
    {"already full-width", "株式会社ミルダン商事", "株式会社ミルダン商事"},
    {"30 bytes pass whole", std::string(30, 'a'), Times("ａ", 30)},
    {"31 letters still fit", std::string(31, 'b'), Times("ｂ", 31)},
    {"32 letters keep 31", std::string(32, 'c'), Times("ｃ", 31)},
    {"40 double-byte characters keep 31", Times("漢", 40), Times("漢", 31)},
    {"long name of mixed width", "ABC" + Times("字", 40), "ＡＢＣ" + Times("字", 28)},
    {"a byte without a full-width form, then 63 bytes", "\t" + Times("漢", 40), "\t" + Times("漢", 31)},
    {"half-width katakana with voiced marks", "ｶﾞｯｺｳ", "ガッコウ"},
};

TEST(ReportWriterToFullWidth, Table) {
    for (const FullWidthCase& c : kFullWidthCases)
        EXPECT_EQ(ClReportWriter::ToFullWidth(c.text.c_str()), c.expected) << c.label;
}

TEST(ReportWriterToFullWidth, LeavesNothingToEscape) {
    const std::string result = ClReportWriter::ToFullWidth("&<>\"'");
    EXPECT_EQ(result.size(), 10u);
    EXPECT_EQ(result.find_first_of("&<>\"'"), std::string::npos);
}

TEST(ReportWriterToFullWidth, NeverCutsACharacter) {
    for (size_t n = 0; n <= 100; ++n) {
        const std::string text(n, 'x');
        const std::string result = ClReportWriter::ToFullWidth(text.c_str());
        EXPECT_LE(result.size(), 63u) << n;
        EXPECT_EQ(result.size() % 2, 0u) << n;
    }
}

}  // namespace
