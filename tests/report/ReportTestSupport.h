// Shared fixtures of the report tests besides tests/support: the current
// directory, a small tmpfs, and whole-file reads.
#pragma once

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "compat/drives.h"
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

// A tmpfs of the given size mounted on a folder, when the system lets us.
class ScopedTmpfs {
public:
    ScopedTmpfs(const std::string& dir, size_t bytes) : m_dir(dir) {
        std::string options = "size=" + std::to_string(bytes);
        m_bMounted = mount("tmpfs", dir.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~ScopedTmpfs() {
        if (m_bMounted) umount2(m_dir.c_str(), MNT_DETACH);
    }
    ScopedTmpfs(const ScopedTmpfs&) = delete;
    ScopedTmpfs& operator=(const ScopedTmpfs&) = delete;
    bool Mounted() const { return m_bMounted; }

private:
    std::string m_dir;
    bool m_bMounted = false;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// The Windows name of a host file (through Z:, the host's root).
inline std::string WindowsPath(const std::string& hostPath) { return compat::ToWindowsPath(hostPath); }

}  // namespace reporttest
