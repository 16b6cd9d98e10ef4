// bokctl run: the host stand-in, against a fake linkage program that
// reports what it did to the host window over the host socket.

#include <sys/stat.h>

#include <string>
#include <vector>

#include "BokctlProcess.h"
#include "TestHome.h"

namespace {

Outcome Bokctl(const TestHome& home, const std::vector<std::string>& args) { return RunBokctl(home.Path(), args); }

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

// The refusals of run's own options and arguments.
const ErrorCase kRunErrors[] = {
    {"ProgramMissing", {"run", "--program", "/nonexistent/DeprLinkStd"}, "cannot run /nonexistent/DeprLinkStd"},
    {"RunUnknownOption", {"run", "--fast"}, "unknown option --fast"},
    {"RunField4OutsideCodePage932",
     {"run", "--program", FAKE_LINKAGE_PATH, reinterpret_cast<const char*>(u8"C:\\😀.xml")},
     "code page 932 cannot hold"},
    {"RunField4NotUtf8", {"run", "--program", FAKE_LINKAGE_PATH, "C:\\\xff.xml"}, "code page 932 cannot hold"},
};

class BokctlRunErrorTest : public testing::TestWithParam<ErrorCase> {};

TEST_P(BokctlRunErrorTest, SaysWhyOnStderrAndExits2) {
    TestHome home;
    ExpectRefusal(home.Path(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Bokctl, BokctlRunErrorTest, testing::ValuesIn(kRunErrors),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
