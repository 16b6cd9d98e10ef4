// Whole runs that meet another process: a second run, a program holding the
// report or the remembered-path file, a run that fails while writing, and
// platform failures during the figures.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "compat/mbcs.h"
#include "tests/e2e/E2eSupport.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

using namespace e2e;
using testsupport::U8;

const std::string kFailedMessage = U8(u8"XMLファイルの出力に失敗しました。\n\nアプリケーションを終了します。");
const std::string kDoneMessage = U8(u8"減価償却の集計結果を正常に出力しました。");

void SleepMs(long ms) {
    const struct timespec pause = {ms / 1000, (ms % 1000) * 1000 * 1000};
    nanosleep(&pause, nullptr);
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

uintmax_t SizeOf(const fs::path& path) {
    std::error_code ec;
    const uintmax_t size = fs::file_size(path, ec);
    return ec ? 0 : size;
}

// A whole report: no NUL byte anywhere, the root end tag last, well-formed.
void ExpectWholeReport(const fs::path& report) {
    const std::string bytes = ReadFile(report);
    ASSERT_GT(bytes.size(), 11u);
    EXPECT_EQ(bytes.find('\0'), std::string::npos) << "the report holds NUL bytes";
    EXPECT_EQ(bytes.substr(0, 5), "<?xml");
    EXPECT_EQ(bytes.substr(bytes.size() - 11), "</REPORT>\r\n");
    EXPECT_TRUE(XmllintAccepts(report));
}

// Holds a file the way another program does (flock -x FILE -c ...).
class FileLock {
public:
    explicit FileLock(const fs::path& path) : m_fd(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        if (m_fd >= 0 && flock(m_fd, LOCK_EX) != 0) Release();
    }
    ~FileLock() { Release(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool Held() const { return m_fd >= 0; }
    void Release() {
        if (m_fd >= 0) close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

class ConcurrentRunTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.Ok());
        m_home = m_folder.Path();
        unsetenv("DISPLAY");
        setenv("DEPRLINK_FRONTEND", "terminal", 1);
        // Input given to a program that has ended must fail the write, not
        // end the test.
        signal(SIGPIPE, SIG_IGN);
        ASSERT_EQ(Bokctl({"init", "--sample"}), 0);
    }

    std::vector<std::string> Args(std::vector<std::string> args) const {
        args.insert(args.begin(), {BOKCTL_PATH, "--home", m_home.string()});
        return args;
    }
    int Bokctl(const std::vector<std::string>& args) {
        Process process(Args(args));
        const int status = process.Finish();
        EXPECT_EQ(status, 0) << process.Output();
        return status;
    }
    // A run started by the host with the report path, which asks nothing
    // but the confirmation.
    std::vector<std::string> HostRun(const std::string& windowsPath) const { return Args({"run", windowsPath}); }

    fs::path Data(const std::string& name) const { return m_home / "drive_c/Mildan/Data" / name; }
    fs::path EnvFile() const { return m_home / "drive_c/Mildan/Env/DeprLinkStd.env"; }

    testsupport::TempFolder m_folder{"deprlink-e2e"};
    fs::path m_home;
};

// The run that finds the report held gives up before touching it, and the
// one holding it finishes a whole report.  The first run is stopped while
// it writes, so that the second always comes in the middle.
TEST_F(ConcurrentRunTest, TwoRunsOntoOneReportLeaveOneWholeReport) {
    std::string assets;
    for (int i = 0; i < 20000; ++i)
        assets += "[asset]\ndata = D0001\nname = A" + std::to_string(i) +
                  "\nacquired = 20100401\ncost = 1000000\nopening = 500000\nmethod = 1\nlife = 10\nrate = 100\n";
    WriteFile(m_home / "many.txt", assets);
    ASSERT_EQ(Bokctl({"import", (m_home / "many.txt").string()}), 0);
    WriteFile(Data("r.xml"), "the previous report");

    Process first(HostRun("C:\\Mildan\\Data\\r.xml"));
    ASSERT_TRUE(first.Started());
    first.Give("\nF12\n");
    // Writing has begun once either name holds more than the old bytes.
    bool writing = false;
    for (int i = 0; i < 120000 && !writing; ++i) {
        writing = SizeOf(Data("r.xml.tmp")) > 4096 || SizeOf(Data("r.xml")) > 4096;
        if (!writing) SleepMs(1);
    }
    first.Signal(SIGSTOP);
    ASSERT_TRUE(writing) << "the first run never started its report";
    const auto whole = [](const std::string& bytes) {
        return bytes.size() >= 11 && bytes.compare(bytes.size() - 11, 11, "</REPORT>\r\n") == 0;
    };
    ASSERT_FALSE(whole(ReadFile(Data("r.xml"))) || whole(ReadFile(Data("r.xml.tmp"))))
        << "the first run ended its report before it could be stopped";

    Process second(HostRun("C:\\Mildan\\Data\\r.xml"));
    second.Give("\nF12\n");
    EXPECT_EQ(second.Finish(), 2) << second.Output();
    EXPECT_TRUE(Contains(second.Output(), kFailedMessage)) << second.Output();
    EXPECT_FALSE(Contains(second.Output(), kDoneMessage)) << second.Output();
    EXPECT_EQ(ReadFile(Data("r.xml")), "the previous report");

    first.Signal(SIGCONT);
    EXPECT_EQ(first.Finish(), 0) << first.Output();
    EXPECT_TRUE(Contains(first.Output(), kDoneMessage)) << first.Output();
    ExpectWholeReport(Data("r.xml"));
    EXPECT_TRUE(Contains(ReadFile(Data("r.xml")), "<SISAN Count=\"20000\">"));
    EXPECT_FALSE(fs::exists(Data("r.xml.tmp")));
}

// flock -x report.xml -c 'sleep 3' & and then a run onto that path.
TEST_F(ConcurrentRunTest, AReportHeldByAnotherProgramIsLeftAlone) {
    WriteFile(Data("held.xml"), "the previous report");
    FileLock lock(Data("held.xml"));
    ASSERT_TRUE(lock.Held());
    Process run(HostRun("C:\\Mildan\\Data\\held.xml"));
    run.Give("\nF12\n");
    EXPECT_EQ(run.Finish(), 2) << run.Output();
    EXPECT_TRUE(Contains(run.Output(), kFailedMessage)) << run.Output();
    EXPECT_TRUE(Contains(run.Output(), "posted: message=32769 wParam=3 lParam=2")) << run.Output();
    EXPECT_EQ(ReadFile(Data("held.xml")), "the previous report");
    EXPECT_FALSE(fs::exists(Data("held.xml.tmp")));
}

// A run that fails in the middle of its report (the data's fraction code
// has no report code) leaves the previous report as it was, not a partial
// one ending in the root end tag; onto a new path it leaves nothing.
TEST_F(ConcurrentRunTest, AReportThatFailsWhileWritingLeavesThePreviousFile) {
    WriteFile(m_home / "fraction.txt", U8(u8"[data]\nid = D0001\nnumber = 1\nname = 山田商事\n"
                                          u8"period = 20240101 20241231\nfraction = 3\n"));
    ASSERT_EQ(Bokctl({"import", (m_home / "fraction.txt").string()}), 0);
    WriteFile(Data("old.xml"), "the previous report");

    const char* const paths[] = {"old.xml", "new.xml"};
    for (const char* name : paths) {
        SCOPED_TRACE(name);
        Process run(HostRun(std::string("C:\\Mildan\\Data\\") + name));
        run.Give("\nF12\n");
        EXPECT_EQ(run.Finish(), 2) << run.Output();
        EXPECT_TRUE(Contains(run.Output(), kFailedMessage)) << run.Output();
        EXPECT_FALSE(fs::exists(Data(std::string(name) + ".tmp")));
    }
    EXPECT_EQ(ReadFile(Data("old.xml")), "the previous report");
    EXPECT_FALSE(fs::exists(Data("new.xml")));
}

// Another run holds the remembered-path file while this one's dialog opens
// and lets it go before this run saves: the entry keeps its path.
TEST_F(ConcurrentRunTest, ARememberedPathBusyAtTheStartIsKept) {
    fs::create_directories(EnvFile().parent_path());
    WriteFile(EnvFile(), "yamada/1/1:0/0/3/C:\\Mildan\\Data\\mine.xml\n");
    FileLock lock(EnvFile());
    ASSERT_TRUE(lock.Held());

    Process run(Args({"run"}));
    ASSERT_TRUE(run.WaitForOutput(U8(u8"事業区分を選んでください"))) << run.Output();
    lock.Release();
    run.Give("1\nC:\\Mildan\\Data\\out.xml\nF12\n");
    EXPECT_EQ(run.Finish(), 0) << run.Output();
    EXPECT_EQ(ReadFile(EnvFile()), "yamada/1/1:0/0/1/C:\\Mildan\\Data\\mine.xml\n");
}

// A status the platform judges fatal while the figures are made (it shows
// its own message) fails the run; one it does not judge fatal keeps its
// meaning (a walk that ends early) and the run succeeds.
TEST_F(ConcurrentRunTest, AFatalPlatformStatusDuringTheFiguresFailsTheRun) {
    const struct {
        std::vector<std::string> fault;
        int status;
    } cases[] = {
        {{"Gengo.Walk", "-1"}, 2},      {{"Gengo.Walk", "-1", "--at", "2"}, 2},
        {{"Gengo.GetCursor", "-1"}, 2}, {{"Gengo.Ready", "-3"}, 2},
        {{"GetPeriod", "-1"}, 2},       {{"Gengo.Walk", "7", "--at", "2"}, 0},
    };
    for (const auto& c : cases) {
        std::string title;
        for (const std::string& part : c.fault) title += part + " ";
        SCOPED_TRACE(title);
        std::vector<std::string> fail = {"fail"};
        fail.insert(fail.end(), c.fault.begin(), c.fault.end());
        ASSERT_EQ(Bokctl({"fail", "--clear"}), 0);
        ASSERT_EQ(Bokctl(fail), 0);

        fs::remove(Data("out.xml"));
        Process run(HostRun("C:\\Mildan\\Data\\out.xml"));
        run.Give("\nF12\n");
        EXPECT_EQ(run.Finish(), c.status) << run.Output();
        const std::string lParam = "lParam=" + std::to_string(c.status);
        EXPECT_TRUE(Contains(run.Output(), "posted: message=32769 wParam=3 " + lParam)) << run.Output();
        if (c.status == 2) {
            EXPECT_TRUE(Contains(run.Output(), U8(u8"エラーが発生しました。"))) << run.Output();
            EXPECT_TRUE(Contains(run.Output(), kFailedMessage)) << run.Output();
            EXPECT_FALSE(Contains(run.Output(), kDoneMessage)) << run.Output();
            EXPECT_FALSE(fs::exists(Data("out.xml")));
        } else {
            EXPECT_TRUE(Contains(run.Output(), kDoneMessage)) << run.Output();
            ExpectWholeReport(Data("out.xml"));
        }
    }
}

}  // namespace
