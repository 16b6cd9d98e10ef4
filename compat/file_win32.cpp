// CFile over Win32 file handles.  The handle lives in a C runtime
// descriptor (_open_osfhandle), so the class keeps one layout on every
// backend.

#include "compat/file.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>

#include "compat/backend.h"
#include "compat/mbcs.h"

namespace {

// The MFC cause of a Win32 error, as the framework translates them.
int CauseOf(DWORD error) {
    switch (error) {
    case NO_ERROR:
        return CFileException::none;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_NO_MORE_FILES:
    case ERROR_INVALID_HANDLE:
    case ERROR_DISK_CHANGE:
        return CFileException::fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_SAME_DEVICE:
    case ERROR_WRONG_DISK:
    case ERROR_BAD_NETPATH:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY:
    case ERROR_BUFFER_OVERFLOW:
        return CFileException::badPath;
    case ERROR_TOO_MANY_OPEN_FILES:
    case ERROR_SHARING_BUFFER_EXCEEDED:
    case ERROR_NO_MORE_SEARCH_HANDLES:
        return CFileException::tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_INVALID_ACCESS:
    case ERROR_WRITE_PROTECT:
    case ERROR_WRITE_FAULT:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
    case ERROR_CANNOT_MAKE:
    case ERROR_BUSY:
        return CFileException::accessDenied;
    case ERROR_BAD_FORMAT:
    case ERROR_NOT_DOS_DISK:
    case ERROR_INVALID_TARGET_HANDLE:
        return CFileException::invalidFile;
    case ERROR_CURRENT_DIRECTORY:
    case ERROR_DIR_NOT_EMPTY:
        return CFileException::removeCurrentDir;
    case ERROR_NO_SPOOL_SPACE:
        return CFileException::directoryFull;
    case ERROR_SEEK:
    case ERROR_BAD_LENGTH:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_READ_FAULT:
    case ERROR_NEGATIVE_SEEK:
    case ERROR_SEEK_ON_DEVICE:
        return CFileException::badSeek;
    case ERROR_BAD_UNIT:
    case ERROR_NOT_READY:
    case ERROR_CRC:
    case ERROR_NET_WRITE_FAULT:
    case ERROR_OPERATION_ABORTED:
        return CFileException::hardIO;
    case ERROR_SHARING_VIOLATION:
        return CFileException::sharingViolation;
    case ERROR_LOCK_VIOLATION:
    case ERROR_LOCK_FAILED:
    case ERROR_DRIVE_LOCKED:
        return CFileException::lockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return CFileException::diskFull;
    case ERROR_HANDLE_EOF:
        return CFileException::endOfFile;
    default:
        return CFileException::genericException;
    }
}

[[noreturn]] void Throw(DWORD error, const std::string& name) {
    throw CFileException(CauseOf(error), static_cast<int>(error), name);
}

// The full Windows name of a path, as the framework keeps it; the name
// itself when Windows cannot make it full.
std::string FullName(const char* fileName) {
    char full[MAX_PATH + 1];
    DWORD n = GetFullPathNameA(fileName, sizeof full, full, nullptr);
    if (n == 0 || n >= sizeof full) return fileName;
    return std::string(full, n);
}

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

}  // namespace

CFile::CFile() = default;

CFile::CFile(const char* fileName, UINT openFlags) {
    CFileException error(CFileException::none, 0, std::string());
    if (!Open(fileName, openFlags, &error)) throw error;
}

CFile::~CFile() { Abort(); }

BOOL CFile::Open(const char* fileName, UINT openFlags, CFileException* error) {
    auto fail = [&](DWORD osError) {
        if (error != nullptr)
            *error = CFileException(CauseOf(osError), static_cast<int>(osError), fileName != nullptr ? fileName : "");
        return FALSE;
    };
    if (IsOpen()) Abort();
    if (fileName == nullptr || fileName[0] == '\0') return fail(ERROR_PATH_NOT_FOUND);

    const compat::OpenShare modes = compat::OpenShareOf(openFlags);
    const DWORD access = (modes.read ? GENERIC_READ : 0) | (modes.write ? GENERIC_WRITE : 0);
    const DWORD share = (modes.deniesRead ? 0 : FILE_SHARE_READ) | (modes.deniesWrite ? 0 : FILE_SHARE_WRITE);
    DWORD creation = OPEN_EXISTING;
    if ((openFlags & modeCreate) != 0) creation = (openFlags & modeNoTruncate) != 0 ? OPEN_ALWAYS : CREATE_ALWAYS;

    HANDLE handle = CreateFileA(fileName, access, share, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return fail(GetLastError());
    // Only disk files: a pipe or a device in a file's place is refused like
    // a folder, which CreateFileA itself refuses.
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return fail(ERROR_ACCESS_DENIED);
    }
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return fail(ERROR_TOO_MANY_OPEN_FILES);
    }
    m_fd = fd;
    m_strFileName = FullName(fileName);
    return TRUE;
}

void CFile::Write(const void* buffer, UINT count) {
    if (!IsOpen()) Throw(ERROR_INVALID_HANDLE, m_strFileName);
    const char* p = static_cast<const char*>(buffer);
    UINT left = count;
    while (left > 0) {
        DWORD written = 0;
        if (!WriteFile(HandleOf(m_fd), p, left, &written, nullptr)) Throw(GetLastError(), m_strFileName);
        if (written == 0) Throw(ERROR_DISK_FULL, m_strFileName);
        p += written;
        left -= written;
    }
}

UINT CFile::Read(void* buffer, UINT count) {
    if (!IsOpen()) Throw(ERROR_INVALID_HANDLE, m_strFileName);
    char* p = static_cast<char*>(buffer);
    UINT done = 0;
    while (done < count) {
        DWORD n = 0;
        if (!ReadFile(HandleOf(m_fd), p + done, count - done, &n, nullptr)) Throw(GetLastError(), m_strFileName);
        if (n == 0) break;
        done += n;
    }
    return done;
}

uint64_t CFile::GetLength() const {
    if (!IsOpen()) Throw(ERROR_INVALID_HANDLE, m_strFileName);
    LARGE_INTEGER size;
    if (!GetFileSizeEx(HandleOf(m_fd), &size)) Throw(GetLastError(), m_strFileName);
    return static_cast<uint64_t>(size.QuadPart);
}

uint64_t CFile::SeekToEnd() {
    if (!IsOpen()) Throw(ERROR_INVALID_HANDLE, m_strFileName);
    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    LARGE_INTEGER end;
    if (!SetFilePointerEx(HandleOf(m_fd), zero, &end, FILE_END)) Throw(GetLastError(), m_strFileName);
    return static_cast<uint64_t>(end.QuadPart);
}

void CFile::Flush() {
    if (!IsOpen()) Throw(ERROR_INVALID_HANDLE, m_strFileName);
    if (!FlushFileBuffers(HandleOf(m_fd))) Throw(GetLastError(), m_strFileName);
}

void CFile::Close() {
    if (!IsOpen()) return;
    // The descriptor is gone whatever the close answers; a failure still
    // means the data may not have reached the file, so it is reported.
    int fd = m_fd;
    m_fd = -1;
    if (_close(fd) != 0) Throw(GetLastError(), m_strFileName);
}

void CFile::Abort() {
    if (!IsOpen()) return;
    _close(m_fd);
    m_fd = -1;
}

BOOL CFile::GetStatus(const char* fileName, CFileStatus& status) {
    if (fileName == nullptr || fileName[0] == '\0') return FALSE;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(fileName, GetFileExInfoStandard, &data)) return FALSE;
    status = CFileStatus();
    // 100 ns steps since 1601 to seconds since 1970.
    uint64_t stamp =
        (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    status.m_mtime = static_cast<std::time_t>(stamp / 10000000ULL - 11644473600ULL);
    bool isDir = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    status.m_size = isDir ? 0 : (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    status.m_attribute = static_cast<BYTE>(data.dwFileAttributes & 0xFF);
    std::string full = FullName(fileName);
    // A folder's full name carries no trailing separator, except a root's.
    char root[MAX_PATH + 1];
    snprintf(root, sizeof root, "%s", full.c_str());
    bool isRoot = PathStripToRootA(root) && strcmp(root, full.c_str()) == 0;
    if (!isRoot && full.size() > 1 && full.back() == '\\' &&
        !IsDbcsByte(full.c_str(), static_cast<int>(full.size()) - 1))
        full.pop_back();
    snprintf(status.m_szFullName, sizeof status.m_szFullName, "%s", full.c_str());
    return TRUE;
}

void CFile::Remove(const char* fileName) {
    if (fileName == nullptr || !DeleteFileA(fileName))
        Throw(fileName == nullptr ? ERROR_PATH_NOT_FOUND : GetLastError(), fileName != nullptr ? fileName : "");
}

void CFile::RenameOverHeld(const char* oldName, const char* newName, CFile& held) {
    held.Abort();
    Rename(oldName, newName);
}

void CFile::Rename(const char* oldName, const char* newName) {
    if (oldName == nullptr || newName == nullptr) Throw(ERROR_PATH_NOT_FOUND, oldName != nullptr ? oldName : "");
    // Replacing is the point of the callers' renames: the new content takes
    // the old name in one step.
    if (!MoveFileExA(oldName, newName, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        Throw(GetLastError(), oldName);
}
