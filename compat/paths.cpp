// The Win32, shlwapi and runtime calls on paths, over the drive table.

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "compat/drives.h"
#include "compat/mbcs.h"
#include "compat/pathmap.h"
#include "compat/win32.h"

namespace {

std::mutex g_moduleMutex;
std::string g_moduleOverride;

bool IsPairAt(const unsigned char* s, size_t i) { return _ismbblead(s[i]) && _ismbbtrail(s[i + 1]); }

bool IsDriveLetterRoot(const char* path) {
    unsigned char c = static_cast<unsigned char>(path[0]);
    return ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) && path[1] == ':';
}

// Copies at most size - 1 bytes without splitting a double-byte character.
void CopyPart(char* out, size_t size, const char* from, size_t length) {
    if (out == nullptr) return;
    const unsigned char* s = reinterpret_cast<const unsigned char*>(from);
    size_t n = 0;
    while (n < length) {
        size_t step = IsPairAt(s, n) && n + 1 < length ? 2 : 1;
        if (n + step > size - 1) break;
        n += step;
    }
    memcpy(out, from, n);
    out[n] = '\0';
}

bool IsDirectory(const std::string& hostPath) {
    struct stat st;
    return stat(hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

namespace compat {

void SetModuleFileNameOverride(const std::string& windowsPath) {
    std::lock_guard<std::mutex> lock(g_moduleMutex);
    g_moduleOverride = windowsPath;
}

}  // namespace compat

DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) {
    if (module != nullptr || buffer == nullptr || size == 0) return 0;
    std::string name;
    {
        std::lock_guard<std::mutex> lock(g_moduleMutex);
        name = g_moduleOverride;
    }
    if (name.empty()) {
        std::vector<char> link(PATH_MAX + 1);
        ssize_t n = readlink("/proc/self/exe", link.data(), link.size() - 1);
        if (n <= 0) return 0;
        name = compat::ToWindowsPath(std::string(link.data(), static_cast<size_t>(n)));
    }
    // Windows cuts a name that does not fit, terminates it and answers size.
    if (name.size() >= size) {
        memcpy(buffer, name.data(), size - 1);
        buffer[size - 1] = '\0';
        return size;
    }
    memcpy(buffer, name.c_str(), name.size() + 1);
    return static_cast<DWORD>(name.size());
}

DWORD GetTempPathA(DWORD size, char* buffer) {
    const char* dir = getenv("TMPDIR");
    std::string path = compat::ToWindowsPath(dir != nullptr && dir[0] == '/' ? dir : "/tmp");
    if (path.back() != '\\' || IsDbcsByte(path.c_str(), static_cast<int>(path.size()) - 1)) path += '\\';
    // Too small a buffer is left alone and the size needed, NUL included,
    // is the answer.
    if (buffer == nullptr || path.size() + 1 > size) return static_cast<DWORD>(path.size() + 1);
    memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}

UINT GetDriveTypeA(const char* rootPath) {
    std::string root;
    if (rootPath == nullptr) {
        std::vector<char> cwd(PATH_MAX + 1);
        if (getcwd(cwd.data(), cwd.size()) == nullptr) return DRIVE_NO_ROOT_DIR;
        std::string here = compat::ToWindowsPath(cwd.data());
        root = here.substr(0, compat::WindowsRootLength(here.c_str()));
    } else {
        size_t length = compat::WindowsRootLength(rootPath);
        if (length == 0) return DRIVE_NO_ROOT_DIR;
        const char* rest = rootPath + length;
        if (!(rest[0] == '\0' || (rest[0] == '\\' && rest[1] == '\0'))) return DRIVE_NO_ROOT_DIR;
        root.assign(rootPath, length);
    }
    std::optional<compat::Drive> drive = compat::FindDrive(root.c_str());
    if (!drive || !IsDirectory(drive->hostDir)) return DRIVE_NO_ROOT_DIR;
    return drive->type;
}

BOOL CreateDirectoryA(const char* path, void* /*security*/) {
    std::optional<compat::ResolvedPath> resolved = compat::ResolvePath(path);
    if (!resolved || resolved->isRoot || resolved->drive.readOnly) return FALSE;
    return mkdir(resolved->host.c_str(), 0777) == 0 ? TRUE : FALSE;
}

BOOL RemoveDirectoryA(const char* path) {
    // A drive's root is never removed: it is the mapped host folder itself.
    std::optional<compat::ResolvedPath> resolved = compat::ResolvePath(path);
    if (!resolved || resolved->isRoot || resolved->drive.readOnly) return FALSE;
    return rmdir(resolved->host.c_str()) == 0 ? TRUE : FALSE;
}

BOOL PathFileExistsA(const char* path) {
    std::optional<compat::ResolvedPath> resolved = compat::ResolvePath(path);
    struct stat st;
    return resolved && stat(resolved->host.c_str(), &st) == 0 ? TRUE : FALSE;
}

BOOL PathIsDirectoryA(const char* path) {
    std::optional<compat::ResolvedPath> resolved = compat::ResolvePath(path);
    return resolved && IsDirectory(resolved->host) ? TRUE : FALSE;
}

const char* PathSkipRootA(const char* path) {
    if (path == nullptr || path[0] == '\0') return nullptr;
    if (path[0] == '\\' && path[1] == '\\') {
        size_t length = compat::WindowsRootLength(path);
        if (length == 0 || path[length] != '\\') return nullptr;
        return path + length + 1;
    }
    if (IsDriveLetterRoot(path)) return path[2] == '\\' ? path + 3 : nullptr;
    if (path[0] == '\\') return path + 1;
    return nullptr;
}

BOOL PathStripToRootA(char* path) {
    if (path == nullptr || path[0] == '\0') return FALSE;
    if (path[0] == '\\' && path[1] == '\\') {
        size_t length = compat::WindowsRootLength(path);
        if (length == 0) {
            // "\\\\server" alone is the root of itself.
            size_t end = compat::FindSeparator(path, 2);
            if (end != std::string::npos || path[2] == '\0') return FALSE;
            return TRUE;
        }
        path[length] = '\0';
        return TRUE;
    }
    if (IsDriveLetterRoot(path)) {
        path[path[2] == '\\' ? 3 : 2] = '\0';
        return TRUE;
    }
    if (path[0] == '\\') {
        path[1] = '\0';
        return TRUE;
    }
    return FALSE;
}

int _access(const char* path, int mode) {
    int hostMode;
    switch (mode) {
    case 0:
        hostMode = F_OK;
        break;
    case 2:
        hostMode = W_OK;
        break;
    case 4:
        hostMode = R_OK;
        break;
    case 6:
        hostMode = R_OK | W_OK;
        break;
    default:
        errno = EINVAL;
        return -1;
    }
    std::optional<compat::ResolvedPath> resolved = compat::ResolvePath(path);
    if (!resolved) {
        errno = ENOENT;
        return -1;
    }
    if (access(resolved->host.c_str(), hostMode) != 0) return -1;
    if ((mode & 2) != 0 && resolved->drive.readOnly) {
        errno = EACCES;
        return -1;
    }
    return 0;
}

void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext) {
    for (char* out : {drive, dir, fname, ext})
        if (out != nullptr) out[0] = '\0';
    if (path == nullptr) return;
    const char* rest = path;
    if (path[0] != '\0' && !_ismbblead(static_cast<unsigned char>(path[0])) && path[1] == ':') {
        CopyPart(drive, _MAX_DRIVE, path, 2);
        rest = path + 2;
    }
    const unsigned char* s = reinterpret_cast<const unsigned char*>(rest);
    size_t length = strlen(rest);
    size_t nameStart = 0;
    size_t lastDot = std::string::npos;
    for (size_t i = 0; i < length;) {
        if (IsPairAt(s, i)) {
            i += 2;
            continue;
        }
        if (s[i] == '\\' || s[i] == '/') {
            nameStart = i + 1;
            lastDot = std::string::npos;
        } else if (s[i] == '.') {
            lastDot = i;
        }
        ++i;
    }
    CopyPart(dir, _MAX_DIR, rest, nameStart);
    size_t nameEnd = lastDot != std::string::npos ? lastDot : length;
    CopyPart(fname, _MAX_FNAME, rest + nameStart, nameEnd - nameStart);
    CopyPart(ext, _MAX_EXT, rest + nameEnd, length - nameEnd);
}
