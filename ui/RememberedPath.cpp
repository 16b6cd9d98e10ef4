// The remembered-path file: one line per user and company data,
//     <user ID>/<first selection no>/<data no>:<A>/<B>/<category>/<path>\n
// in the platform's application folder of type 1.
//
// Positions inside the file are size_t throughout and the file is read
// whole into a std::string, so files of any size (32 KiB and beyond) keep
// every byte.

#include "ui/ConditionsDlg.h"

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "compat/drives.h"
#include "compat/file.h"
#include "compat/mbcs.h"
#include "edition/Edition.h"
#include "platform/BokCmn.h"
#include "platform/BokFileMgr.h"
#include "ui/OutputPath.h"
#include "ui/RememberedPath.h"

namespace {

bool g_bInterruptSave = false;

constexpr size_t kLineBytes = 512;
constexpr size_t kUserIdBytes = 65;
constexpr UINT kChunk = 1u << 20;

// The folder (ending in "\\") and the file's full name; false when the
// platform names no folder of type 1.
bool LocateFile(std::string& folder, std::string& file) {
    ClFileMgr* fileMgr = ClFileMgr::Inst();
    if (fileMgr == nullptr) return false;
    char buffer[MAX_PATH + 1] = {};
    fileMgr->GetAppFolderPath(ClFileMgr::APPFOLDER_ENV, buffer);
    buffer[MAX_PATH] = '\0';
    if (buffer[0] == '\0' || !AppendBackslash(buffer, sizeof buffer)) return false;
    folder = buffer;
    file = folder + CurrentEdition().pszEnvFileName;
    return true;
}

// "<user ID>/<first selection no>/<data no>:" of the signed-in user.
bool CurrentKey(std::string& key) {
    ClDataMgr* dataMgr = ClDataMgr::Inst();
    ClSysUser* user = dataMgr ? dataMgr->GetSysUserObject() : nullptr;
    if (user == nullptr) return false;
    char userId[kUserIdBytes] = {};
    if (user->GetCurUserID(userId) != 0) return false;
    userId[kUserIdBytes - 1] = '\0';
    long firstNo = 0, dataNo = 0;
    if (user->GetSelectedNo(userId, &firstNo, &dataNo) != 0) return false;
    char buffer[kUserIdBytes + 48];
    std::snprintf(buffer, sizeof buffer, "%s/%ld/%ld:", userId, firstNo, dataNo);
    key = buffer;
    return true;
}

// Start of the first line that begins with key, or npos.  Matching only at
// line starts keeps "xuser/1/2:" from answering for "user/1/2:".
size_t FindEntry(const std::string& content, const std::string& key) {
    size_t line = 0;
    while (line < content.size()) {
        if (content.compare(line, key.size(), key) == 0) return line;
        const size_t lf = content.find('\n', line);
        if (lf == std::string::npos) break;
        line = lf + 1;
    }
    return std::string::npos;
}

// Reads an open file whole.  Throws CFileException as CFile does.
void ReadWhole(CFile& file, std::string& content) {
    const uint64_t length = file.GetLength();
    content.resize(static_cast<size_t>(length));
    size_t done = 0;
    while (done < content.size()) {
        const size_t want = content.size() - done < kChunk ? content.size() - done : kChunk;
        const UINT got = file.Read(&content[done], static_cast<UINT>(want));
        if (got == 0) break;
        done += got;
    }
    content.resize(done);
}

// How long a file that another run holds (it is being read or replaced,
// which takes milliseconds) is waited for before it is left alone.
constexpr int kBusyWaitSteps = 20;
constexpr long kBusyWaitStepNs = 50L * 1000 * 1000;

// Opens name, waiting briefly while another process holds it.  *busy
// tells, on failure, whether the file was still held.
bool OpenWaiting(CFile& file, const std::string& name, UINT flags, bool* busy) {
    *busy = false;
    for (int step = 0;; ++step) {
        CFileException error(CFileException::none, 0, std::string());
        if (file.Open(name.c_str(), flags | CFile::typeBinary, &error)) return true;
        if (error.m_cause != CFileException::sharingViolation) return false;
        if (step == kBusyWaitSteps) {
            *busy = true;
            return false;
        }
        const struct timespec pause = {0, kBusyWaitStepNs};
        nanosleep(&pause, nullptr);
    }
}

// Reads an open file whole; false on a read error or when memory runs out.
bool ReadOpenFile(CFile& file, std::string& content) {
    try {
        ReadWhole(file, content);
    } catch (const CFileException&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// The value of the first line that begins with key, split at its first
// three "/"; false when there is no such line or it has fewer of them.
struct StEntry {
    int nReservedA = 0;
    int nReservedB = 0;
    short nCategory = 0;
    std::string strPath;
};

bool ParseEntry(const std::string& content, const std::string& key, StEntry& entry) {
    const size_t start = FindEntry(content, key);
    if (start == std::string::npos) return false;
    const size_t valueStart = start + key.size();
    size_t valueEnd = content.find('\n', valueStart);
    if (valueEnd == std::string::npos) valueEnd = content.size();
    const std::string value = content.substr(valueStart, valueEnd - valueStart);

    // A, B and the category end at the first three "/"; the path may hold
    // more of them.
    const size_t slashA = value.find('/');
    const size_t slashB = slashA == std::string::npos ? slashA : value.find('/', slashA + 1);
    const size_t slashC = slashB == std::string::npos ? slashB : value.find('/', slashB + 1);
    if (slashC == std::string::npos) return false;
    entry.nReservedA = std::atoi(value.substr(0, slashA).c_str());
    entry.nReservedB = std::atoi(value.substr(slashA + 1, slashB - slashA - 1).c_str());
    entry.nCategory = static_cast<short>(std::atoi(value.substr(slashB + 1, slashC - slashB - 1).c_str()));
    entry.strPath = value.substr(slashC + 1);
    return true;
}

void RemoveQuietly(const std::string& name) {
    try {
        CFile::Remove(name.c_str());
    } catch (const CFileException&) {}
}

// The file a save replaces, the folder it is in, and the hold on it that
// keeps other saves out from the read to the replacement.
struct HeldFile {
    const std::string& folder;
    const std::string& file;
    CFile& held;
};

// Puts content in place of the file: written whole to a temporary file
// beside it, flushed, then renamed over it.
bool ReplaceFile(const HeldFile& target, const std::string& content) {
    const std::string& file = target.file;
    const std::string temp = file + kRememberedPathTempSuffix;
    CFile out;
    if (!out.Open(temp.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary)) return false;
    try {
        for (size_t done = 0; done < content.size();) {
            const size_t count = content.size() - done < kChunk ? content.size() - done : kChunk;
            out.Write(content.data() + done, static_cast<UINT>(count));
            done += count;
        }
        out.Flush();
        out.Close();
    } catch (const CFileException&) {
        out.Abort();
        RemoveQuietly(temp);
        return false;
    }

    if (g_bInterruptSave) return false;

    try {
        CFile::RenameOverHeld(temp.c_str(), file.c_str(), target.held);
    } catch (const CFileException&) {
        RemoveQuietly(temp);
        return false;
    }
    compat::SyncFolder(target.folder);
    return true;
}

// What an entry is to hold.
struct EntryValues {
    short category;
    const char* path;
    int reservedA;
    int reservedB;
};

// The path read when the dialog opened, and whether the file was busy then.
struct RememberedState {
    const char* path;
    bool unread;
};

// Puts the entry line for key into content (the file's bytes, read while
// it is held) and the whole in place of the file.  Without a path the
// entry keeps the remembered one, read when the dialog opened; when the
// file was busy then (unread), it keeps the path the file holds now: a path
// that could not be read is never replaced by an empty one.
bool ReplaceEntry(const HeldFile& target, const std::string& key, std::string& content, const EntryValues& values,
                  const RememberedState& remembered) {
    const char* path = values.path;
    std::string kept = remembered.path;
    if (path == nullptr && remembered.unread) {
        StEntry entry;
        if (ParseEntry(content, key, entry)) kept = entry.strPath;
    }
    const char* value = path != nullptr ? path : kept.c_str();
    // A line feed would end the entry early and make the rest a line of its
    // own; a path longer than the buffer it is read back into would come
    // back cut.
    if (std::strchr(value, '\n') != nullptr || std::strlen(value) > MAX_PATH) return false;
    char line[kLineBytes];
    const int length = std::snprintf(line, sizeof line, "%s%d/%d/%d/%s\n", key.c_str(), values.reservedA,
                                     values.reservedB, static_cast<int>(values.category), value);
    if (length < 0 || static_cast<size_t>(length) >= sizeof line) return false;

    try {
        const size_t entry = FindEntry(content, key);
        if (entry != std::string::npos) {
            const size_t lf = content.find('\n', entry);
            content.erase(entry, lf == std::string::npos ? std::string::npos : lf - entry + 1);
        }
        // A last line without its LF would otherwise run into the new
        // entry and take it for the end of its path.
        if (!content.empty() && content.back() != '\n') content += '\n';
        content.append(line, static_cast<size_t>(length));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return ReplaceFile(target, content);
}

}  // namespace

void SetRememberedPathSaveInterrupt(bool interrupt) { g_bInterruptSave = interrupt; }

BOOL CConditionsDlg::LoadRememberedPath(short* category, char* path, int* reservedA, int* reservedB) {
    if (category) *category = 0;
    if (path) std::memset(path, 0, MAX_PATH + 1);
    if (reservedA) *reservedA = 0;
    if (reservedB) *reservedB = 0;
    m_bRememberedUnread = false;

    std::string folder, file, key;
    if (!LocateFile(folder, file) || !CurrentKey(key)) return FALSE;

    CFileStatus status;
    if (!CFile::GetStatus(file.c_str(), status)) return FALSE;
    // Other runs may read the file at the same time; one that is replacing
    // it is waited for.
    CFile in;
    bool busy = false;
    if (!OpenWaiting(in, file, CFile::modeRead | CFile::shareDenyWrite, &busy)) {
        m_bRememberedUnread = busy;
        return FALSE;
    }
    std::string content;
    const bool read = ReadOpenFile(in, content);
    in.Abort();
    if (!read) return FALSE;

    StEntry entry;
    if (!ParseEntry(content, key, entry)) return FALSE;
    if (reservedA) *reservedA = entry.nReservedA;
    if (reservedB) *reservedB = entry.nReservedB;
    if (category) *category = entry.nCategory;
    if (path)
        _mbsnbcpy(reinterpret_cast<unsigned char*>(path), reinterpret_cast<const unsigned char*>(entry.strPath.c_str()),
                  MAX_PATH);
    return TRUE;
}

BOOL CConditionsDlg::SaveRememberedPath(short category, const char* path, int reservedA, int reservedB) {
    std::string folder, file;
    if (!LocateFile(folder, file)) return FALSE;
    if (!FolderExists(folder.c_str()) && !EnsureFolder(folder.c_str())) return FALSE;

    std::string key;
    if (!CurrentKey(key)) return FALSE;

    // The file is held exclusively from the read to the replacement, so
    // that two runs saving at once cannot drop each other's entries.
    CFileStatus status;
    const bool existed = CFile::GetStatus(file.c_str(), status) != FALSE;
    CFile current;
    bool busy = false;
    if (!OpenWaiting(current, file,
                     CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite | CFile::shareExclusive, &busy))
        return FALSE;
    std::string content;
    bool saved = false;
    if (ReadOpenFile(current, content))
        saved = ReplaceEntry({folder, file, current}, key, content, {category, path, reservedA, reservedB},
                             {m_szRememberedPath, m_bRememberedUnread});
    // A file made only to hold it while saving goes again when nothing
    // could be saved.
    if (!saved && !existed) RemoveQuietly(file);
    current.Abort();
    return saved ? TRUE : FALSE;
}
