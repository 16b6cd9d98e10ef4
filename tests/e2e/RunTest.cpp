// Whole runs: bokctl makes a platform home and starts the program as the
// accounting product would; the terminal front end takes the answers.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "compat/mbcs.h"

namespace fs = std::filesystem;

namespace {

inline std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

struct RunResult {
    int status = -1;     // exit status
    std::string output;  // standard output and error, UTF-8
};

// Runs argv with input on its standard input.
RunResult RunCommand(const std::vector<std::string>& args, const std::string& input) {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(out[1], 2);
        close(in[0]); close(in[1]); close(out[0]); close(out[1]);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    if (!input.empty() && write(in[1], input.data(), input.size()) < 0) {}
    close(in[1]);
    RunResult result;
    char buffer[4096];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) result.output.append(buffer, static_cast<size_t>(n));
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class RunFixture : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/deprlink-e2e-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_home = pattern;
        // The program under test must not see a display of the session.
        unsetenv("DISPLAY");
        setenv("DEPRLINK_FRONTEND", "terminal", 1);
        RunResult init = Bokctl({"init", "--sample"});
        ASSERT_EQ(init.status, 0) << init.output;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_home, ec);
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

    fs::path m_home;
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The report parses as XML once its declaration names the code page the
// strict Shift_JIS table of libxml2 lacks.
bool XmllintAccepts(const fs::path& report) {
    const std::string command = "sed 's/encoding=\"Shift_JIS\"/encoding=\"CP932\"/' '" + report.string() +
                                "' | xmllint --noout - 2>&1";
    return std::system(command.c_str()) == 0;
}

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

TEST_F(RunFixture, TheProEditionNamesItselfAndItsOwnFile) {
    const RunResult run = RunProgram({"--pro", "--no-host-args"}, "3\nC:\\Mildan\\Data\\pro.xml\nF12\n");
    EXPECT_TRUE(Contains(run.output, "posted: nothing")) << run.output;
    const std::string report = compat::SjisToUtf8(ReadFile(Data("pro.xml")));
    EXPECT_TRUE(Contains(report, U8(u8"<PROGRAMNAME>ミルダン１９ PRO</PROGRAMNAME>")));
    // Started by hand, the report carries the default function id.
    EXPECT_TRUE(Contains(report, "<FUNCTIONID>2</FUNCTIONID>"));
    EXPECT_EQ(EnvFile("DeprLinkPro.env"), "yamada/1/1:0/0/3/C:\\Mildan\\Data\\pro.xml\n");
}

}  // namespace
