// The host window on Windows is a real window: the window calls are
// user32's own.  The host stand-in's server listens over a Unix socket
// and has no Windows counterpart yet, so it cannot start here.

#include "compat/host.h"

namespace compat {

std::string HostSocketPath(long /*window*/) { return std::string(); }

struct HostWindowServer::Impl {};

HostWindowServer::HostWindowServer(long /*window*/, Handler /*handler*/) : m_pImpl(nullptr) {}

HostWindowServer::~HostWindowServer() { Stop(); }

bool HostWindowServer::Start() { return false; }

void HostWindowServer::Stop() {}

}  // namespace compat
