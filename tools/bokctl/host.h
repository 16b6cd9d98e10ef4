// The host window that `bokctl run` serves while the linkage program runs:
// what the accounting product's window sees of the program.  host.cpp
// serves a window number over the socket of compat/host.h; host_win32.cpp
// is a real top-level window that the program reaches with user32's calls.
#pragma once

#include <string>
#include <vector>

namespace bokctl {

// What run was asked to do.
struct RunOptions {
    bool bPro = false;
    bool bHostArgs = true;
    std::string program;
    std::string field4;
    long window = 0;  // the Linux host's window number (--window)
    bool bWindowGiven = false;
    long message = 32769;
    long function = 3;
};

// One message the program posted to the host window.
struct HostPost {
    unsigned long long message;
    unsigned long long wParam;
    long long lParam;
};

// What the program did to its host window.
struct HostLog {
    bool bDisabled = false;
    bool bReEnabled = false;
    bool bReParented = false;
    std::vector<HostPost> posts;
};

// Starts the program as the accounting product does, with the host
// window's handle, the message, the function id and FIELD4 on its command
// line (or with none), serves the host window until the program has ended
// and fills log.  False with a message when the window cannot be made or
// the program cannot be started.
bool RunWithHost(const RunOptions& options, HostLog& log, std::string* message);

}  // namespace bokctl
