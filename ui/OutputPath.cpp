#include "ui/OutputPath.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "compat/mbcs.h"

namespace {

constexpr size_t npos = static_cast<size_t>(-1);

// Bytes taken by the character at index i of a text of n bytes: 2 for a
// lead byte followed by a valid trail byte (as IsDbcsByte judges), else 1.
size_t CharLen(const char* text, size_t i, size_t n) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (i + 1 < n && _ismbblead(c) && _ismbbtrail(static_cast<unsigned char>(text[i + 1]))) return 2;
    return 1;
}

// Index of the last single-byte ch in text, or npos.
size_t FindLastChar(const std::string& text, char ch) {
    size_t found = npos;
    for (size_t i = 0, n = text.size(); i < n; i += CharLen(text.data(), i, n))
        if (text[i] == ch) found = i;
    return found;
}

// Index of the first single-byte ch at index from or later, or npos.
size_t FindChar(const char* text, size_t n, char ch, size_t from) {
    for (size_t i = 0; i < n; i += CharLen(text, i, n))
        if (i >= from && text[i] == ch) return i;
    return npos;
}

// Index of the first separator at index from or later that another one
// follows, or npos.  0x5C is never a lead byte, so a separator followed by
// a 0x5C byte is a doubled separator.
size_t FindDoubledSeparator(const char* text, size_t n, size_t from) {
    for (size_t i = 0; i < n; i += CharLen(text, i, n))
        if (i >= from && text[i] == '\\' && i + 1 < n && text[i + 1] == '\\') return i;
    return npos;
}

// Length of the drive and directory that _splitpath finds in path: up to
// and including the last "\\" or "/", else the "X:" prefix, else nothing.
size_t FolderLength(const char* path) {
    const size_t n = std::strlen(path);
    size_t length = n >= 2 && CharLen(path, 0, n) == 1 && path[1] == ':' ? 2 : 0;
    for (size_t i = 0; i < n; i += CharLen(path, i, n))
        if (path[i] == '\\' || path[i] == '/') length = i + 1;
    return length;
}

bool IsNetworkPath(const char* path) { return path[0] == '\\' && path[1] == '\\'; }

bool IsRefusedChar(char c) { return c != '\0' && std::strchr("/:,;*?\"><|", c) != nullptr; }

char FoldCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Compares the first count bytes of a and b as file systems compare names:
// single-byte letters without regard to case, double-byte characters as
// they are.
bool EqualNoCase(const char* a, const char* b, size_t count) {
    for (size_t i = 0; i < count;) {
        const size_t len = CharLen(a, i, count);
        if (len == 2) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
        } else if (FoldCase(a[i]) != FoldCase(b[i])) {
            return false;
        }
        i += len;
    }
    return true;
}

// A folder split at its root: full ends in "\\", root ends in "\\", rest
// points into full just past the root.
struct StRootedFolder {
    char szFull[kOutputPathBufferSize];
    char szRoot[kOutputPathBufferSize];
    const char* pszRest;
};

bool SplitAtRoot(const char* folder, StRootedFolder& out) {
    if (folder == nullptr || std::strlen(folder) >= sizeof out.szFull) return false;
    std::snprintf(out.szFull, sizeof out.szFull, "%s", folder);
    if (!NormaliseFolder(out.szFull, sizeof out.szFull)) return false;
    if (!AppendBackslash(out.szFull, MAX_PATH)) return false;

    out.pszRest = PathSkipRootA(out.szFull);
    if (out.pszRest == nullptr) return false;
    std::snprintf(out.szRoot, sizeof out.szRoot, "%s", out.szFull);
    if (!PathStripToRootA(out.szRoot)) return false;
    return AppendBackslash(out.szRoot, sizeof out.szRoot) != 0;
}

// The level of a rooted folder that ends just before the separator at index
// sep of its rest, with the separator: root + rest[0, sep) + "\\".
bool LevelAt(const StRootedFolder& folder, size_t sep, char (&level)[kOutputPathBufferSize]) {
    const int written =
        std::snprintf(level, sizeof level, "%s%.*s", folder.szRoot, static_cast<int>(sep), folder.pszRest);
    if (written < 0 || static_cast<size_t>(written) >= sizeof level) return false;
    return AppendBackslash(level, sizeof level) != 0;
}

}  // namespace

std::string FolderPart(const std::string& path) {
    const size_t sep = FindLastChar(path, '\\');
    return sep == npos ? std::string() : path.substr(0, sep + 1);
}

std::string FileNamePart(const std::string& path) {
    const size_t sep = FindLastChar(path, '\\');
    return sep == npos ? path : path.substr(sep + 1);
}

std::string DrivePart(const std::string& path) {
    const size_t colon = FindLastChar(path, ':');
    return colon == npos ? std::string() : path.substr(0, colon + 1);
}

std::string AfterDrivePart(const std::string& path) {
    const size_t colon = FindLastChar(path, ':');
    return colon == npos ? path : path.substr(colon + 1);
}

bool HasInvalidChars(const char* path) {
    if (path == nullptr) return true;
    const size_t n = std::strlen(path);
    size_t examined = 0;
    if (IsNetworkPath(path)) {
        if (FindDoubledSeparator(path, n, 3) != npos) return true;
        examined = 2;
    } else {
        if (FindDoubledSeparator(path, n, 0) != npos) return true;
        const size_t colon = FindChar(path, n, ':', 0);
        examined = colon == npos ? 0 : colon + 1;
    }
    // Walk from the start so that double-byte characters stay whole; their
    // second bytes (0x7C among them) are no refused characters.
    for (size_t i = 0; i < n; i += CharLen(path, i, n))
        if (i >= examined && CharLen(path, i, n) == 1 && IsRefusedChar(path[i])) return true;
    return false;
}

bool IsDriveUsable(const char* path) {
    if (path == nullptr) return false;
    const size_t n = std::strlen(path);
    if (IsNetworkPath(path)) {
        const size_t serverEnd = FindChar(path, n, '\\', 3);
        if (serverEnd == npos) return false;
        const size_t shareEnd = FindChar(path, n, '\\', serverEnd + 1);
        if (shareEnd == npos) return false;
        const std::string share(path, shareEnd);
        return _access(share.c_str(), 6) == 0;
    }
    if (FindDoubledSeparator(path, n, 0) != npos) return false;
    return CheckDriveLetter(static_cast<unsigned char>(path[0]), 6);
}

bool CheckDriveLetter(int letter, int mode) {
    if (letter >= 'a' && letter <= 'z') letter = letter - 'a' + 'A';
    if (letter < 'A' || letter > 'Z') return false;
    char root[4];
    std::snprintf(root, sizeof root, "%c:\\", letter);
    switch (GetDriveTypeA(root)) {
    case DRIVE_REMOVABLE:
    case DRIVE_FIXED:
    case DRIVE_REMOTE:
        return _access(root, mode) == 0;
    case DRIVE_UNKNOWN:
    case DRIVE_NO_ROOT_DIR:
    case DRIVE_CDROM:
    case DRIVE_RAMDISK:
        return false;
    default:
        return true;
    }
}

bool NormaliseFolder(char* path, size_t size) {
    if (path == nullptr || size == 0) return false;
    // No part of a path can be longer than the path, so buffers of the
    // whole path's size hold every part _splitpath may give back.
    if (std::strlen(path) >= kOutputPathBufferSize) return false;
    char drive[kOutputPathBufferSize], dir[kOutputPathBufferSize];
    char fname[kOutputPathBufferSize], ext[kOutputPathBufferSize];
    _splitpath(path, drive, dir, fname, ext);

    char folder[2 * kOutputPathBufferSize];
    std::snprintf(folder, sizeof folder, "%s%s", drive, dir);
    const size_t len = std::strlen(folder);
    // _splitpath cuts a directory longer than _MAX_DIR; the cut text would
    // name another folder, perhaps one this program then creates.
    if (len != FolderLength(path)) return false;
    if (len == 0 || len >= size) return false;
    std::memcpy(path, folder, len + 1);
    AppendBackslash(path, static_cast<int>(size));
    return true;
}

bool FolderExists(const char* path) {
    if (path == nullptr || std::strlen(path) >= kOutputPathBufferSize) return false;
    char folder[kOutputPathBufferSize];
    std::snprintf(folder, sizeof folder, "%s", path);
    if (!NormaliseFolder(folder, sizeof folder)) return false;
    return PathIsDirectoryA(folder) != FALSE;
}

bool EnsureFolder(const char* folder) {
    StRootedFolder target;
    if (!SplitAtRoot(folder, target)) return false;

    char deepest[kOutputPathBufferSize];
    std::snprintf(deepest, sizeof deepest, "%s", target.szRoot);

    const char* rest = target.pszRest;
    const size_t n = std::strlen(rest);
    for (size_t i = 0; i < n; i += CharLen(rest, i, n)) {
        if (rest[i] != '\\') continue;
        char level[kOutputPathBufferSize];
        if (!LevelAt(target, i, level)) {
            RemoveCreatedFolders(target.szFull, deepest);
            return false;
        }
        if (FolderExists(level)) {
            std::snprintf(deepest, sizeof deepest, "%s", level);
        } else if (!CreateDirectoryA(level, nullptr)) {
            RemoveCreatedFolders(level, deepest);
            return false;
        }
    }
    return true;
}

bool RemoveCreatedFolders(const char* path, const char* stopFolder) {
    StRootedFolder target, stop;
    if (!SplitAtRoot(path, target) || !SplitAtRoot(stopFolder, stop)) return false;

    const size_t rootLen = std::strlen(target.szRoot);
    if (rootLen != std::strlen(stop.szRoot) || !EqualNoCase(target.szRoot, stop.szRoot, rootLen)) return false;
    const size_t restLen = std::strlen(target.pszRest);
    const size_t stopLen = std::strlen(stop.pszRest);
    if (stopLen > restLen || !EqualNoCase(target.pszRest, stop.pszRest, stopLen)) return false;

    std::vector<size_t> separators;
    for (size_t i = 0; i < restLen; i += CharLen(target.pszRest, i, restLen))
        if (target.pszRest[i] == '\\') separators.push_back(i);

    // The stop folder's rest ends in a separator, so the level that ends at
    // stopLen is the stop folder itself; it and everything above it stay.
    for (auto it = separators.rbegin(); it != separators.rend() && *it + 1 > stopLen; ++it) {
        char level[kOutputPathBufferSize];
        if (!LevelAt(target, *it, level)) return false;
        if (FolderExists(level) && !RemoveDirectoryA(level)) return false;
    }
    return true;
}
