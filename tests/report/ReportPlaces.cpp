// The report tests' failing places on Linux: /dev/full, a small tmpfs,
// flock, the file size limit, and xmllint through the shell.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "ReportTestSupport.h"

namespace reporttest {

std::string FullDiskFile() { return "Z:\\dev\\full"; }

struct SmallDisk::Held {};

SmallDisk::SmallDisk(const testsupport::TempFolder& beside) : m_strDir(beside.MakeDir("small")) {
    m_bReady = mount("tmpfs", m_strDir.c_str(), "tmpfs", 0, "size=4096") == 0;
    if (!m_bReady) m_strWhy = "no tmpfs can be mounted here";
}

SmallDisk::~SmallDisk() {
    if (m_bReady) umount2(m_strDir.c_str(), MNT_DETACH);
}

bool SmallDisk::IsEmpty() const { return std::filesystem::is_empty(m_strDir); }

OtherProgramsLock::OtherProgramsLock(const std::string& hostPath) {
    const int fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    m_handle = fd;
    m_bHeld = flock(fd, LOCK_EX) == 0;
}

OtherProgramsLock::~OtherProgramsLock() {
    if (m_handle >= 0) close(static_cast<int>(m_handle));
}

struct ScopedWriteLimit::Saved {
    rlimit limit{};
    void (*handler)(int) = SIG_DFL;
};

ScopedWriteLimit::ScopedWriteLimit(size_t bytes) : m_saved(std::make_unique<Saved>()) {
    getrlimit(RLIMIT_FSIZE, &m_saved->limit);
    m_saved->handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = m_saved->limit;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

ScopedWriteLimit::~ScopedWriteLimit() {
    setrlimit(RLIMIT_FSIZE, &m_saved->limit);
    std::signal(SIGXFSZ, m_saved->handler);
}

BOOL PeekableFile::Open(const char* fileName, UINT openFlags, CFileException* error) {
    return CFile::Open(fileName, openFlags, error);
}

void PeekableFile::Write(const void* buffer, UINT count) { CFile::Write(buffer, count); }

std::string PeekFile(const std::string& hostPath) { return ReadFile(hostPath); }

bool XmllintAvailable() { return std::system("xmllint --version >/dev/null 2>&1") == 0; }

std::optional<std::string> Xmllint(const std::vector<std::string>& args, const std::string& hostFile) {
    std::string command = "xmllint";
    for (const std::string& arg : args) command += " \"" + arg + "\"";
    command += " '" + hostFile + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return std::nullopt;
    std::string out;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
    return pclose(pipe) == 0 ? std::optional<std::string>(out) : std::nullopt;
}

}  // namespace reporttest
