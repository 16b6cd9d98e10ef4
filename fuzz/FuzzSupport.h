// What every fuzz target shares: checks that end the process as a crash,
// buffers that end at a guard page, and a platform home of the target's own.
//
// A target defines FuzzOne; AflRuntime.cpp gives it its test cases, many
// per process under afl-fuzz (persistent mode), one from standard input
// otherwise: `build/fuzz/fuzz/fuzz_fixdec < case` replays a finding.
#pragma once

#include <stdlib.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace fuzz {

// Runs one test case through the code under test.  It must leave nothing
// behind that changes how the next case runs in the same process.
void FuzzOne(const std::string& testCase);

[[noreturn]] inline void Broken(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
    std::abort();
}

// An invariant of the code under test: when it does not hold, the process
// aborts, which afl-fuzz records as a crash.
#define FUZZ_CHECK(condition)                                             \
    do {                                                                  \
        if (!(condition)) ::fuzz::Broken(#condition, __FILE__, __LINE__); \
    } while (0)

// size bytes that end where a page that may not be touched begins: a read
// or a write past the last byte faults at once.
class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t size) : m_nSize(size) {
        const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
        m_nMapped = (size + page - 1) / page * page + page;
        void* mapped = mmap(nullptr, m_nMapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED) Broken("mmap of a guarded buffer", __FILE__, __LINE__);
        m_pBase = static_cast<char*>(mapped);
        if (mprotect(m_pBase + m_nMapped - page, page, PROT_NONE) != 0)
            Broken("mprotect of the guard page", __FILE__, __LINE__);
        m_pData = m_pBase + m_nMapped - page - size;
    }
    // The text and its NUL, the NUL being the last byte before the guard.
    static GuardedBuffer Text(const std::string& text) {
        GuardedBuffer buffer(text.size() + 1);
        std::memcpy(buffer.Data(), text.c_str(), text.size() + 1);
        return buffer;
    }
    GuardedBuffer(GuardedBuffer&& other) noexcept
        : m_pBase(other.m_pBase), m_pData(other.m_pData), m_nSize(other.m_nSize), m_nMapped(other.m_nMapped) {
        other.m_pBase = nullptr;
    }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;
    ~GuardedBuffer() {
        if (m_pBase != nullptr) munmap(m_pBase, m_nMapped);
    }
    char* Data() const { return m_pData; }
    size_t Size() const { return m_nSize; }

private:
    char* m_pBase;
    char* m_pData;
    size_t m_nSize;
    size_t m_nMapped;
};

// The text up to its first NUL, as a C string would carry it.
inline std::string UpToNul(const std::string& input) { return input.substr(0, input.find('\0')); }

// $FUZZ_HOME, made if missing, else a folder of the target's own in /tmp;
// also the platform home (BOK_HOME) of the process.
inline std::string Home(const char* target) {
    const char* given = std::getenv("FUZZ_HOME");
    std::string home = given != nullptr && *given != '\0' ? given : std::string("/tmp/deprlink-fuzz-") + target;
    mkdir(home.c_str(), 0755);
    setenv("BOK_HOME", home.c_str(), 1);
    return home;
}

inline bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) Broken(("cannot write " + path).c_str(), __FILE__, __LINE__);
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
        Broken(("cannot write " + path).c_str(), __FILE__, __LINE__);
    std::fclose(file);
}

inline std::string ReadFile(const std::string& path) {
    std::string bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return bytes;
    char chunk[4096];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.append(chunk, got);
    std::fclose(file);
    return bytes;
}

// Whether text is UTF-8 without control characters: what a message may
// carry to a terminal.
inline bool IsPrintableUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) return false;
        size_t length = c < 0x80                 ? 1
                        : c >= 0xC2 && c <= 0xDF ? 2
                        : c >= 0xE0 && c <= 0xEF ? 3
                        : c >= 0xF0 && c <= 0xF4 ? 4
                                                 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

}  // namespace fuzz
