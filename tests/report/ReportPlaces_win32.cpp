// The report tests' failing places on Windows, in the drives that
// scripts/wine-drives.sh gives the tests' Wine prefix: F: is full, T: has
// room for 4096 bytes.

#include <windows.h>

#include <cstdio>
#include <map>
#include <system_error>

#include "ReportTestSupport.h"
#include "compat/file.h"
#include "compat/mbcs.h"
#include "report/ClReportWriter.h"
#include "tests/TestEnvironment.h"

namespace reporttest {

std::string FullDiskFile() { return "F:\\report-" + std::to_string(GetCurrentProcessId()) + ".xml"; }

struct SmallDisk::Held {
    HANDLE mutex = nullptr;
};

// The drive is one for every test process, so a named mutex (one Wine
// server answers for all of them) hands it to one test at a time, and
// whatever an earlier test left there goes first.
SmallDisk::SmallDisk(const testsupport::TempFolder&) : m_strDir("T:"), m_held(std::make_unique<Held>()) {
    if (GetDriveTypeA("T:\\") != DRIVE_FIXED) {
        m_strWhy = "no small drive T: (scripts/wine-drives.sh mounts one as root)";
        return;
    }
    m_held->mutex = CreateMutexA(nullptr, FALSE, "deprlink-tests-small-drive");
    if (m_held->mutex == nullptr) {
        m_strWhy = "no mutex for T:";
        return;
    }
    const DWORD waited = WaitForSingleObject(m_held->mutex, 60000);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        m_strWhy = "T: stayed busy";
        return;
    }
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator("T:\\", ignored))
        std::filesystem::remove_all(entry.path(), ignored);
    m_bReady = true;
}

SmallDisk::~SmallDisk() {
    if (m_held->mutex == nullptr) return;
    if (m_bReady) {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator("T:\\", ignored))
            std::filesystem::remove_all(entry.path(), ignored);
        ReleaseMutex(m_held->mutex);
    }
    CloseHandle(m_held->mutex);
}

bool SmallDisk::IsEmpty() const {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("T:\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return true;
    bool empty = true;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") empty = false;
    } while (empty && FindNextFileA(search, &found));
    FindClose(search);
    return empty;
}

OtherProgramsLock::OtherProgramsLock(const std::string& hostPath) {
    HANDLE handle = CreateFileW(test_env::FromUtf8(hostPath).wstring().c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return;
    m_handle = reinterpret_cast<intptr_t>(handle);
    OVERLAPPED whole = {};
    m_bHeld = LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole);
}

OtherProgramsLock::~OtherProgramsLock() {
    if (m_handle != -1) CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

namespace {

size_t g_nWriteLimit = 0;

// A file that takes bytes up to the limit and then fails as a full disk.
class LimitedFile : public CFile {
public:
    void Write(const void* buffer, UINT count) override {
        const size_t room = m_nWritten < g_nWriteLimit ? g_nWriteLimit - m_nWritten : 0;
        if (count <= room) {
            CFile::Write(buffer, count);
            m_nWritten += count;
            return;
        }
        if (room > 0) CFile::Write(buffer, static_cast<UINT>(room));
        m_nWritten += room;
        throw CFileException(CFileException::diskFull, ERROR_DISK_FULL, "report.xml");
    }

private:
    size_t m_nWritten = 0;
};

}  // namespace

struct ScopedWriteLimit::Saved {};

ScopedWriteLimit::ScopedWriteLimit(size_t bytes) {
    g_nWriteLimit = bytes;
    ClReportWriter::SetFileFactory([]() -> std::unique_ptr<CFile> { return std::make_unique<LimitedFile>(); });
}

ScopedWriteLimit::~ScopedWriteLimit() { ClReportWriter::SetFileFactory(nullptr); }

namespace {

// What each PeekableFile wrote, by the folded Windows name it opened.
std::map<std::string, std::string>& Copies() {
    static std::map<std::string, std::string> copies;
    return copies;
}

}  // namespace

BOOL PeekableFile::Open(const char* fileName, UINT openFlags, CFileException* error) {
    if (!CFile::Open(fileName, openFlags, error)) return FALSE;
    m_strKey = compat::FoldCase(fileName);
    std::string& copy = Copies()[m_strKey];
    if ((openFlags & modeCreate) != 0 && (openFlags & modeNoTruncate) == 0) copy.clear();
    return TRUE;
}

void PeekableFile::Write(const void* buffer, UINT count) {
    CFile::Write(buffer, count);
    Copies()[m_strKey].append(static_cast<const char*>(buffer), count);
}

std::string PeekFile(const std::string& hostPath) {
    const auto found = Copies().find(compat::FoldCase(compat::ToWindowsPath(hostPath)));
    return found != Copies().end() ? found->second : ReadFile(hostPath);
}

namespace {

std::string XmllintProgram() {
    char found[MAX_PATH];
    if (SearchPathA(nullptr, "xmllint.exe", nullptr, sizeof found, found, nullptr) == 0) return std::string();
    return found;
}

}  // namespace

bool XmllintAvailable() { return !XmllintProgram().empty(); }

std::optional<std::string> Xmllint(const std::vector<std::string>& args, const std::string& hostFile) {
    const std::string program = XmllintProgram();
    if (program.empty()) return std::nullopt;
    const std::string file = compat::ToWindowsPath(hostFile);
    std::string command = "\"" + program + "\"";
    for (const std::string& arg : args) command += " \"" + arg + "\"";
    command += " \"" + file + "\"";

    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return std::nullopt;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    const BOOL started =
        CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    std::string out;
    DWORD code = 1;
    if (started) {
        char buffer[4096];
        DWORD got = 0;
        while (::ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    if (!started || code != 0) return std::nullopt;
    return out;
}

}  // namespace reporttest
