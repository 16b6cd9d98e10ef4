// The host window on Windows is a real window (bokctl's host_win32.cpp)
// and the window calls are user32's own.  The socket server of the other
// backend has no counterpart here: it never starts.

#include "compat/host.h"

namespace compat {

std::string HostSocketPath(long /*window*/) { return std::string(); }

struct HostWindowServer::Impl {};

HostWindowServer::HostWindowServer(long /*window*/, Handler /*handler*/) : m_pImpl(nullptr) {}

HostWindowServer::~HostWindowServer() { Stop(); }

bool HostWindowServer::Start() { return false; }

void HostWindowServer::Stop() {}

}  // namespace compat
