// The host window over the socket of compat/host.h: the window is a number,
// and each of the program's window calls is one request line.

#include "host.h"

#include <mutex>
#include <sstream>

#include "compat/host.h"
#include "process.h"

namespace bokctl {

namespace {

// The requests, on the server's thread.
bool Handle(const std::string& request, HostLog& log) {
    std::istringstream words(request);
    std::string verb;
    words >> verb;
    if (verb == "EnableWindow") {
        int enable = -1;
        words >> enable;
        if (enable == 0) {
            log.bDisabled = true;
            log.bReEnabled = false;
        } else if (enable == 1) {
            log.bReEnabled = log.bDisabled;
        } else {
            return false;
        }
        return true;
    }
    if (verb == "PostMessage") {
        HostPost post{};
        if (!(words >> post.message >> post.wParam >> post.lParam)) return false;
        log.posts.push_back(post);
        return true;
    }
    if (verb == "SetParent") {
        unsigned long long child = 0;
        if (!(words >> child) || child == 0) return false;
        log.bReParented = true;
        return true;
    }
    return verb == "SetForegroundWindow";
}

}  // namespace

bool RunWithHost(const RunOptions& options, HostLog& log, std::string* message) {
    const long window = options.bWindowGiven ? options.window : ProcessNumber();
    std::mutex mutex;
    HostLog served;
    compat::HostWindowServer server(window, [&](const std::string& request) {
        std::lock_guard<std::mutex> lock(mutex);
        return Handle(request, served);
    });
    if (!server.Start()) {
        *message = "cannot serve the host window at " + compat::HostSocketPath(window);
        return false;
    }
    // The command line is one argument, as Windows hands over the text
    // after the program name.
    const std::string commandLine = std::to_string(window) + "," + std::to_string(options.message) + "," +
                                    std::to_string(options.function) + "," + options.field4;
    const bool ran = RunAndWait(options.program, options.bHostArgs ? &commandLine : nullptr, message);
    server.Stop();
    std::lock_guard<std::mutex> lock(mutex);
    log = served;
    return ran;
}

}  // namespace bokctl
