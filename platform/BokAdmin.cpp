#include "platform/BokAdmin.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "compat/drives.h"
#include "compat/mbcs.h"
#include "compat/win32.h"
#include "platform/BokBCore.h"
#include "platform/Sets.h"
#include "platform/Store.h"

using bok::detail::Statement;

namespace bok {

const char* const kFaultOperations[] = {
    "Initiate", "ExpSysLink", "GetCurUserID", "GetSelectedNo", "GetDatCursor", "ReadyDat", "WalkDat",
    "GetBokPeriod", "GetPeriod", "Gengo.GetCursor", "Gengo.Ready", "Gengo.Walk", "MoveReady", "GetCount",
    "Move", nullptr,
};

namespace {

bool Refuse(AdminError* error, const std::string& message) {
    if (error != nullptr) {
        *error = AdminError{};
        error->message = message;
    }
    return false;
}

// A host path (UTF-8) as the standard library names files.
std::filesystem::path HostPath(const std::string& path) {
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

// mkdir -p; true when path is a folder afterwards.
bool MakeFolders(const std::string& path, std::string* message) {
    std::error_code error;
    std::filesystem::create_directories(HostPath(path), error);
    if (!std::filesystem::is_directory(HostPath(path))) {
        *message = error ? "cannot create the folder " + path + ": " + error.message() : path + " is not a folder";
        return false;
    }
    return true;
}

// The same for a Windows path (code page 932), through the program's own
// file calls, so that it lands where the program will look for it.
bool MakeWindowsFolders(const std::string& path, std::string* message) {
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsDbcsByte(path.c_str(), static_cast<int>(i))) {
            ++i;
            continue;
        }
        if (path[i] != '\\' || i < 3) continue;
        const std::string part = path.substr(0, i);
        if (!CreateDirectoryA(part.c_str(), nullptr) && !PathIsDirectoryA(part.c_str())) {
            *message = "cannot create the folder " + compat::SjisToUtf8(part);
            return false;
        }
    }
    return true;
}

std::string Describe(long status) {
    return status == BOK_ERR_NO_STORE ? "there is no store" : "the file is not a store of this platform";
}

}  // namespace

namespace detail {

bool OpenAdminStore(const std::string& home, bool create, sqlite3** db, std::string* message) {
    *db = nullptr;
    const std::string path = StorePath(home);
    if (create) {
        if (!MakeFolders(home.empty() ? "." : home, message)) return false;
        std::error_code missing;
        if (!std::filesystem::exists(HostPath(path), missing)) {
            sqlite3* fresh = nullptr;
            if (sqlite3_open_v2(path.c_str(), &fresh, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
                SQLITE_OK) {
                *message = "cannot create " + path + ": " + sqlite3_errmsg(fresh);
                sqlite3_close_v2(fresh);
                return false;
            }
            // WAL lets a running program keep a walk open while bokctl or a
            // test writes faults.
            char* failure = nullptr;
            const bool made =
                sqlite3_exec(fresh, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr) == SQLITE_OK &&
                sqlite3_exec(fresh, (std::string("BEGIN;") + kSchemaSql + "COMMIT;").c_str(), nullptr, nullptr,
                             &failure) == SQLITE_OK;
            if (!made) *message = "cannot create " + path + ": " + (failure != nullptr ? failure : "");
            sqlite3_free(failure);
            sqlite3_close_v2(fresh);
            if (!made) {
                std::error_code ignored;
                std::filesystem::remove(HostPath(path), ignored);
                return false;
            }
        }
    }
    const long status = OpenStoreFile(path, SQLITE_OPEN_READWRITE, db);
    if (status != 0) {
        *message = path + ": " + Describe(status);
        return false;
    }
    return true;
}

}  // namespace detail

bool CreateStore(const std::string& home, AdminError* error) {
    if (error != nullptr) *error = AdminError{};
    sqlite3* db = nullptr;
    std::string message;
    if (!detail::OpenAdminStore(home, true, &db, &message)) return Refuse(error, message);
    sqlite3_close_v2(db);
    return true;
}

bool SetFault(const std::string& home, const std::string& operation, long status, long atIndex, AdminError* error) {
    if (error != nullptr) *error = AdminError{};
    bool known = false;
    for (const char* const* name = kFaultOperations; *name != nullptr; ++name) known = known || operation == *name;
    if (!known) return Refuse(error, "unknown operation \"" + operation + "\"");
    if (status == 0) return Refuse(error, "a status of 0 is no failure; clear the faults instead");
    if (atIndex < -1) return Refuse(error, "the record index must be -1 (every call) or at least 0");

    sqlite3* db = nullptr;
    std::string message;
    if (!detail::OpenAdminStore(home, true, &db, &message)) return Refuse(error, message);
    Statement insert(db, "INSERT OR REPLACE INTO faults(operation, status, at_index) VALUES(?1, ?2, ?3)");
    insert.Bind(1, operation);
    insert.Bind(2, static_cast<int64_t>(status));
    insert.Bind(3, static_cast<int64_t>(atIndex));
    const bool ok = insert.Step() == SQLITE_DONE;
    if (!ok) Refuse(error, std::string("cannot set the fault: ") + sqlite3_errmsg(db));
    insert.Reset();
    sqlite3_close_v2(db);
    return ok;
}

bool ClearFaults(const std::string& home, AdminError* error) {
    if (error != nullptr) *error = AdminError{};
    sqlite3* db = nullptr;
    std::string message;
    if (!detail::OpenAdminStore(home, false, &db, &message)) return Refuse(error, message);
    const bool ok = sqlite3_exec(db, "DELETE FROM faults", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok) Refuse(error, std::string("cannot clear the faults: ") + sqlite3_errmsg(db));
    sqlite3_close_v2(db);
    return ok;
}

bool DescribeStore(const std::string& home, std::string* listing, AdminError* error) {
    if (error != nullptr) *error = AdminError{};
    sqlite3* db = nullptr;
    std::string message;
    if (!detail::OpenAdminStore(home, false, &db, &message)) return Refuse(error, message);

    std::string out;
    char line[1024];
    auto text = [](const Statement& row, int column) { return compat::SjisToUtf8(row.Bytes(column)); };

    out += "data sets:\n";
    Statement data(db,
                   "SELECT number, id, name, period_from, period_to, business, fraction, genka, kind,"
                   " (SELECT COUNT(*) FROM assets WHERE data_id = data_sets.id) FROM data_sets ORDER BY number, id");
    while (data.Step() == SQLITE_ROW) {
        std::snprintf(line, sizeof line,
                      "  %lld  %s  %s  %lld..%lld  business %lld  fraction %lld  genka %lld  kind %lld  assets %lld\n",
                      static_cast<long long>(data.Int(0)), text(data, 1).c_str(), text(data, 2).c_str(),
                      static_cast<long long>(data.Int(3)), static_cast<long long>(data.Int(4)),
                      static_cast<long long>(data.Int(5)), static_cast<long long>(data.Int(6)),
                      static_cast<long long>(data.Int(7)), static_cast<long long>(data.Int(8)),
                      static_cast<long long>(data.Int(9)));
        out += line;
    }

    out += "users:\n";
    Statement users(db, "SELECT id, first_no, selected_no, current FROM users ORDER BY id");
    while (users.Step() == SQLITE_ROW) {
        std::snprintf(line, sizeof line, "  %s  first %lld  selected %lld%s\n", text(users, 0).c_str(),
                      static_cast<long long>(users.Int(1)), static_cast<long long>(users.Int(2)),
                      users.Int(3) != 0 ? "  (signed in)" : "");
        out += line;
    }

    out += "eras:\n";
    Statement eras(db, "SELECT number, name, start FROM eras ORDER BY start");
    while (eras.Step() == SQLITE_ROW) {
        std::snprintf(line, sizeof line, "  %lld  %s  %lld\n", static_cast<long long>(eras.Int(0)),
                      text(eras, 1).c_str(), static_cast<long long>(eras.Int(2)));
        out += line;
    }

    out += "folders:\n";
    Statement folders(db, "SELECT type, path FROM folders ORDER BY type");
    while (folders.Step() == SQLITE_ROW) {
        std::snprintf(line, sizeof line, "  %lld  %s\n", static_cast<long long>(folders.Int(0)),
                      text(folders, 1).c_str());
        out += line;
    }

    Statement assets(db, "SELECT COUNT(*) FROM assets");
    std::snprintf(line, sizeof line, "assets: %lld\n",
                  assets.Step() == SQLITE_ROW ? static_cast<long long>(assets.Int(0)) : 0LL);
    out += line;

    out += "faults:";
    Statement faults(db, "SELECT operation, status, at_index FROM faults ORDER BY operation");
    bool any = false;
    while (faults.Step() == SQLITE_ROW) {
        const long long at = faults.Int(2);
        if (at < 0) {
            std::snprintf(line, sizeof line, "\n  %s answers %lld on every call", faults.Bytes(0).c_str(),
                          static_cast<long long>(faults.Int(1)));
        } else {
            std::snprintf(line, sizeof line, "\n  %s answers %lld at index %lld", faults.Bytes(0).c_str(),
                          static_cast<long long>(faults.Int(1)), at);
        }
        out += line;
        any = true;
    }
    out += any ? "\n" : " none\n";

    sqlite3_close_v2(db);
    *listing = out;
    return true;
}

// The sample home ----------------------------------------------------------

// What every sample home has besides its company data: the eras, the
// signed-in user and the application folders on drive C.
static const char8_t kSamplePlatform[] = u8R"(
[era]
start = 18681023
name = 明治
number = 1
[era]
start = 19120730
name = 大正
number = 2
[era]
start = 19261225
name = 昭和
number = 3
[era]
start = 19890108
name = 平成
number = 4
[era]
start = 20190501
name = 令和
number = 5

[user]
id = yamada
first = 1
selected = 1
current = yes

[folder]
type = 0
path = C:\Mildan\Data\
[folder]
type = 1
path = C:\Mildan\Env\
)";

static const char kSampleFileName[] = "sample-assets.txt";

// Next to the running program (how bokctl is installed), else the source
// tree the platform was built from.
static std::string FindSampleFile() {
    char self[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    const std::optional<std::string> program =
        length > 0 && length < sizeof self ? compat::ToHostPath(self) : std::nullopt;
    if (program) {
        const std::filesystem::path beside = HostPath(*program).parent_path() / kSampleFileName;
        std::error_code error;
        if (std::filesystem::is_regular_file(beside, error)) {
            const std::u8string name = beside.u8string();
            return std::string(name.begin(), name.end());
        }
    }
#ifdef DEPRLINK_SAMPLE_DIR
    return std::string(DEPRLINK_SAMPLE_DIR) + "/" + kSampleFileName;
#else
    return kSampleFileName;
#endif
}

bool InitSample(const std::string& home, AdminError* error) {
    if (error != nullptr) *error = AdminError{};
    const std::string root = home.empty() ? compat::PlatformHome() : home;
    std::string message;
    if (!MakeFolders(root, &message) || !compat::WriteDefaultDriveTable(root, &message))
        return Refuse(error, message);
    compat::ReloadDriveTable();
    // The application folders of the sample (kSamplePlatform).
    if (!MakeWindowsFolders("C:\\Mildan\\Data\\", &message) || !MakeWindowsFolders("C:\\Mildan\\Env\\", &message))
        return Refuse(error, message);
    if (!CreateStore(root, error)) return false;
    if (!ImportText(root, reinterpret_cast<const char*>(kSamplePlatform), error)) return false;
    const std::string sample = FindSampleFile();
    if (!ImportFile(root, sample, error)) {
        if (error != nullptr) error->message = sample + ": " + error->message;
        return false;
    }
    compat::ReloadDriveTable();
    return true;
}

// For tests ------------------------------------------------------------------

void ResetForTests() {
    detail::ReleaseAllCursors();
    detail::ResetConnection();
    detail::ResetMessages();
    detail::Store::Inst().Close();
}

int OpenCursorCount() { return detail::LiveCursorCount(); }

}  // namespace bok
