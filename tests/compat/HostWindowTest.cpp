// The host window calls over the socket, server and client in one process.

#include "compat/host.h"

#include <sys/stat.h>

#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CompatTestHome.h"

namespace {

using testsupport::ScopedPlatformHome;

constexpr long kWindow = 4242;

HWND Window(long number) { return reinterpret_cast<HWND>(static_cast<intptr_t>(number)); }

class HostWindowTest : public testing::Test {
protected:
    std::vector<std::string> Requests() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }

    compat::HostWindowServer::Handler Recorder(bool answer) {
        return [this, answer](const std::string& request) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requests.push_back(request);
            return answer;
        };
    }

    ScopedPlatformHome m_home;
    std::mutex m_mutex;
    std::vector<std::string> m_requests;
};

TEST_F(HostWindowTest, EveryCallIsOneLine) {
    compat::HostWindowServer server(kWindow, Recorder(true));
    ASSERT_TRUE(server.Start());
    struct stat st;
    EXPECT_EQ(stat(compat::HostSocketPath(kWindow).c_str(), &st), 0);
    EXPECT_EQ(compat::HostSocketPath(kWindow), m_home.Path() + "/host/4242.sock");

    EXPECT_TRUE(EnableWindow(Window(kWindow), FALSE));
    EXPECT_TRUE(EnableWindow(Window(kWindow), TRUE));
    EXPECT_TRUE(SetForegroundWindow(Window(kWindow)));
    EXPECT_TRUE(PostMessageA(Window(kWindow), 0x8001, 3, 0));
    EXPECT_TRUE(PostMessageA(Window(kWindow), 1024, UINTPTR_MAX, -2));
    EXPECT_TRUE(IsWindow(Window(kWindow)));

    const std::vector<std::string> expected = {
        "EnableWindow 0",
        "EnableWindow 1",
        "SetForegroundWindow",
        "PostMessage 32769 3 0",
        "PostMessage 1024 18446744073709551615 -2",
        "IsWindow",
    };
    EXPECT_EQ(Requests(), expected);

    server.Stop();
    EXPECT_NE(stat(compat::HostSocketPath(kWindow).c_str(), &st), 0);
    EXPECT_FALSE(IsWindow(Window(kWindow)));
}

TEST_F(HostWindowTest, RefusalsAndMissingWindowsAnswerFalse) {
    compat::HostWindowServer server(kWindow, Recorder(false));
    ASSERT_TRUE(server.Start());
    EXPECT_FALSE(PostMessageA(Window(kWindow), 0x8001, 3, 2));
    EXPECT_EQ(Requests().size(), 1u);

    compat::HostWindowServer throwing(kWindow + 2,
                                      [](const std::string&) -> bool { throw std::runtime_error("host trouble"); });
    ASSERT_TRUE(throwing.Start());
    EXPECT_FALSE(IsWindow(Window(kWindow + 2)));
    EXPECT_FALSE(IsWindow(Window(kWindow + 2)));  // and it still serves

    EXPECT_FALSE(EnableWindow(Window(kWindow + 1), TRUE));  // nobody listens
    EXPECT_FALSE(PostMessageA(nullptr, 0x8001, 3, 2));
}

TEST_F(HostWindowTest, StartFailsWhereNoSocketCanBeMade) {
    // A file standing where the socket folder must be.
    m_home.WriteFile("host", "not a folder");
    compat::HostWindowServer server(kWindow, Recorder(true));
    EXPECT_FALSE(server.Start());
    EXPECT_FALSE(IsWindow(Window(kWindow)));
}

}  // namespace
