// The host window over a Unix stream socket: the server the host stand-in
// runs, and the window calls of the program.

#include "compat/host.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <thread>

#include "compat/drives.h"

namespace {

// How long either side waits for the other before it gives up.
constexpr int kTimeoutMs = 3000;

// Longest request line a server accepts; real ones are a few dozen bytes.
constexpr size_t kMaxLine = 256;

bool FillAddress(const std::string& path, sockaddr_un& address) {
    memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

void SetTimeouts(int fd) {
    timeval tv = {kTimeoutMs / 1000, static_cast<suseconds_t>(kTimeoutMs % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

bool SendAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Reads one line without its LF (and CR); false at the end of the stream,
// on a timeout or for an over-long line.
bool ReadLine(int fd, std::string& line) {
    line.clear();
    char c;
    for (;;) {
        ssize_t n = recv(fd, &c, 1, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        if (c == '\n') break;
        if (line.size() >= kMaxLine) return false;
        line += c;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

// mkdir -p.
bool MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string level = path.substr(0, slash);
        if (!level.empty() && mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

// One request to the window's server; FALSE when nobody answers "1".
BOOL Ask(HWND window, const std::string& request) {
    long number = static_cast<long>(reinterpret_cast<intptr_t>(window));
    if (number == 0) return FALSE;
    sockaddr_un address;
    if (!FillAddress(compat::HostSocketPath(number), address)) return FALSE;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return FALSE;
    SetTimeouts(fd);
    BOOL answer = FALSE;
    std::string line;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && SendAll(fd, request + "\n") &&
        ReadLine(fd, line))
        answer = line == "1" ? TRUE : FALSE;
    close(fd);
    return answer;
}

}  // namespace

namespace compat {

std::string HostSocketPath(long window) { return PlatformHome() + "/host/" + std::to_string(window) + ".sock"; }

struct HostWindowServer::Impl {
    long window;
    Handler handler;
    std::string path;
    int listener = -1;
    int wake[2] = {-1, -1};
    std::thread thread;

    void Serve(int fd) {
        SetTimeouts(fd);
        std::string line;
        while (ReadLine(fd, line)) {
            // A handler that throws must not take the host's thread down.
            bool yes = false;
            try {
                yes = handler(line);
            } catch (...) {
                yes = false;
            }
            if (!SendAll(fd, yes ? "1\n" : "0\n")) break;
        }
        close(fd);
    }

    void Run() {
        pollfd fds[2] = {{listener, POLLIN, 0}, {wake[0], POLLIN, 0}};
        for (;;) {
            int n = poll(fds, 2, -1);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 || (fds[1].revents != 0)) return;
            if ((fds[0].revents & POLLIN) == 0) continue;
            int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) Serve(client);
        }
    }
};

HostWindowServer::HostWindowServer(long window, Handler handler) : m_pImpl(new Impl) {
    m_pImpl->window = window;
    m_pImpl->handler = std::move(handler);
}

HostWindowServer::~HostWindowServer() {
    Stop();
    delete m_pImpl;
}

bool HostWindowServer::Start() {
    Impl& s = *m_pImpl;
    if (s.listener >= 0) return true;
    if (!MakeFolders(PlatformHome() + "/host")) return false;
    s.path = HostSocketPath(s.window);
    sockaddr_un address;
    if (!FillAddress(s.path, address)) return false;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    // A socket left behind by a host that died is in the way of the new one.
    unlink(s.path.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 8) != 0 ||
        pipe2(s.wake, O_CLOEXEC) != 0) {
        close(fd);
        return false;
    }
    s.listener = fd;
    s.thread = std::thread([&s] { s.Run(); });
    return true;
}

void HostWindowServer::Stop() {
    Impl& s = *m_pImpl;
    if (s.listener < 0) return;
    char byte = 0;
    while (write(s.wake[1], &byte, 1) < 0 && errno == EINTR) {}
    s.thread.join();
    close(s.listener);
    close(s.wake[0]);
    close(s.wake[1]);
    s.listener = -1;
    s.wake[0] = s.wake[1] = -1;
    unlink(s.path.c_str());
}

}  // namespace compat

BOOL EnableWindow(HWND window, BOOL enable) { return Ask(window, enable ? "EnableWindow 1" : "EnableWindow 0"); }

BOOL SetForegroundWindow(HWND window) { return Ask(window, "SetForegroundWindow"); }

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    char request[96];
    snprintf(request, sizeof request, "PostMessage %u %" PRIuPTR " %" PRIdPTR, message, wParam, lParam);
    return Ask(window, request);
}

BOOL IsWindow(HWND window) { return Ask(window, "IsWindow"); }

HWND SetParent(HWND child, HWND parent) {
    // A window that is not there cannot be given a parent.
    if (child == nullptr) return nullptr;
    char request[64];
    snprintf(request, sizeof request, "SetParent %" PRIuPTR, reinterpret_cast<uintptr_t>(child));
    Ask(parent, request);
    return nullptr;
}
