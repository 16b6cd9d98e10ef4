// The platform home and the path helpers of drives.h on Windows, where
// the drives are Windows' own: a Windows path is its own host path, and
// the drive table has nothing to map.

#include "compat/drives.h"

#include <string>
#include <vector>

#include "compat/mbcs.h"

namespace {

// An environment variable in UTF-8, empty when unset.
std::string Environment(const wchar_t* name) {
    DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return std::string();
    std::vector<wchar_t> value(size);
    DWORD n = GetEnvironmentVariableW(name, value.data(), size);
    if (n == 0 || n >= size) return std::string();
    int bytes = WideCharToMultiByte(CP_UTF8, 0, value.data(), static_cast<int>(n), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, value.data(), static_cast<int>(n), out.data(), bytes, nullptr, nullptr);
    return out;
}

}  // namespace

namespace compat {

// %BOK_HOME%, else the user's local application data, as the platform
// keeps its per-user files there.
std::string PlatformHome() {
    std::string home = Environment(L"BOK_HOME");
    if (!home.empty()) return home;
    std::string local = Environment(L"LOCALAPPDATA");
    if (local.empty()) local = Environment(L"USERPROFILE");
    return local + "\\BokHome";
}

bool WriteDefaultDriveTable(const std::string& /*home*/, std::string* /*message*/) { return true; }

void SyncFolder(const std::string& /*windowsFolder*/) {}

void ReloadDriveTable() {}

std::optional<std::string> ToHostPath(const char* windowsPath) {
    if (windowsPath == nullptr) return std::nullopt;
    bool ok = false;
    std::string host = SjisToUtf8(windowsPath, &ok);
    if (!ok) return std::nullopt;
    return host;
}

std::string ToWindowsPath(const std::string& hostPath) {
    std::string path = Utf8ToSjis(hostPath);
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsDbcsByte(path.c_str(), static_cast<int>(i)))
            ++i;
        else if (path[i] == '/')
            path[i] = '\\';
    }
    return path;
}

std::optional<Drive> FindDrive(const char* windowsRoot) {
    if (windowsRoot == nullptr) return std::nullopt;
    std::string root = windowsRoot;
    if (!root.empty() && root.back() != '\\') root += '\\';
    UINT type = GetDriveTypeA(root.c_str());
    if (type == DRIVE_NO_ROOT_DIR) return std::nullopt;
    Drive drive;
    drive.root = root.substr(0, root.size() - 1);
    drive.type = type;
    drive.hostDir = SjisToUtf8(root);
    return drive;
}

}  // namespace compat
