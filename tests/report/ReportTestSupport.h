// Shared fixtures of the report tests besides tests/support: the current
// directory, whole-file reads, and the places and means that make writes
// fail, which each system makes its own way (ReportPlaces.cpp on Linux,
// ReportPlaces_win32.cpp on Windows).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compat/drives.h"
#include "compat/file.h"
#include "report/ClReportWriter.h"
#include "tests/support/TestSupport.h"

namespace reporttest {

class ScopedChdir {
public:
    explicit ScopedChdir(const std::string& dir) : m_old(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~ScopedChdir() {
        std::error_code ignored;
        std::filesystem::current_path(m_old, ignored);
    }
    ScopedChdir(const ScopedChdir&) = delete;
    ScopedChdir& operator=(const ScopedChdir&) = delete;

private:
    std::filesystem::path m_old;
};

// The Windows path of a file on a disk with no room left: /dev/full through
// Z: on Linux; on Windows a file of this process on F:, the full drive of
// the tests' Wine prefix (scripts/wine-drives.sh).
std::string FullDiskFile();

// A folder with room for 4096 bytes, empty when made: a tmpfs mounted on a
// folder of the test (Linux); T:, the small drive of the tests' Wine
// prefix, held by one test at a time across the test processes (Windows).
// Both need root to mount; Why() says what is missing when not Ready().
class SmallDisk {
public:
    explicit SmallDisk(const testsupport::TempFolder& beside);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Ready() const { return m_bReady; }
    const std::string& Why() const { return m_strWhy; }
    const std::string& Dir() const { return m_strDir; }  // host path
    std::string File(const std::string& name) const { return m_strDir + "/" + name; }
    bool IsEmpty() const;

private:
    std::string m_strDir;
    std::string m_strWhy;
    bool m_bReady = false;
    struct Held;  // what keeps the disk this test's
    std::unique_ptr<Held> m_held;
};

// Holds a file as another program's lock does (flock on Linux, LockFileEx
// on a handle sharing everything on Windows) while it lives.
class OtherProgramsLock {
public:
    explicit OtherProgramsLock(const std::string& hostPath);
    ~OtherProgramsLock();
    OtherProgramsLock(const OtherProgramsLock&) = delete;
    OtherProgramsLock& operator=(const OtherProgramsLock&) = delete;
    bool Held() const { return m_bHeld; }

private:
    intptr_t m_handle = -1;
    bool m_bHeld = false;
};

// While it lives, a file of the program may grow to bytes and no further:
// a write past it fails as on a full disk.  Linux lowers the process's
// file size limit (the signal it raises ignored); Windows has no such
// limit, so there the report writer's files are ones that stop there.
class ScopedWriteLimit {
public:
    explicit ScopedWriteLimit(size_t bytes);
    ~ScopedWriteLimit();
    ScopedWriteLimit(const ScopedWriteLimit&) = delete;
    ScopedWriteLimit& operator=(const ScopedWriteLimit&) = delete;

private:
    struct Saved;
    std::unique_ptr<Saved> m_saved;
};

// A file whose bytes a test can see while it is held open (PeekFile).
// Windows lets no reader in beside the writers' opens, which deny reading,
// so there the file keeps a copy of what it writes; on Linux it is a
// plain file.
class PeekableFile : public CFile {
public:
    BOOL Open(const char* fileName, UINT openFlags, CFileException* error = nullptr) override;
    void Write(const void* buffer, UINT count) override;

private:
    std::string m_strKey;  // Windows: the name whose copy this file keeps
};

// The bytes of a file that a writer may hold open: read from the file on
// Linux; on Windows what the last PeekableFile opened at the path wrote.
std::string PeekFile(const std::string& hostPath);

// While it lives, the report writer's files are PeekableFiles.
class ScopedPeekableFiles {
public:
    ScopedPeekableFiles() {
        ClReportWriter::SetFileFactory([]() -> std::unique_ptr<CFile> { return std::make_unique<PeekableFile>(); });
    }
    ~ScopedPeekableFiles() { ClReportWriter::SetFileFactory(nullptr); }
    ScopedPeekableFiles(const ScopedPeekableFiles&) = delete;
    ScopedPeekableFiles& operator=(const ScopedPeekableFiles&) = delete;
};

// Whether xmllint can be run: on Linux the host's; on Windows an
// xmllint.exe on the PATH, which a fresh Wine prefix does not have.
bool XmllintAvailable();

// The standard output of xmllint with args and a file (host path);
// nullopt when it fails.
std::optional<std::string> Xmllint(const std::vector<std::string>& args, const std::string& hostFile);

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// The Windows name of a host file (on Linux through Z:, the host's root).
inline std::string WindowsPath(const std::string& hostPath) { return compat::ToWindowsPath(hostPath); }

}  // namespace reporttest
