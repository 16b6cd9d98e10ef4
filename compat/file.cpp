// CFile over POSIX descriptors.

#include "compat/file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include "compat/mbcs.h"
#include "compat/pathmap.h"

namespace {

// The MFC cause of an errno.  A missing parent folder is a bad path, as
// Windows reports it; a missing file in an existing folder is not found.
int CauseOf(int error)
{
    switch (error) {
    case ENOENT: return CFileException::fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL: return CFileException::badPath;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EEXIST:
    case ETXTBSY: return CFileException::accessDenied;
    case EMFILE:
    case ENFILE: return CFileException::tooManyOpenFiles;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return CFileException::diskFull;
    case EIO: return CFileException::hardIO;
    case EBADF: return CFileException::invalidFile;
    case EWOULDBLOCK: return CFileException::sharingViolation;
    case ESPIPE: return CFileException::badSeek;
    default: return CFileException::genericException;
    }
}

bool ParentExists(const std::string& hostPath)
{
    std::string path = hostPath;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return true;
    std::string parent = slash == 0 ? "/" : path.substr(0, slash);
    struct stat st;
    return stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int OpenCauseOf(int error, const std::string& hostPath)
{
    if (error == ENOENT && !ParentExists(hostPath))
        return CFileException::badPath;
    return CauseOf(error);
}

[[noreturn]] void Throw(int cause, int error, const std::string& name)
{
    throw CFileException(cause, error, name);
}

std::optional<compat::ResolvedPath> ResolveOrThrow(const char* fileName)
{
    std::optional<compat::ResolvedPath> resolved = compat::ResolvePath(fileName);
    if (!resolved)
        Throw(CFileException::badPath, ENOENT, fileName != nullptr ? fileName : "");
    return resolved;
}

}  // namespace

CFile::CFile() = default;

CFile::CFile(const char* fileName, UINT openFlags)
{
    CFileException error(CFileException::none, 0, std::string());
    if (!Open(fileName, openFlags, &error))
        throw error;
}

CFile::~CFile()
{
    Abort();
}

BOOL CFile::Open(const char* fileName, UINT openFlags, CFileException* error)
{
    auto fail = [&](int cause, int osError) {
        if (error != nullptr)
            *error = CFileException(cause, osError, fileName != nullptr ? fileName : "");
        return FALSE;
    };
    if (IsOpen())
        Abort();
    std::optional<compat::ResolvedPath> resolved = compat::ResolvePath(fileName);
    if (!resolved)
        return fail(CFileException::badPath, ENOENT);

    int flags = O_CLOEXEC;
    switch (openFlags & 3) {
    case modeWrite: flags |= O_WRONLY; break;
    case modeReadWrite: flags |= O_RDWR; break;
    default: flags |= O_RDONLY; break;
    }
    if ((openFlags & modeCreate) != 0) {
        flags |= O_CREAT;
        if ((openFlags & modeNoTruncate) == 0)
            flags |= O_TRUNC;
    }
    bool writing = (flags & (O_WRONLY | O_RDWR | O_CREAT)) != 0;
    if (writing && resolved->drive.readOnly)
        return fail(CFileException::accessDenied, EROFS);

    // Non-blocking only while opening: a FIFO in a file's place must not
    // hang the program, and it is refused below like a folder.
    int fd = open(resolved->host.c_str(), flags | O_NONBLOCK, 0666);
    if (fd < 0)
        return fail(OpenCauseOf(errno, resolved->host), errno);
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) {
        ::close(fd);
        return fail(CFileException::accessDenied, EISDIR);
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    // Windows' share modes, as far as advisory locks can say them: whoever
    // denies others writing (or everything) holds a lock that another such
    // opener cannot take.
    int lock = 0;
    switch (openFlags & 0x70) {
    case shareCompat:
    case shareExclusive:
    case shareDenyRead: lock = LOCK_EX; break;
    case shareDenyWrite: lock = LOCK_SH; break;
    default: break;
    }
    if (lock != 0 && S_ISREG(st.st_mode) && flock(fd, lock | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        ::close(fd);
        return fail(CFileException::sharingViolation, EWOULDBLOCK);
    }
    m_fd = fd;
    m_strFileName = resolved->windows;
    return TRUE;
}

void CFile::Write(const void* buffer, UINT count)
{
    if (!IsOpen())
        Throw(CFileException::invalidFile, EBADF, m_strFileName);
    const char* p = static_cast<const char*>(buffer);
    size_t left = count;
    while (left > 0) {
        ssize_t n = ::write(m_fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            Throw(CauseOf(errno), errno, m_strFileName);
        if (n == 0)
            Throw(CFileException::diskFull, ENOSPC, m_strFileName);
        p += n;
        left -= static_cast<size_t>(n);
    }
}

UINT CFile::Read(void* buffer, UINT count)
{
    if (!IsOpen())
        Throw(CFileException::invalidFile, EBADF, m_strFileName);
    char* p = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < count) {
        ssize_t n = ::read(m_fd, p + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            Throw(CauseOf(errno), errno, m_strFileName);
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    return static_cast<UINT>(done);
}

uint64_t CFile::GetLength() const
{
    struct stat st;
    if (!IsOpen())
        Throw(CFileException::invalidFile, EBADF, m_strFileName);
    if (fstat(m_fd, &st) != 0)
        Throw(CauseOf(errno), errno, m_strFileName);
    return static_cast<uint64_t>(st.st_size);
}

uint64_t CFile::SeekToEnd()
{
    if (!IsOpen())
        Throw(CFileException::invalidFile, EBADF, m_strFileName);
    off_t end = lseek(m_fd, 0, SEEK_END);
    if (end < 0)
        Throw(CauseOf(errno), errno, m_strFileName);
    return static_cast<uint64_t>(end);
}

void CFile::Flush()
{
    if (!IsOpen())
        Throw(CFileException::invalidFile, EBADF, m_strFileName);
    // Devices and pipes cannot be synchronised; for them there is nothing
    // to wait for.
    if (fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS)
        Throw(CauseOf(errno), errno, m_strFileName);
}

void CFile::Close()
{
    if (!IsOpen())
        return;
    int fd = m_fd;
    m_fd = -1;
    // The descriptor is gone whatever close answers; a failure still means
    // the data may not have reached the file, so it is reported.
    if (::close(fd) != 0 && errno != EINTR)
        Throw(CauseOf(errno), errno, m_strFileName);
}

void CFile::Abort()
{
    if (!IsOpen())
        return;
    ::close(m_fd);
    m_fd = -1;
}

BOOL CFile::GetStatus(const char* fileName, CFileStatus& status)
{
    std::optional<compat::ResolvedPath> resolved = compat::ResolvePath(fileName);
    struct stat st;
    if (!resolved || stat(resolved->host.c_str(), &st) != 0)
        return FALSE;
    status = CFileStatus();
    status.m_mtime = st.st_mtim.tv_sec;
    status.m_size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    status.m_attribute = S_ISDIR(st.st_mode) ? directory : normal;
    if (resolved->drive.readOnly)
        status.m_attribute |= readOnly;
    std::string full = resolved->windows;
    // A folder's full name carries no trailing separator, as Windows gives it.
    if (!resolved->isRoot && full.size() > 1 && full.back() == '\\' &&
        !IsDbcsByte(full.c_str(), static_cast<int>(full.size()) - 1))
        full.pop_back();
    snprintf(status.m_szFullName, sizeof status.m_szFullName, "%s", full.c_str());
    return TRUE;
}

void CFile::Remove(const char* fileName)
{
    std::optional<compat::ResolvedPath> resolved = ResolveOrThrow(fileName);
    if (resolved->drive.readOnly)
        Throw(CFileException::accessDenied, EROFS, resolved->windows);
    if (unlink(resolved->host.c_str()) != 0)
        Throw(OpenCauseOf(errno, resolved->host), errno, resolved->windows);
}

void CFile::Rename(const char* oldName, const char* newName)
{
    std::optional<compat::ResolvedPath> from = ResolveOrThrow(oldName);
    std::optional<compat::ResolvedPath> to = ResolveOrThrow(newName);
    if (from->drive.readOnly || to->drive.readOnly)
        Throw(CFileException::accessDenied, EROFS, from->windows);
    if (rename(from->host.c_str(), to->host.c_str()) != 0)
        Throw(OpenCauseOf(errno, from->host), errno, from->windows);
}
