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

#include "compat/backend.h"
#include "compat/mbcs.h"
#include "compat/pathmap.h"

namespace {

// The MFC cause of an errno.  A missing parent folder is a bad path, as
// Windows reports it; a missing file in an existing folder is not found.
int CauseOf(int error) {
    switch (error) {
    case ENOENT:
        return CFileException::fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
        return CFileException::badPath;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EEXIST:
    case ETXTBSY:
        return CFileException::accessDenied;
    case EMFILE:
    case ENFILE:
        return CFileException::tooManyOpenFiles;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return CFileException::diskFull;
    case EIO:
        return CFileException::hardIO;
    case EBADF:
        return CFileException::invalidFile;
    case EWOULDBLOCK:
        return CFileException::sharingViolation;
    case ESPIPE:
        return CFileException::badSeek;
    default:
        return CFileException::genericException;
    }
}

bool ParentExists(const std::string& hostPath) {
    std::string path = hostPath;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return true;
    std::string parent = slash == 0 ? "/" : path.substr(0, slash);
    struct stat st;
    return stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int OpenCauseOf(int error, const std::string& hostPath) {
    if (error == ENOENT && !ParentExists(hostPath)) return CFileException::badPath;
    return CauseOf(error);
}

[[noreturn]] void Throw(int cause, int error, const std::string& name) { throw CFileException(cause, error, name); }

std::optional<compat::ResolvedPath> ResolveOrThrow(const char* fileName) {
    std::optional<compat::ResolvedPath> resolved = compat::ResolvePath(fileName);
    if (!resolved) Throw(CFileException::badPath, ENOENT, fileName != nullptr ? fileName : "");
    return resolved;
}

// Windows' share modes between openers, in every process that opens the
// file through this class.
//
// A whole-file flock says the coarse part and is what other programs see:
// an exclusive (or compatibility-mode) opener holds LOCK_EX, every other
// opener LOCK_SH, so `flock -x` elsewhere makes the file busy and keeps
// everyone out.  The finer part, which access an opener has and which it
// denies the others, is a shared open-file-description lock on one byte
// each, far beyond any real data: an open is refused when another opener
// denies the access it asks for, or has an access that it would deny.
// Each open registers first and checks afterwards, so of two conflicting
// openers at the same instant at least one is refused, never neither.
// All locks go with the descriptor.
constexpr off_t kShareBase = static_cast<off_t>(0x7FFFFFFF00000000LL);
enum : off_t { kHoldsRead = 0, kHoldsWrite = 1, kDeniesRead = 2, kDeniesWrite = 3 };
constexpr int kReopenAttempts = 4;

struct flock ByteAt(off_t which, short type) {
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = kShareBase + which;
    lock.l_len = 1;
    return lock;
}

// 1 registered, 0 not possible on this descriptor or file system (the
// open is then checked against the others without being seen by them),
// -1 failed.
int Register(int fd, off_t which) {
    struct flock lock = ByteAt(which, F_RDLCK);
    if (fcntl(fd, F_OFD_SETLK, &lock) == 0) return 1;
    return errno == EBADF || errno == EINVAL || errno == ENOLCK || errno == EOPNOTSUPP ? 0 : -1;
}

// Whether another open file description holds the byte.
bool HeldByOthers(int fd, off_t which) {
    struct flock lock = ByteAt(which, F_WRLCK);
    return fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
}

bool TakeShare(int fd, const compat::OpenShare& modes) {
    const bool exclusive = modes.deniesRead && modes.deniesWrite;
    if (flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) return errno != EWOULDBLOCK && errno != EINTR;
    if (exclusive) return true;
    const struct {
        bool applies;
        off_t mine;
        off_t conflicting;
    } marks[] = {
        {modes.read, kHoldsRead, kDeniesRead},
        {modes.write, kHoldsWrite, kDeniesWrite},
        {modes.deniesRead, kDeniesRead, kHoldsRead},
        {modes.deniesWrite, kDeniesWrite, kHoldsWrite},
    };
    for (const auto& mark : marks) {
        if (mark.applies && Register(fd, mark.mine) < 0) return false;
    }
    for (const auto& mark : marks) {
        if (mark.applies && HeldByOthers(fd, mark.conflicting)) return false;
    }
    return true;
}

// Non-blocking only while opening: a FIFO in a file's place must not hang
// the program, and it is refused by the caller like a folder.  A file
// opened only for writing is opened for reading too where it can be, so
// that it can carry its read-mode share marks.
int OpenDescriptor(const std::string& host, int flags) {
    if ((flags & O_ACCMODE) == O_WRONLY) {
        int fd = open(host.c_str(), (flags & ~O_ACCMODE) | O_RDWR | O_NONBLOCK, 0666);
        if (fd >= 0 || errno != EACCES) return fd;
    }
    return open(host.c_str(), flags | O_NONBLOCK, 0666);
}

// The open(2) flags of an open's mode, with O_CREAT for modeCreate.
// Never O_TRUNC here: the file may belong to another opener whose share
// mode forbids this open, and Windows leaves such a file untouched.  It is
// truncated once the share check has let the open through.
int OpenFlagsOf(UINT openFlags) {
    int flags = O_CLOEXEC;
    switch (openFlags & 3) {
    case CFile::modeWrite:
        flags |= O_WRONLY;
        break;
    case CFile::modeReadWrite:
        flags |= O_RDWR;
        break;
    default:
        flags |= O_RDONLY;
        break;
    }
    if ((openFlags & CFile::modeCreate) != 0) flags |= O_CREAT;
    return flags;
}

// One attempt at an open: the descriptor with its share taken, or the
// failure.  replaced: another file was renamed over the name between the
// open and the lock.
struct OpenAttempt {
    int fd = -1;
    int cause = 0;
    int osError = 0;
    bool replaced = false;
};

OpenAttempt FailedAttempt(int cause, int osError, bool replaced = false) {
    OpenAttempt attempt;
    attempt.cause = cause;
    attempt.osError = osError;
    attempt.replaced = replaced;
    return attempt;
}

OpenAttempt OpenShared(const std::string& host, int flags, const compat::OpenShare& modes, UINT openFlags) {
    int fd = OpenDescriptor(host, flags);
    if (fd < 0) return FailedAttempt(OpenCauseOf(errno, host), errno);
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) {
        ::close(fd);
        return FailedAttempt(CFileException::accessDenied, EISDIR);
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (S_ISREG(st.st_mode)) {
        if (!TakeShare(fd, modes)) {
            ::close(fd);
            return FailedAttempt(CFileException::sharingViolation, EWOULDBLOCK);
        }
        // The share belongs to the file now at the name: one renamed over
        // it between the open and the lock (a replacement by another
        // process) is opened afresh.
        struct stat now;
        if (stat(host.c_str(), &now) != 0 || now.st_dev != st.st_dev || now.st_ino != st.st_ino) {
            ::close(fd);
            return FailedAttempt(CFileException::sharingViolation, EWOULDBLOCK, true);
        }
        const bool create = (openFlags & CFile::modeCreate) != 0;
        if (create && (openFlags & CFile::modeNoTruncate) == 0 && ftruncate(fd, 0) != 0) {
            const int cause = CauseOf(errno), osError = errno;
            ::close(fd);
            return FailedAttempt(cause, osError);
        }
    }
    OpenAttempt opened;
    opened.fd = fd;
    return opened;
}

}  // namespace

CFile::CFile() = default;

CFile::CFile(const char* fileName, UINT openFlags) {
    CFileException error(CFileException::none, 0, std::string());
    if (!Open(fileName, openFlags, &error)) throw error;
}

CFile::~CFile() { Abort(); }

BOOL CFile::Open(const char* fileName, UINT openFlags, CFileException* error) {
    auto fail = [&](int cause, int osError) {
        if (error != nullptr) *error = CFileException(cause, osError, fileName != nullptr ? fileName : "");
        return FALSE;
    };
    if (IsOpen()) Abort();
    std::optional<compat::ResolvedPath> resolved = compat::ResolvePath(fileName);
    if (!resolved) return fail(CFileException::badPath, ENOENT);

    const compat::OpenShare modes = compat::OpenShareOf(openFlags);
    const int flags = OpenFlagsOf(openFlags);
    bool writing = (flags & (O_WRONLY | O_RDWR | O_CREAT)) != 0;
    if (writing && resolved->drive.readOnly) return fail(CFileException::accessDenied, EROFS);

    for (int attempt = 0;; ++attempt) {
        const OpenAttempt opened = OpenShared(resolved->host, flags, modes, openFlags);
        if (opened.replaced && attempt < kReopenAttempts) continue;
        if (opened.fd < 0) return fail(opened.cause, opened.osError);
        m_fd = opened.fd;
        break;
    }
    m_strFileName = resolved->windows;
    return TRUE;
}

void CFile::Write(const void* buffer, UINT count) {
    if (!IsOpen()) Throw(CFileException::invalidFile, EBADF, m_strFileName);
    const char* p = static_cast<const char*>(buffer);
    size_t left = count;
    while (left > 0) {
        ssize_t n = ::write(m_fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Throw(CauseOf(errno), errno, m_strFileName);
        if (n == 0) Throw(CFileException::diskFull, ENOSPC, m_strFileName);
        p += n;
        left -= static_cast<size_t>(n);
    }
}

UINT CFile::Read(void* buffer, UINT count) {
    if (!IsOpen()) Throw(CFileException::invalidFile, EBADF, m_strFileName);
    char* p = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < count) {
        ssize_t n = ::read(m_fd, p + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Throw(CauseOf(errno), errno, m_strFileName);
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    return static_cast<UINT>(done);
}

uint64_t CFile::GetLength() const {
    struct stat st;
    if (!IsOpen()) Throw(CFileException::invalidFile, EBADF, m_strFileName);
    if (fstat(m_fd, &st) != 0) Throw(CauseOf(errno), errno, m_strFileName);
    return static_cast<uint64_t>(st.st_size);
}

uint64_t CFile::SeekToEnd() {
    if (!IsOpen()) Throw(CFileException::invalidFile, EBADF, m_strFileName);
    off_t end = lseek(m_fd, 0, SEEK_END);
    if (end < 0) Throw(CauseOf(errno), errno, m_strFileName);
    return static_cast<uint64_t>(end);
}

void CFile::Flush() {
    if (!IsOpen()) Throw(CFileException::invalidFile, EBADF, m_strFileName);
    // Devices and pipes cannot be synchronised; for them there is nothing
    // to wait for.
    if (fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS) Throw(CauseOf(errno), errno, m_strFileName);
}

void CFile::Close() {
    if (!IsOpen()) return;
    int fd = m_fd;
    m_fd = -1;
    // The descriptor is gone whatever close answers; a failure still means
    // the data may not have reached the file, so it is reported.
    if (::close(fd) != 0 && errno != EINTR) Throw(CauseOf(errno), errno, m_strFileName);
}

void CFile::Abort() {
    if (!IsOpen()) return;
    ::close(m_fd);
    m_fd = -1;
}

BOOL CFile::GetStatus(const char* fileName, CFileStatus& status) {
    std::optional<compat::ResolvedPath> resolved = compat::ResolvePath(fileName);
    struct stat st;
    if (!resolved || stat(resolved->host.c_str(), &st) != 0) return FALSE;
    status = CFileStatus();
    status.m_mtime = st.st_mtim.tv_sec;
    status.m_size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    status.m_attribute = S_ISDIR(st.st_mode) ? directory : normal;
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) status.m_attribute |= device;
    if (resolved->drive.readOnly) status.m_attribute |= readOnly;
    std::string full = resolved->windows;
    // A folder's full name carries no trailing separator, as Windows gives it.
    if (!resolved->isRoot && full.size() > 1 && full.back() == '\\' &&
        !IsDbcsByte(full.c_str(), static_cast<int>(full.size()) - 1))
        full.pop_back();
    snprintf(status.m_szFullName, sizeof status.m_szFullName, "%s", full.c_str());
    return TRUE;
}

void CFile::Remove(const char* fileName) {
    std::optional<compat::ResolvedPath> resolved = ResolveOrThrow(fileName);
    if (resolved->drive.readOnly) Throw(CFileException::accessDenied, EROFS, resolved->windows);
    if (unlink(resolved->host.c_str()) != 0) Throw(OpenCauseOf(errno, resolved->host), errno, resolved->windows);
}

void CFile::RenameOverHeld(const char* oldName, const char* newName, CFile& held) {
    try {
        Rename(oldName, newName);
    } catch (...) {
        held.Abort();
        throw;
    }
    held.Abort();
}

void CFile::Rename(const char* oldName, const char* newName) {
    std::optional<compat::ResolvedPath> from = ResolveOrThrow(oldName);
    std::optional<compat::ResolvedPath> to = ResolveOrThrow(newName);
    if (from->drive.readOnly || to->drive.readOnly) Throw(CFileException::accessDenied, EROFS, from->windows);
    if (rename(from->host.c_str(), to->host.c_str()) != 0) Throw(OpenCauseOf(errno, from->host), errno, from->windows);
}
