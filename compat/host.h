// The host window over a local socket.
//
// The accounting product's window is a number on the command line.  The
// host stand-in (bokctl run) listens on "<platform home>/host/<number>.sock",
// a Unix stream socket; each window call is one line
//     EnableWindow <0|1>
//     SetForegroundWindow
//     PostMessage <message> <wParam> <lParam>   (wParam unsigned, lParam signed)
//     IsWindow
//     SetParent <child>                          (the child's handle value)
// answered by "1\n" or "0\n".  A window without a socket, or one that does
// not answer within a few seconds, answers FALSE.  The window's number is
// the HWND's value.
#pragma once

#include <functional>
#include <string>

#include "compat/win32.h"

namespace compat {

std::string HostSocketPath(long window);

// The host side: one window, serving connections until Stop.  Each request
// line is given to the handler, whose answer goes back.
class HostWindowServer {
public:
    using Handler = std::function<bool(const std::string& request)>;
    HostWindowServer(long window, Handler handler);
    ~HostWindowServer();
    HostWindowServer(const HostWindowServer&) = delete;
    HostWindowServer& operator=(const HostWindowServer&) = delete;
    // Creates "<platform home>/host" when missing; false when the socket
    // cannot be made.  The handler runs on the server's own thread.
    bool Start();
    // Stops serving and removes the socket; the destructor does it too.
    void Stop();

private:
    struct Impl;
    Impl* m_pImpl;
};

}  // namespace compat
