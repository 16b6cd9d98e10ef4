// bokctl run on Windows: a real host window, served from bokctl's own
// message loop, against the fake linkage program of FakeLinkageWin32.cpp.
// The lines and exit codes are the Linux host stand-in's for the same
// actions (BokctlTest.cpp); only the window's handle differs, which the
// fake prints first.

#include <windows.h>

#include <string>
#include <vector>

#include "TestHome.h"
#include "platform/BokAdmin.h"

namespace {

struct Outcome {
    std::string output;  // stdout and stderr together, the handle line left out
    int exitCode = -1;
};

Outcome Bokctl(const TestHome& home, const std::string& args) {
    std::string command = "\"" BOKCTL_PATH "\" --home \"" + home.Path() + "\" " + args;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    Outcome outcome;
    if (!CreatePipe(&read, &write, &inherit, 0)) return outcome;
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = write;
    startup.hStdError = write;
    PROCESS_INFORMATION process{};
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    const BOOL started =
        CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(write);
    if (started) {
        // Read until bokctl has ended, not to the end of the pipe: a process
        // that Wine starts on the way (its desktop) may inherit the pipe and
        // hold it open long after.
        for (bool ended = false; !ended;) {
            ended = WaitForSingleObject(process.hProcess, 10) == WAIT_OBJECT_0;
            DWORD ready = 0;
            while (PeekNamedPipe(read, nullptr, 0, nullptr, &ready, nullptr) && ready > 0) {
                char buffer[4096];
                DWORD got = 0;
                if (!ReadFile(read, buffer, ready < sizeof buffer ? ready : sizeof buffer, &got, nullptr)) break;
                outcome.output.append(buffer, got);
            }
        }
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        outcome.exitCode = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(read);
    // "arg=<handle>,...": the handle is whatever the window got.
    const size_t arg = outcome.output.find("arg=");
    if (arg != std::string::npos) {
        const size_t comma = outcome.output.find(',', arg);
        outcome.output.replace(arg + 4, comma - arg - 4, "HWND");
    }
    for (size_t cr; (cr = outcome.output.find('\r')) != std::string::npos;) outcome.output.erase(cr, 1);
    return outcome;
}

struct RunCase {
    const char* name;
    const char* args;  // after "run --program FAKE"
    const char* output;
    int exitCode;
};

const RunCase kRunCases[] = {
    {"DisablesReEnablesAndPosts", "--message 40000 --function 7 dep2",
     "argc=2\narg=HWND,40000,7,dep2\nhost disabled: yes\nhost re-enabled: yes\n"
     "progress dialog re-parented: no\nposted: message=40000 wParam=7 lParam=2\n",
     2},
    {"NothingPosted", "de",
     "argc=2\narg=HWND,32769,3,de\nhost disabled: yes\nhost re-enabled: yes\nprogress dialog re-parented: no\n"
     "posted: nothing\n",
     99},
    {"LeftDisabled", "dp1",
     "argc=2\narg=HWND,32769,3,dp1\nhost disabled: yes\nhost re-enabled: no\n"
     "progress dialog re-parented: no\nposted: message=32769 wParam=3 lParam=1\n",
     1},
    {"EnabledWithoutBeingDisabled", "ep1",
     "argc=2\narg=HWND,32769,3,ep1\nhost disabled: no\nhost re-enabled: no\n"
     "progress dialog re-parented: no\nposted: message=32769 wParam=3 lParam=1\n",
     1},
    {"ReParented", "drep0",
     "argc=2\narg=HWND,32769,3,drep0\nhost disabled: yes\nhost re-enabled: yes\n"
     "progress dialog re-parented: yes\nposted: message=32769 wParam=3 lParam=0\n",
     0},
    {"EmptyField4", "",
     "argc=2\narg=HWND,32769,3,\nhost disabled: no\nhost re-enabled: no\nprogress dialog re-parented: no\n"
     "posted: nothing\n",
     99},
    {"NoHostArgs", "--no-host-args dep2",
     "argc=1\nhost disabled: no\nhost re-enabled: no\nprogress dialog re-parented: no\nposted: nothing\n", 99},
};

class BokctlRunTest : public testing::TestWithParam<RunCase> {};

// A home with an empty store: run starts nothing on a home without one.
class StoreHome : public TestHome {
public:
    StoreHome() {
        bok::AdminError error;
        EXPECT_TRUE(bok::CreateStore(Path(), &error)) << error.message;
    }
};

TEST_P(BokctlRunTest, ReportsWhatTheProgramDidToTheHostWindow) {
    StoreHome home;
    const Outcome outcome = Bokctl(home, std::string("run --program \"" FAKE_LINKAGE_PATH "\" ") + GetParam().args);
    EXPECT_EQ(outcome.output, GetParam().output);
    EXPECT_EQ(outcome.exitCode, GetParam().exitCode);
}

INSTANTIATE_TEST_SUITE_P(Bokctl, BokctlRunTest, testing::ValuesIn(kRunCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The socket number of the Linux host has no meaning for a real window.
TEST(BokctlRun, RefusesAWindowNumber) {
    StoreHome home;
    const Outcome outcome = Bokctl(home, "run --program \"" FAKE_LINKAGE_PATH "\" --window 4242 dep0");
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_NE(outcome.output.find("--window names the Linux host's socket"), std::string::npos) << outcome.output;
    EXPECT_EQ(outcome.output.find("argc="), std::string::npos) << outcome.output;
}

}  // namespace
