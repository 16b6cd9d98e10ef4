// bokctl as people and scripts use it: the admin commands, run as a
// separate process (BokctlProcess.h) on every system.  `run`, which serves
// the host window, has its cases in BokctlRunTest.cpp.

#include <string>
#include <vector>

#include "BokctlProcess.h"
#include "TestHome.h"

void ExpectRefusal(const std::string& home, const ErrorCase& refused) {
    const Outcome outcome = RunBokctl(home, refused.args);
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.output.rfind("bokctl: ", 0), 0u) << outcome.output;
    EXPECT_NE(outcome.output.find(refused.says), std::string::npos) << outcome.output;
}

namespace {

Outcome Bokctl(const TestHome& home, const std::vector<std::string>& args) { return RunBokctl(home.Path(), args); }

const ErrorCase kErrors[] = {
    {"NoCommand", {}, "no command"},
    {"UnknownCommand", {"frobnicate"}, "unknown command frobnicate"},
    {"FailUnknownOperation", {"fail", "Walk", "-1"}, "unknown operation \"Walk\""},
    {"FailStatusNotANumber", {"fail", "Move", "x"}, "STATUS must be a number"},
    {"FailZeroStatus", {"fail", "Move", "0"}, "status of 0"},
    {"ImportMissingFile", {"import", "/nonexistent/file.txt"}, "cannot read /nonexistent/file.txt"},
    {"ShowWithoutStore", {"show"}, "there is no store"},
};

class BokctlErrorTest : public testing::TestWithParam<ErrorCase> {};

TEST_P(BokctlErrorTest, SaysWhyOnStderrAndExits2) {
    TestHome home;
    ExpectRefusal(home.Path(), GetParam());
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

TEST(BokctlTest, ImportLoadsACompanyFile) {
    TestHome home;
    EXPECT_EQ(Bokctl(home, {"init"}).exitCode, 0);
    home.WriteFile("company.txt", kOneDataSet);
    const Outcome imported = Bokctl(home, {"import", home.File("company.txt")});
    EXPECT_EQ(imported.exitCode, 0) << imported.output;
    EXPECT_EQ(imported.output, "imported " + home.File("company.txt") + "\n");
    const Outcome show = Bokctl(home, {"show"});
    EXPECT_NE(show.output.find("  1  D1  Shop  20240101..20241231"), std::string::npos) << show.output;
    EXPECT_NE(show.output.find("  tanaka  first "), std::string::npos) << show.output;
    EXPECT_NE(show.output.find("  selected 1"), std::string::npos) << show.output;
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
