// MFC's CFile as the program uses it: files by Windows path, failures as
// CFileException.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "compat/win32.h"

class CFileException {
public:
    enum Cause {
        none = 0,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };
    CFileException(int cause, int osError, std::string fileName)
        : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fileName)) {}
    int m_cause;
    long m_lOsError;            // errno
    std::string m_strFileName;  // cp932 Windows path
};

struct CFileStatus {
    std::time_t m_mtime = 0;
    uint64_t m_size = 0;
    BYTE m_attribute = 0;  // 0x10 directory
    char m_szFullName[MAX_PATH + 1] = {};
};

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoTruncate = 0x2000,
        modeCreate = 0x1000,
        typeText = 0x4000,
        typeBinary = 0x8000
    };
    // device: a device rather than a file on disk (Win32's value for it).
    enum Attribute : BYTE {
        normal = 0,
        readOnly = 1,
        hidden = 2,
        system = 4,
        volume = 8,
        directory = 0x10,
        archive = 0x20,
        device = 0x40
    };

    CFile();
    // Opens or throws CFileException.
    CFile(const char* fileName, UINT openFlags);
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // FALSE on failure, filling error when given.  The share mode works as
    // Windows' sharing rules say, across processes: an open that another
    // opener's share mode forbids (or that would forbid another opener's
    // access) fails with sharingViolation and leaves the file untouched;
    // modeCreate truncates only once the open has been let through.
    virtual BOOL Open(const char* fileName, UINT openFlags, CFileException* error = nullptr);
    // One write call for the whole range; throws CFileException (also when
    // no file is open).
    virtual void Write(const void* buffer, UINT count);
    // Returns the bytes read; throws on failure.
    virtual UINT Read(void* buffer, UINT count);
    virtual uint64_t GetLength() const;
    virtual uint64_t SeekToEnd();
    // Forces the written bytes to the medium (fsync); throws on failure.
    virtual void Flush();
    // Closes; throws when the close reports an error.
    virtual void Close();
    // Closes, never throws.
    virtual void Abort();
    bool IsOpen() const { return m_fd >= 0; }

    // FALSE when the file does not exist or cannot be named.
    static BOOL GetStatus(const char* fileName, CFileStatus& status);
    static void Remove(const char* fileName);                      // throws
    static void Rename(const char* oldName, const char* newName);  // throws, replaces newName
    // Renames oldName over newName, which held has open and keeps other
    // openers out of, for as long as the system lets the hold last: a POSIX
    // system renames over an open file, so the hold lasts past the rename;
    // Windows replaces no open file, so there it is let go of just before.
    // held is closed afterwards either way.  Throws as Rename.
    static void RenameOverHeld(const char* oldName, const char* newName, CFile& held);

private:
    int m_fd = -1;
    std::string m_strFileName;
};
