// The drive table and the mapping between Windows and host paths.

#include "compat/drives.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sstream>
#include <vector>

#include "compat/mbcs.h"
#include "compat/pathmap.h"

namespace compat {

namespace {

const char kTableName[] = "drives.conf";

struct DriveTable {
    std::string file;
    bool stamped = false;
    struct timespec mtime = {};
    off_t size = 0;
    ino_t inode = 0;
    std::vector<Drive> drives;
};

std::mutex g_tableMutex;
DriveTable g_table;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsPairAt(const unsigned char* s, size_t i) { return _ismbblead(s[i]) && _ismbbtrail(s[i + 1]); }

// Adds one path segment to the folders walked so far: "" and "." change
// nothing, ".." steps back but never above the root.
void PushSegment(std::vector<std::string>& parts, const std::string& part) {
    if (part.empty() || part == ".") return;
    if (part == "..") {
        if (!parts.empty()) parts.pop_back();
        return;
    }
    parts.push_back(part);
}

// Collapses "//", "." and ".." of an absolute host path.
std::string NormaliseHostPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(path);
    while (std::getline(in, part, '/')) PushSegment(parts, part);
    std::string out;
    for (const std::string& p : parts) out += "/" + p;
    return out.empty() ? "/" : out;
}

std::string CurrentHostDir() {
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        if (getcwd(buffer.data(), buffer.size()) != nullptr) return buffer.data();
        if (errno != ERANGE || buffer.size() > (1u << 20)) return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

std::optional<UINT> ParseDriveType(const std::string& name) {
    static const struct {
        const char* name;
        UINT type;
    } kTypes[] = {
        {"unknown", DRIVE_UNKNOWN}, {"noroot", DRIVE_NO_ROOT_DIR}, {"removable", DRIVE_REMOVABLE},
        {"fixed", DRIVE_FIXED},     {"remote", DRIVE_REMOTE},      {"cdrom", DRIVE_CDROM},
        {"ramdisk", DRIVE_RAMDISK},
    };
    for (const auto& t : kTypes)
        if (strcasecmp(name.c_str(), t.name) == 0) return t.type;
    return std::nullopt;
}

// Splits a table line into blank-separated fields; a field may be quoted.
bool SplitFields(const std::string& line, std::vector<std::string>& fields) {
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i >= line.size()) break;
        std::string field;
        if (line[i] == '"') {
            size_t close = line.find('"', i + 1);
            if (close == std::string::npos) return false;
            field = line.substr(i + 1, close - i - 1);
            i = close + 1;
        } else {
            while (i < line.size() && !IsBlank(line[i])) field += line[i++];
        }
        fields.push_back(field);
    }
    return true;
}

// The root as the table and the lookups compare it: "C:" or
// "\\\\SERVER\\share", without a trailing separator.  Empty when text is no
// root.
std::string CanonicalRoot(const std::string& text) {
    size_t length = WindowsRootLength(text.c_str());
    if (length == 0) return std::string();
    std::string rest = text.substr(length);
    if (!rest.empty() && rest != "\\") return std::string();
    return text.substr(0, length);
}

// The flags of a drive: "ro" or "rw", by commas; false on any other.
bool ParseFlags(const std::string& text, Drive& drive) {
    std::istringstream flags(text);
    std::string flag;
    bool known = true;
    while (std::getline(flags, flag, ',')) {
        if (flag == "ro")
            drive.readOnly = true;
        else if (flag != "rw" && !flag.empty())
            known = false;
    }
    return known;
}

// The drive a line of the table names, with its host folder as written,
// or why the line is ignored.
const char* ParseDriveLine(const std::string& line, Drive& drive, std::string& folder) {
    std::vector<std::string> fields;
    if (!SplitFields(line, fields) || fields.size() < 3 || fields.size() > 4)
        return "expected: root type folder [flags]";
    bool converted = false;
    drive.root = CanonicalRoot(Utf8ToSjis(fields[0], &converted));
    if (drive.root.size() == 2) drive.root = FoldCase(drive.root);  // "c:" is spelt "C:"
    std::optional<UINT> type = ParseDriveType(fields[1]);
    if (!converted || drive.root.empty()) return "the root is neither a drive letter nor \\\\server\\share";
    if (!type) return "unknown drive type";
    if (fields[2].empty()) return "no host folder";
    drive.type = *type;
    if (fields.size() == 4 && !ParseFlags(fields[3], drive)) return "unknown flag";
    folder = fields[2];
    return nullptr;
}

void LoadTable(DriveTable& table) {
    table.drives.clear();
    std::string content;
    if (!ReadHostFile(table.file, content)) return;
    std::istringstream in(content);
    std::string home = PlatformHome();
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        size_t start = 0;
        while (start < line.size() && IsBlank(line[start])) ++start;
        if (start >= line.size() || line[start] == '#') continue;
        Drive drive;
        std::string dir;
        if (const char* problem = ParseDriveLine(line, drive, dir)) {
            fprintf(stderr, "%s:%d: %s; line ignored\n", table.file.c_str(), number, problem);
            continue;
        }
        if (dir[0] != '/') dir = home + "/" + dir;
        drive.hostDir = NormaliseHostPath(dir);
        bool duplicate = false;
        for (const Drive& d : table.drives) duplicate = duplicate || FoldCase(d.root) == FoldCase(drive.root);
        if (duplicate) {
            fprintf(stderr, "%s:%d: drive listed twice; line ignored\n", table.file.c_str(), number);
            continue;
        }
        table.drives.push_back(drive);
    }
}

// A copy of the table, reloaded when the file has changed since it was read.
std::vector<Drive> CurrentDrives() {
    std::lock_guard<std::mutex> lock(g_tableMutex);
    std::string file = PlatformHome() + "/" + kTableName;
    struct stat st = {};
    bool present = stat(file.c_str(), &st) == 0;
    bool same = g_table.stamped && g_table.file == file &&
                (present ? (g_table.size == st.st_size && g_table.inode == st.st_ino &&
                            g_table.mtime.tv_sec == st.st_mtim.tv_sec && g_table.mtime.tv_nsec == st.st_mtim.tv_nsec)
                         : g_table.inode == 0);
    if (!same) {
        g_table.file = file;
        g_table.stamped = true;
        g_table.size = present ? st.st_size : 0;
        g_table.inode = present ? st.st_ino : 0;
        g_table.mtime = present ? st.st_mtim : timespec{};
        LoadTable(g_table);
    }
    std::vector<Drive> drives = g_table.drives;
    bool hasZ = false;
    for (const Drive& d : drives) hasZ = hasZ || FoldCase(d.root) == "Z:";
    if (!hasZ) drives.push_back(Drive{"Z:", DRIVE_FIXED, "/", false});
    return drives;
}

std::optional<Drive> LookUpRoot(const std::string& root) {
    std::string key = FoldCase(root);
    for (const Drive& d : CurrentDrives())
        if (FoldCase(d.root) == key) return d;
    return std::nullopt;
}

// Windows characters no file name may hold; "/" would also open a host
// subfolder.
bool IsBadNameChar(unsigned char c) { return c < 0x20 || strchr("<>:\"|?*/", c) != nullptr; }

}  // namespace

std::string PlatformHome() {
    const char* home = getenv("BOK_HOME");
    if (home != nullptr && home[0] != '\0') return home;
    const char* user = getenv("HOME");
    return std::string(user != nullptr && user[0] != '\0' ? user : "/root") + "/.bokhome";
}

bool WriteDefaultDriveTable(const std::string& home, std::string* message) {
    const std::string path = home + "/" + kTableName;
    struct stat info;
    // A table the user already keeps stays as it is.
    if (stat(path.c_str(), &info) == 0) return true;
    FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        *message = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fputs(
                             "# Windows drive  type  host folder (relative: under this home)\n"
                             "C:  fixed  drive_c\n",
                             file) >= 0;
    if (std::fclose(file) != 0 || !written) {
        *message = "cannot write " + path;
        return false;
    }
    const std::string driveC = home + "/drive_c";
    if (mkdir(driveC.c_str(), 0777) != 0 && errno != EEXIST) {
        *message = "cannot create the folder " + driveC + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void SyncFolder(const std::string& windowsFolder) {
    const std::optional<std::string> host = ToHostPath(windowsFolder.c_str());
    if (!host) return;
    const int fd = ::open(host->c_str(), O_RDONLY | O_CLOEXEC | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

void ReloadDriveTable() {
    std::lock_guard<std::mutex> lock(g_tableMutex);
    g_table.stamped = false;
}

bool ReadHostFile(const std::string& hostPath, std::string& content) {
    content.clear();
    // Non-blocking, so that a FIFO in the place of the file cannot hang us.
    int fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    char chunk[8192];
    while (ok) {
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        content.append(chunk, static_cast<size_t>(n));
    }
    close(fd);
    if (!ok) content.clear();
    return ok;
}

size_t WindowsRootLength(const char* path) {
    if (path == nullptr) return 0;
    if (IsAsciiLetter(path[0]) && path[1] == ':') return 2;
    if (path[0] != '\\' || path[1] != '\\') return 0;
    size_t serverEnd = FindSeparator(path, 2);
    if (serverEnd == std::string::npos || serverEnd == 2) return 0;
    size_t shareEnd = FindSeparator(path, serverEnd + 1);
    if (shareEnd == std::string::npos) shareEnd = strlen(path);
    if (shareEnd == serverEnd + 1) return 0;
    return shareEnd;
}

size_t FindSeparator(const char* path, size_t from) {
    const unsigned char* s = reinterpret_cast<const unsigned char*>(path);
    for (size_t i = from; s[i] != 0;) {
        if (IsPairAt(s, i)) {
            i += 2;
            continue;
        }
        if (s[i] == '\\') return i;
        ++i;
    }
    return std::string::npos;
}

namespace {

// path made whole: one relative to the current folder, or rooted on its
// drive, is put below the current folder's Windows path; empty where it
// has no root then.
std::string WholeWindowsPath(const std::string& path) {
    if (WindowsRootLength(path.c_str()) != 0) return path;
    std::string cwd = CurrentHostDir();
    if (cwd.empty()) return std::string();
    std::string base = ToWindowsPath(cwd);
    std::string whole = path[0] == '\\' ? base.substr(0, WindowsRootLength(base.c_str())) + path : base + "\\" + path;
    return WindowsRootLength(whole.c_str()) != 0 ? whole : std::string();
}

// The names of path below its root, with "." and ".." taken away.
std::vector<std::string> PathSegments(const std::string& path, size_t rootLength, bool* trailingSeparator) {
    std::vector<std::string> parts;
    size_t pos = rootLength;
    *trailingSeparator = false;
    while (pos < path.size()) {
        size_t end = FindSeparator(path.c_str(), pos);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(pos, end - pos);
        *trailingSeparator = end < path.size() && end + 1 == path.size();
        pos = end + 1;
        PushSegment(parts, part);
    }
    return parts;
}

// Adds the names to both paths of out; false for a name the host cannot
// take.
bool AppendSegments(const std::vector<std::string>& parts, ResolvedPath& out) {
    for (const std::string& part : parts) {
        bool converted = false;
        std::string name = SjisToUtf8(part, &converted);
        if (!converted || name.size() > NAME_MAX) return false;
        for (unsigned char c : name)
            if (IsBadNameChar(c)) return false;
        out.windows += "\\" + part;
        out.host += "/" + name;
    }
    return true;
}

}  // namespace

std::optional<ResolvedPath> ResolvePath(const char* windowsPath) {
    if (windowsPath == nullptr || windowsPath[0] == '\0') return std::nullopt;
    std::string path = windowsPath;
    if (WindowsRootLength(path.c_str()) == 0 && path.compare(0, 2, "\\\\") == 0)
        return std::nullopt;  // a share without its server or share name
    path = WholeWindowsPath(path);
    if (path.empty()) return std::nullopt;
    const size_t rootLength = WindowsRootLength(path.c_str());

    ResolvedPath out;
    std::optional<Drive> drive = LookUpRoot(path.substr(0, rootLength));
    if (!drive) return std::nullopt;
    out.drive = *drive;

    bool trailingSeparator = false;
    const std::vector<std::string> parts = PathSegments(path, rootLength, &trailingSeparator);

    out.windows = path.substr(0, rootLength);
    out.host = out.drive.hostDir == "/" ? std::string() : out.drive.hostDir;
    if (!AppendSegments(parts, out)) return std::nullopt;
    out.isRoot = parts.empty();
    if (out.isRoot || trailingSeparator) {
        out.windows += "\\";
        out.host += "/";
    }
    // The Windows calls refuse full paths beyond MAX_PATH; so does this layer,
    // so that nothing is written that the program could not name again.
    if (out.windows.size() >= MAX_PATH) return std::nullopt;
    return out;
}

std::optional<std::string> ToHostPath(const char* windowsPath) {
    std::optional<ResolvedPath> resolved = ResolvePath(windowsPath);
    if (!resolved) return std::nullopt;
    return resolved->host;
}

std::string ToWindowsPath(const std::string& hostPath) {
    std::string absolute = hostPath;
    if (absolute.empty() || absolute[0] != '/') absolute = CurrentHostDir() + "/" + absolute;
    absolute = NormaliseHostPath(absolute);

    const Drive* best = nullptr;
    std::vector<Drive> drives = CurrentDrives();
    for (const Drive& d : drives) {
        const std::string& dir = d.hostDir;
        bool inside =
            dir == "/" || absolute == dir ||
            (absolute.size() > dir.size() && absolute.compare(0, dir.size(), dir) == 0 && absolute[dir.size()] == '/');
        if (inside && (best == nullptr || dir.size() > best->hostDir.size())) best = &d;
    }
    std::string root = best != nullptr ? best->root : "Z:";
    std::string rest = absolute;
    if (best != nullptr && best->hostDir != "/") rest = absolute.substr(best->hostDir.size());
    std::string out = root;
    std::istringstream in(rest);
    std::string part;
    bool any = false;
    while (std::getline(in, part, '/')) {
        if (part.empty()) continue;
        // Appended in two steps: "\\" + a temporary makes g++ 12 at -O3
        // warn of an overlap that cannot happen (-Wrestrict).
        out += '\\';
        out += Utf8ToSjis(part);
        any = true;
    }
    if (!any) out += "\\";
    return out;
}

std::optional<Drive> FindDrive(const char* windowsRoot) {
    if (windowsRoot == nullptr) return std::nullopt;
    std::string root = CanonicalRoot(windowsRoot);
    if (root.empty()) return std::nullopt;
    return LookUpRoot(root);
}

}  // namespace compat
