// bokctl as people and scripts use it: the admin commands and the host
// stand-in, run as a separate process against a fake linkage program.

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "TestHome.h"

namespace {

struct Outcome {
    std::string output;  // stdout and stderr together
    int exitCode = -1;
};

std::string Quote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

Outcome Bokctl(const TestHome& home, const std::vector<std::string>& args) {
    std::string command = Quote(BOKCTL_PATH) + " --home " + Quote(home.Path());
    for (const std::string& arg : args) command += " " + Quote(arg);
    command += " 2>&1";
    Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return outcome;
    char buffer[4096];
    size_t read;
    while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0) outcome.output.append(buffer, read);
    const int status = pclose(pipe);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

struct RunCase {
    const char* name;
    std::vector<std::string> args;  // after "run --program FAKE"
    const char* output;
    int exitCode;
};

const RunCase kRunCases[] = {
    {"DisablesReEnablesAndPosts",
     {"--window", "4242", "--message", "40000", "--function", "7", "dep2"},
     "argc=2\narg=4242,40000,7,dep2\nhost disabled: yes\nhost re-enabled: yes\n"
     "progress dialog re-parented: no\nposted: message=40000 wParam=7 lParam=2\n",
     2},
    {"DefaultMessageAndFunction",
     {"--window", "4243", "dep0"},
     "argc=2\narg=4243,32769,3,dep0\nhost disabled: yes\nhost re-enabled: yes\n"
     "progress dialog re-parented: no\nposted: message=32769 wParam=3 lParam=0\n",
     0},
    {"NothingPosted",
     {"--window", "4244", "de"},
     "argc=2\narg=4244,32769,3,de\nhost disabled: yes\nhost re-enabled: yes\nprogress dialog re-parented: no\nposted: "
     "nothing\n",
     99},
    {"LeftDisabled",
     {"--window", "4245", "dp1"},
     "argc=2\narg=4245,32769,3,dp1\nhost disabled: yes\nhost re-enabled: no\n"
     "progress dialog re-parented: no\nposted: message=32769 wParam=3 lParam=1\n",
     1},
    {"EmptyField4",
     {"--window", "4246"},
     "argc=2\narg=4246,32769,3,\nhost disabled: no\nhost re-enabled: no\nprogress dialog re-parented: no\nposted: "
     "nothing\n",
     99},
    {"Field4WithCommaAndBlankIsOneArgument",
     {"--window", "4247", "ep1,C:\\a b\\x.xml"},
     "argc=2\narg=4247,32769,3,ep1,C:\\a b\\x.xml\nhost disabled: no\nhost re-enabled: no\n"
     "progress dialog re-parented: no\nposted: message=32769 wParam=3 lParam=1\n",
     1},
    // The program reads code page 932: 表 reaches it as 0x95 0x5C.
    {"Field4InCodePage932",
     {"--window", "4248", reinterpret_cast<const char*>(u8"ep0C:\\表.xml")},
     "argc=2\narg=4248,32769,3,ep0C:\\\x95\x5c.xml\nhost disabled: no\nhost re-enabled: no\n"
     "progress dialog re-parented: no\nposted: message=32769 wParam=3 lParam=0\n",
     0},
    {"ReParented",
     {"--window", "4249", "drep0"},
     "argc=2\narg=4249,32769,3,drep0\nhost disabled: yes\nhost re-enabled: yes\n"
     "progress dialog re-parented: yes\nposted: message=32769 wParam=3 lParam=0\n",
     0},
    {"NoHostArgs",
     {"--no-host-args", "dep2"},
     "argc=1\nhost disabled: no\nhost re-enabled: no\nprogress dialog re-parented: no\nposted: nothing\n",
     99},
};

class BokctlRunTest : public testing::TestWithParam<RunCase> {};

TEST_P(BokctlRunTest, ReportsWhatTheProgramDidToTheHost) {
    TestHome home;
    bok::AdminError error;
    ASSERT_TRUE(bok::CreateStore(home.Path(), &error)) << error.message;
    std::vector<std::string> args = {"run", "--program", FAKE_LINKAGE_PATH};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    const Outcome outcome = Bokctl(home, args);
    EXPECT_EQ(outcome.output, GetParam().output);
    EXPECT_EQ(outcome.exitCode, GetParam().exitCode);
}

INSTANTIATE_TEST_SUITE_P(Bokctl, BokctlRunTest, testing::ValuesIn(kRunCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BokctlRun, AHomeWithoutAStoreStartsNothing) {
    TestHome home;
    const Outcome outcome = Bokctl(home, {"run", "--program", FAKE_LINKAGE_PATH, "--window", "4249", "dep0"});
    EXPECT_EQ(outcome.output, "bokctl: " + home.File("bok.db") + ": there is no store\n");
    EXPECT_EQ(outcome.exitCode, 2);
    struct stat info;
    EXPECT_NE(stat(home.File("host").c_str(), &info), 0);
}

struct ErrorCase {
    const char* name;
    std::vector<std::string> args;
    const char* says;
};

const ErrorCase kErrors[] = {
    {"NoCommand", {}, "no command"},
    {"UnknownCommand", {"frobnicate"}, "unknown command frobnicate"},
    {"ProgramMissing", {"run", "--program", "/nonexistent/DeprLinkStd"}, "cannot run /nonexistent/DeprLinkStd"},
    {"RunUnknownOption", {"run", "--fast"}, "unknown option --fast"},
    {"FailUnknownOperation", {"fail", "Walk", "-1"}, "unknown operation \"Walk\""},
    {"FailStatusNotANumber", {"fail", "Move", "x"}, "STATUS must be a number"},
    {"FailZeroStatus", {"fail", "Move", "0"}, "status of 0"},
    {"ImportMissingFile", {"import", "/nonexistent/file.txt"}, "cannot read /nonexistent/file.txt"},
    {"ShowWithoutStore", {"show"}, "there is no store"},
    {"RunField4OutsideCodePage932",
     {"run", "--program", FAKE_LINKAGE_PATH, reinterpret_cast<const char*>(u8"C:\\😀.xml")},
     "code page 932 cannot hold"},
    {"RunField4NotUtf8", {"run", "--program", FAKE_LINKAGE_PATH, "C:\\\xff.xml"}, "code page 932 cannot hold"},
};

class BokctlErrorTest : public testing::TestWithParam<ErrorCase> {};

TEST_P(BokctlErrorTest, SaysWhyOnStderrAndExits2) {
    TestHome home;
    const Outcome outcome = Bokctl(home, GetParam().args);
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.output.rfind("bokctl: ", 0), 0u) << outcome.output;
    EXPECT_NE(outcome.output.find(GetParam().says), std::string::npos) << outcome.output;
}

INSTANTIATE_TEST_SUITE_P(Bokctl, BokctlErrorTest, testing::ValuesIn(kErrors),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BokctlTest, AdministersTheStore) {
    TestHome home;
    EXPECT_EQ(Bokctl(home, {"init", "--sample"}).exitCode, 0);
    EXPECT_EQ(Bokctl(home, {"fail", "Move", "-5", "--at", "3"}).exitCode, 0);
    EXPECT_EQ(Bokctl(home, {"fail", "ExpSysLink", "1"}).exitCode, 0);
    Outcome show = Bokctl(home, {"show"});
    EXPECT_EQ(show.exitCode, 0);
    EXPECT_NE(show.output.find(reinterpret_cast<const char*>(u8"  1  D0001  山田商事  20240101..20241231")),
              std::string::npos)
        << show.output;
    EXPECT_NE(show.output.find("yamada  first 1  selected 1  (signed in)"), std::string::npos);
    EXPECT_NE(show.output.find("  ExpSysLink answers 1 on every call\n  Move answers -5 at index 3\n"),
              std::string::npos);

    EXPECT_EQ(Bokctl(home, {"fail", "--clear"}).exitCode, 0);
    EXPECT_NE(Bokctl(home, {"show"}).output.find("faults: none"), std::string::npos);
}

TEST(BokctlTest, ImportRefusalNamesFileLineAndField) {
    TestHome home;
    home.WriteFile("bad.txt", "[data]\nid = D1\nnumber = one\n");
    const Outcome outcome = Bokctl(home, {"import", home.File("bad.txt")});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_NE(outcome.output.find("bad.txt: line 3: field \"number\""), std::string::npos) << outcome.output;
}

TEST(BokctlTest, HelpGoesToStdout) {
    TestHome home;
    const Outcome outcome = Bokctl(home, {"--help"});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.output.rfind("usage: bokctl", 0), 0u);
}

}  // namespace
