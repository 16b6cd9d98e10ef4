// Whole runs: bokctl makes a platform home and starts the program as the
// accounting product would; the terminal front end takes the answers.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "compat/mbcs.h"
#include "platform/BokAdmin.h"
#include "tests/e2e/E2eSupport.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

using namespace e2e;
using testsupport::U8;

class RunFixture : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.Ok());
        m_home = m_folder.Path();
        // The program under test must not see a display of the session.
        unsetenv("DISPLAY");
        setenv("DEPRLINK_FRONTEND", "terminal", 1);
        RunResult init = Bokctl({"init", "--sample"});
        ASSERT_EQ(init.status, 0) << init.output;
    }

    RunResult Bokctl(std::vector<std::string> args, const std::string& input = "") {
        args.insert(args.begin(), {BOKCTL_PATH, "--home", m_home.string()});
        return RunCommand(args, input);
    }
    RunResult RunProgram(std::vector<std::string> args, const std::string& input) {
        args.insert(args.begin(), "run");
        return Bokctl(args, input);
    }

    fs::path Data(const char* name) const { return m_home / "drive_c/Mildan/Data" / name; }
    std::string EnvFile(const char* name) const { return ReadFile(m_home / "drive_c/Mildan/Env" / name); }

    testsupport::TempFolder m_folder{"deprlink-e2e"};
    fs::path m_home;
};

TEST_F(RunFixture, ASuccessfulRunWritesTheReportAndPostsZero) {
    const RunResult run = RunProgram({}, "3\nC:\\Mildan\\Data\\out.xml\nF12\n");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "host disabled: yes")) << run.output;
    EXPECT_TRUE(Contains(run.output, "host re-enabled: yes")) << run.output;
    // The progress dialog went to the host window while the run worked.
    EXPECT_TRUE(Contains(run.output, "progress dialog re-parented: yes")) << run.output;
    EXPECT_TRUE(Contains(run.output, "posted: message=32769 wParam=3 lParam=0")) << run.output;
    EXPECT_TRUE(Contains(run.output, U8(u8"減価償却の集計結果を正常に出力しました。"))) << run.output;

    ASSERT_TRUE(fs::exists(Data("out.xml")));
    EXPECT_TRUE(XmllintAccepts(Data("out.xml")));
    const std::string report = compat::SjisToUtf8(ReadFile(Data("out.xml")));
    EXPECT_TRUE(Contains(report, "<FUNCTIONID>3</FUNCTIONID>"));
    EXPECT_TRUE(Contains(report, U8(u8"<PROGRAMNAME>ミルダン１９</PROGRAMNAME>")));
    EXPECT_TRUE(Contains(report, U8(u8"<KOMONSAKINAME>山田商事</KOMONSAKINAME>")));
    EXPECT_TRUE(Contains(report, "<SISAN Count=\"1\">"));
    EXPECT_EQ(report.substr(report.size() - 11), "</REPORT>\r\n");

    // A host-started run remembers the category only; the path of a new
    // entry is empty.
    EXPECT_EQ(EnvFile("DeprLinkStd.env"), "yamada/1/1:0/0/3/\n");
}

TEST_F(RunFixture, CancelPostsOneWithoutProgress) {
    const RunResult run = RunProgram({}, "3\nC:\\Mildan\\Data\\out.xml\nEsc\n");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_TRUE(Contains(run.output, "posted: message=32769 wParam=3 lParam=1")) << run.output;
    EXPECT_TRUE(Contains(run.output, U8(u8"｢所得税(減価償却)｣の集計を中止します。"))) << run.output;
    EXPECT_FALSE(Contains(run.output, U8(u8"集計中"))) << run.output;
    EXPECT_TRUE(Contains(run.output, "progress dialog re-parented: no")) << run.output;
    EXPECT_FALSE(fs::exists(Data("out.xml")));
    EXPECT_FALSE(fs::exists(m_home / "drive_c/Mildan/Env/DeprLinkStd.env"));
}

TEST_F(RunFixture, AFailingWalkShowsTheFailureAndPostsTwo) {
    ASSERT_EQ(Bokctl({"fail", "Move", "-9", "--at", "2"}).status, 0);
    const RunResult run = RunProgram({}, "3\nC:\\Mildan\\Data\\out.xml\nF12\n");
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_TRUE(Contains(run.output, U8(u8"XMLファイルの出力に失敗しました。\n\nアプリケーションを終了します。")))
        << run.output;
    EXPECT_TRUE(Contains(run.output, "posted: message=32769 wParam=3 lParam=2")) << run.output;
    EXPECT_FALSE(fs::exists(Data("out.xml")));
    EXPECT_FALSE(fs::exists(m_home / "drive_c/Mildan/Env/DeprLinkStd.env"));
}

TEST_F(RunFixture, AHostStartedRunKeepsTheRememberedPath) {
    // By hand first: the path chosen is remembered.
    RunResult first = RunProgram({"--no-host-args"}, "3\nC:\\Mildan\\Data\\first.xml\nF12\n");
    EXPECT_TRUE(Contains(first.output, "posted: nothing")) << first.output;
    EXPECT_EQ(EnvFile("DeprLinkStd.env"), "yamada/1/1:0/0/3/C:\\Mildan\\Data\\first.xml\n");

    // Then from the host without a path: the user picks another file and
    // category; only the category changes.
    RunResult second = RunProgram({}, "1\nC:\\Mildan\\Data\\second.xml\nF12\n");
    EXPECT_EQ(second.status, 0) << second.output;
    EXPECT_TRUE(fs::exists(Data("second.xml")));
    EXPECT_EQ(EnvFile("DeprLinkStd.env"), "yamada/1/1:0/0/1/C:\\Mildan\\Data\\first.xml\n");
}

TEST_F(RunFixture, AHostPathIsUsedWithoutQuestionsAndTheFunctionIdGoesBothWays) {
    std::ofstream(Data("host.xml")) << "old";
    const RunResult run = RunProgram({"--function", "7", "C:\\Mildan\\Data\\host.xml"}, "\nF12\n");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "posted: message=32769 wParam=7 lParam=0")) << run.output;
    EXPECT_FALSE(Contains(run.output, U8(u8"上書きしてもよろしいですか"))) << run.output;
    EXPECT_TRUE(Contains(compat::SjisToUtf8(ReadFile(Data("host.xml"))), "<FUNCTIONID>7</FUNCTIONID>"));
}

// The host reads wParam as a 32-bit number: the 16-bit function id goes
// back sign-extended, and the report writes it as the signed number it is.
TEST_F(RunFixture, TheFunctionIdIsPostedSignExtendedAndWrittenSigned) {
    struct {
        const char* function;
        const char* wParam;
    } const cases[] = {{"-1", "4294967295"}, {"32767", "32767"}, {"-32768", "4294934528"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.function);
        const RunResult run = RunProgram({"--function", c.function, "C:\\Mildan\\Data\\id.xml"}, "\nF12\n");
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_TRUE(Contains(run.output, std::string("posted: message=32769 wParam=") + c.wParam + " lParam=0\n"))
            << run.output;
        EXPECT_TRUE(Contains(compat::SjisToUtf8(ReadFile(Data("id.xml"))),
                             std::string("<FUNCTIONID>") + c.function + "</FUNCTIONID>"));
    }
}

// Data of both business kinds: the category answered in the dialog decides
// which assets reach the report.
TEST_F(RunFixture, TheCategoryChosenDecidesTheAssetsOfTheReport) {
    const fs::path data = m_home / "both.txt";
    std::ofstream(data) << U8(
        u8R"([data]
id = D0001
number = 1
name = 山田商事
period = 20240101 20241231
business = 3
[asset]
name = 一般の机
acquired = 20200401
cost = 100000
method = 1
expenses = 1000
category = 1
[asset]
name = 賃貸の建物
acquired = 20200401
cost = 900000
method = 1
expenses = 9000
category = 2
[asset]
name = 一般の棚
acquired = 20210401
cost = 30000
method = 1
expenses = 300
category = 1
[asset]
name = 賃貸の塀
acquired = 20210401
cost = 60000
method = 1
expenses = 600
category = 2
)");
    ASSERT_EQ(Bokctl({"import", data.string()}).status, 0);

    struct {
        const char* answer;
        std::vector<std::string> names;
    } const cases[] = {
        {"1", {U8(u8"一般の机"), U8(u8"一般の棚")}},
        {"2", {U8(u8"賃貸の建物"), U8(u8"賃貸の塀")}},
        {"3", {U8(u8"一般の机"), U8(u8"賃貸の建物"), U8(u8"一般の棚"), U8(u8"賃貸の塀")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        const std::string file = std::string("category") + c.answer + ".xml";
        const RunResult run =
            RunProgram({"--no-host-args"}, std::string(c.answer) + "\nC:\\Mildan\\Data\\" + file + "\nF12\n");
        EXPECT_TRUE(Contains(run.output, "posted: nothing")) << run.output;
        const std::string report = compat::SjisToUtf8(ReadFile(Data(file.c_str())));
        std::vector<std::string> names;
        const std::string open = "<SISANMEI>", close = "</SISANMEI>";
        for (size_t at = report.find(open); at != std::string::npos; at = report.find(open, at)) {
            at += open.size();
            names.push_back(report.substr(at, report.find(close, at) - at));
        }
        EXPECT_EQ(names, c.names) << report;
        EXPECT_TRUE(Contains(EnvFile("DeprLinkStd.env"), std::string("yamada/1/1:0/0/") + c.answer + "/"));
    }
}

TEST_F(RunFixture, TheProEditionNamesItselfAndItsOwnFile) {
    const RunResult run = RunProgram({"--pro", "--no-host-args"}, "3\nC:\\Mildan\\Data\\pro.xml\nF12\n");
    EXPECT_TRUE(Contains(run.output, "posted: nothing")) << run.output;
    const std::string report = compat::SjisToUtf8(ReadFile(Data("pro.xml")));
    EXPECT_TRUE(Contains(report, U8(u8"<PROGRAMNAME>ミルダン１９ PRO</PROGRAMNAME>")));
    // Started by hand, the report carries the default function id.
    EXPECT_TRUE(Contains(report, "<FUNCTIONID>2</FUNCTIONID>"));
    EXPECT_EQ(EnvFile("DeprLinkPro.env"), "yamada/1/1:0/0/3/C:\\Mildan\\Data\\pro.xml\n");
}

// A file that writes control characters or a NUL into a text is refused by
// line and field, and the store keeps what it had.
TEST_F(RunFixture, AFileWithControlCharactersIsRefusedByLineAndField) {
    const std::string file = (m_home / "bad.txt").string();
    const std::string cases[][2] = {
        {"[data]\nid = D9\nnumber = 9\nname = AB\x01"
         "CD\nperiod = 20240101 20241231\n",
         "line 4: field \"name\""},
        {std::string("[data]\nid = D0001") + '\0' + "X\nnumber = 9\nname = X\nperiod = 20240101 20241231\n",
         "line 2: field \"id\""},
    };
    const std::string before = Bokctl({"show"}).output;
    for (const auto& c : cases) {
        std::ofstream(file, std::ios::binary) << c[0];
        const RunResult import = Bokctl({"import", file});
        EXPECT_EQ(import.status, 2) << import.output;
        EXPECT_TRUE(Contains(import.output, c[1])) << import.output;
        EXPECT_TRUE(Contains(import.output, "control character")) << import.output;
    }
    EXPECT_EQ(Bokctl({"show"}).output, before);
}

// Texts put into the store by other means than the import, with every
// byte XML forbids and bytes that start no code page 932 character: the
// run succeeds and its report is well-formed, each such byte a space.
TEST_F(RunFixture, WhateverBytesTheStoreHoldsTheReportIsWellFormed) {
    std::vector<std::string> names;
    for (int c = 1; c < 0x20; ++c) names.push_back(std::string("A") + static_cast<char>(c) + "B");
    for (const char* odd : {"A\x7F"
                            "B",
                            "A\x80"
                            "B",
                            "A\xA0"
                            "B",
                            "A\xFD"
                            "B",
                            "A\xFF"
                            "B",
                            "A\x85\x40"
                            "B",
                            "AB\x82"})
        names.push_back(odd);
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open((m_home / "bok.db").c_str(), &db), SQLITE_OK);
        sqlite3_stmt* copy = nullptr;
        ASSERT_EQ(
            sqlite3_prepare_v2(db,
                               "INSERT INTO assets SELECT NULL, data_id, 1000 + ?1, kind, ?2, ?3, remarks, disposal,"
                               " disposal_date, acquired, cost, deduction, opening, method, life, rate,"
                               " basis_is_amount, basis_value, ratio, months, basis, balance, category, equal,"
                               " revised, ordinary, additional1, additional2, expenses"
                               " FROM assets WHERE seq = (SELECT MIN(seq) FROM assets)",
                               -1, &copy, nullptr),
            SQLITE_OK)
            << sqlite3_errmsg(db);
        std::vector<std::pair<std::string, std::string>> rows;  // name, quantity
        for (const std::string& name : names) rows.emplace_back(name, "1\x01");
        // Nine digits fill the quantity field, and the number fills its own.
        rows.emplace_back("Q9", "123456789");
        for (size_t i = 0; i < rows.size(); ++i) {
            sqlite3_bind_int(copy, 1, static_cast<int>(i));
            sqlite3_bind_blob(copy, 2, rows[i].first.data(), static_cast<int>(rows[i].first.size()), SQLITE_TRANSIENT);
            sqlite3_bind_blob(copy, 3, rows[i].second.data(), static_cast<int>(rows[i].second.size()),
                              SQLITE_TRANSIENT);
            ASSERT_EQ(sqlite3_step(copy), SQLITE_DONE) << sqlite3_errmsg(db);
            sqlite3_reset(copy);
        }
        sqlite3_finalize(copy);
        const char* odd =
            "UPDATE eras SET name = CAST(X'8E9701' AS BLOB);"
            "UPDATE data_sets SET name = CAST(X'8E52036300FF' AS BLOB)";
        ASSERT_EQ(sqlite3_exec(db, odd, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    }

    const RunResult run = RunProgram({}, "3\nC:\\Mildan\\Data\\odd.xml\nF12\n");
    EXPECT_EQ(run.status, 0) << run.output;
    ASSERT_TRUE(fs::exists(Data("odd.xml")));
    EXPECT_TRUE(XmllintAccepts(Data("odd.xml")));

    const std::string report = ReadFile(Data("odd.xml"));
    for (int c = 1; c < 0x20; ++c) {
        const bool kept = c == '\t' || c == '\r' || c == '\n';
        const std::string name = kept ? std::string("A") + static_cast<char>(c) + "B" : "A B";
        EXPECT_TRUE(Contains(report, "<SISANMEI>" + name + "</SISANMEI>")) << c;
    }
    for (const char* written : {"A\x7F"
                                "B",
                                "A @B", "AB "})
        EXPECT_TRUE(Contains(report, std::string("<SISANMEI>") + written + "</SISANMEI>")) << written;
    EXPECT_TRUE(Contains(report, "<SUURYO>1.00</SUURYO>"));
    EXPECT_TRUE(Contains(report, "<SUURYOTANI> </SUURYOTANI>"));
    EXPECT_TRUE(Contains(report, "<SUURYO>123456789.00</SUURYO>\r\n\t\t\t<SUURYOTANI></SUURYOTANI>"));
    EXPECT_TRUE(Contains(report, "<SYUTOKUNENGETU_GENGO>\x8E\x97 </SYUTOKUNENGETU_GENGO>"));
    for (unsigned char c : report) EXPECT_FALSE(c < 0x20 && c != '\t' && c != '\r' && c != '\n');
}

// The host's path reaches the program in code page 932, so that the report
// lands under the name the user gave.
TEST_F(RunFixture, AHostPathOutsideAsciiNamesTheReport) {
    const RunResult run = RunProgram({U8(u8"C:\\Mildan\\Data\\表.xml")}, "\nF12\n");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(fs::exists(m_home / "drive_c/Mildan/Data" / U8(u8"表.xml"))) << run.output;
    EXPECT_FALSE(fs::exists(m_home / "drive_c/Mildan/Data" / U8(u8"陦ｨ.xml")));

    const RunResult refused = RunProgram({U8(u8"C:\\Mildan\\Data\\😀.xml")}, "\nF12\n");
    EXPECT_EQ(refused.status, 2) << refused.output;
    EXPECT_TRUE(Contains(refused.output, "code page 932 cannot hold")) << refused.output;
}

// The windows come from a module that the program loads only when asked
// for them; without a display it says so and serves on the terminal.
TEST_F(RunFixture, TheWindowsModuleLoadsWhenTheWindowsAreAskedFor) {
    setenv("DEPRLINK_FRONTEND", "wx", 1);
    const RunResult run = RunProgram({}, "3\nC:\\Mildan\\Data\\out.xml\nF12\n");
    setenv("DEPRLINK_FRONTEND", "terminal", 1);
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "no display for the windows, using the terminal")) << run.output;
    EXPECT_FALSE(Contains(run.output, "cannot load the windows")) << run.output;
    // Each failed start of the toolkit is cleaned up (the sanitizer build
    // would report what is left).
    EXPECT_FALSE(Contains(run.output, "LeakSanitizer")) << run.output;
}

// A home with a generated company instead of the sample: bokctl creates
// the store and imports the company file as a user would.
class GeneratedRunFixture : public RunFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.Ok());
        m_home = m_folder.Path();
        unsetenv("DISPLAY");
        setenv("DEPRLINK_FRONTEND", "terminal", 1);
        fs::create_directories(m_home / "drive_c/Mildan/Data");
        fs::create_directories(m_home / "drive_c/Mildan/Env");
        std::ofstream(m_home / "drives.conf") << "C:  fixed  drive_c\n";
        ASSERT_EQ(Bokctl({"init"}).status, 0);
    }
    void Import(const std::string& text) {
        const fs::path file = m_home / "company.txt";
        std::ofstream(file, std::ios::binary) << text;
        const RunResult import = Bokctl({"import", file.string()});
        ASSERT_EQ(import.status, 0) << import.output;
    }
};

std::string Sha256(const fs::path& file) {
    const std::string command = "sha256sum '" + file.string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return {};
    char digest[65] = {};
    const bool read = std::fscanf(pipe, "%64s", digest) == 1;
    pclose(pipe);
    return read ? digest : "";
}

// The report of a large generated company, byte for byte as the program
// wrote it before its platform calls and figures were made faster.
TEST_F(GeneratedRunFixture, TheReportOfTenThousandAssetsKeepsItsBytes) {
    Import(bok::GeneratedCompanyText(10000));
    const RunResult run = RunProgram({}, "1\nC:\\Mildan\\Data\\out.xml\nF12\n");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(Sha256(Data("out.xml")), "6900a9badac47f3a30b8f5673c097bb8c8dfe4cc59eb6e759f05f9ba4c7c8513");
}

// A run and an import at the same time, in two processes: the import
// replaces the selected data set (name, period, assets) while the
// conditions dialog is open.  The report must come from one state of the
// store, the one the dialog showed.
TEST_F(GeneratedRunFixture, AnImportDuringTheDialogLeavesTheRunWithTheStateItShowed) {
    const std::string before =
        U8(u8"[data]\nid = D1\nnumber = 1\nname = 旧商店\nperiod = 20240101 20241231\n"
           u8"[user]\nid = u\nselected = 1\n[era]\nstart = 19890108\nname = 平成\n"
           u8"[asset]\nname = 旧資産\nacquired = 20200101\ncost = 1000\nmethod = 1\n");
    const std::string after =
        U8(u8"[data]\nid = D1\nnumber = 1\nname = 新商店\nperiod = 20250101 20251231\n"
           u8"[asset]\nname = 新資産一\nacquired = 20200101\ncost = 2000\nmethod = 1\n"
           u8"[asset]\nname = 新資産二\nacquired = 20200101\ncost = 3000\nmethod = 1\n");
    Import(before);
    const fs::path replacement = m_home / "replacement.txt";
    std::ofstream(replacement, std::ios::binary) << after;

    Process run({BOKCTL_PATH, "--home", m_home.string(), "run"});
    ASSERT_TRUE(run.Started());
    // The dialog is open once its first question is asked.
    ASSERT_TRUE(run.WaitForOutput(U8(u8"事業区分を選んでください"))) << run.Output();
    EXPECT_TRUE(Contains(run.Output(), U8(u8"旧商店"))) << run.Output();

    const RunResult import = Bokctl({"import", replacement.string()});
    EXPECT_EQ(import.status, 0) << import.output;

    run.Give("3\nC:\\Mildan\\Data\\out.xml\nF12\n");
    EXPECT_EQ(run.Finish(), 0) << run.Output();

    const std::string report = compat::SjisToUtf8(ReadFile(Data("out.xml")));
    EXPECT_TRUE(Contains(report, U8(u8"<KOMONSAKINAME>旧商店</KOMONSAKINAME>"))) << report;
    EXPECT_TRUE(Contains(report, "<JIGYOUNENDOFROM>20240101</JIGYOUNENDOFROM>")) << report;
    EXPECT_TRUE(Contains(report, U8(u8"<SISANMEI>旧資産</SISANMEI>"))) << report;
    EXPECT_FALSE(Contains(report, U8(u8"新資産"))) << report;
    EXPECT_FALSE(Contains(report, "<SISAN Count=\"2\">")) << report;

    // The next run reads the store as the import left it.
    const RunResult next = RunProgram({}, "3\nC:\\Mildan\\Data\\next.xml\nF12\n");
    EXPECT_EQ(next.status, 0) << next.output;
    const std::string nextReport = compat::SjisToUtf8(ReadFile(Data("next.xml")));
    EXPECT_TRUE(Contains(nextReport, U8(u8"<KOMONSAKINAME>新商店</KOMONSAKINAME>"))) << nextReport;
    EXPECT_TRUE(Contains(nextReport, U8(u8"<SISANMEI>新資産二</SISANMEI>"))) << nextReport;
}

}  // namespace
