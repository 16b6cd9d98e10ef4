#include "platform/BokAdmin.h"

#include <cerrno>
#include <cstdint>
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

using bok::detail::kBusyTimeoutMs;
using bok::detail::Statement;

namespace bok {

const char* const kFaultOperations[] = {
    "Initiate",  "ExpSysLink",   "GetCurUserID", "GetSelectedNo",   "GetDatCursor", "ReadyDat",
    "WalkDat",   "GetBokPeriod", "GetPeriod",    "Gengo.GetCursor", "Gengo.Ready",  "Gengo.Walk",
    "MoveReady", "GetCount",     "Move",         nullptr,
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
    if (status == BOK_ERR_NO_STORE) return "there is no store";
    // A locked store is most likely fine: waiting is the remedy, not a new one.
    if (status == BOK_ERR_STORE_BUSY)
        return "the store is busy: another program kept it locked for " + std::to_string(kBusyTimeoutMs / 1000) +
               " s; try again when that program has finished";
    return "the file is not a store of this platform";
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
                sqlite3_exec(fresh, (std::string("BEGIN;") + SchemaSql() + "COMMIT;").c_str(), nullptr, nullptr,
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
static const char8_t kSamplePlatform[] =
    u8R"(
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
    if (!MakeFolders(root, &message) || !compat::WriteDefaultDriveTable(root, &message)) return Refuse(error, message);
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

// A generated company ---------------------------------------------------------

namespace {

// A fixed 64-bit linear congruential sequence: the same company on every
// machine and in every build.
class Sequence {
public:
    uint64_t Next() {
        m_nState = m_nState * 6364136223846793005ULL + 1442695040888963407ULL;
        return m_nState >> 33;
    }
    long Below(long limit) { return static_cast<long>(Next() % static_cast<uint64_t>(limit)); }

private:
    uint64_t m_nState = 0x5DEECE66DULL;
};

const char* U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// An amount as import text: yen with up to four decimals.
std::string Amount(long long tenThousandths) {
    char text[40];
    const long long whole = tenThousandths / 10000;
    const long long part = tenThousandths % 10000;
    if (part == 0)
        std::snprintf(text, sizeof text, "%lld", whole);
    else
        std::snprintf(text, sizeof text, "%s%lld.%04lld", tenThousandths < 0 && whole == 0 ? "-" : "", whole,
                      part < 0 ? -part : part);
    return text;
}

// The import text of asset number i + 1 of a generated company, from the
// next draws of random.
std::string GeneratedAsset(long i, Sequence& random) {
    static const char* const kNames[] = {
        U8(u8"事務所建物"),
        U8(u8"営業用普通乗用車(トヨタ　クラウン)"),
        U8(u8"パソコン"),
        U8(u8"業務用パッケージエアコン(本社3階会議室・応接室)"),
        U8(u8"R&D <試作> \"機\" 'A'"),
        U8(u8"フォークリフト"),
        U8(u8"賃貸マンション　ソレイユ駅前"),
        U8(u8"応接セット"),
        U8(u8"ソフトウェア表計算"),
        U8(u8"駐車場舗装"),
    };
    static const char* const kUnits[] = {U8(u8"台"), U8(u8"棟"), U8(u8"式"), "m2", U8(u8"ｾｯﾄ"), ""};
    static const char* const kRemarks[] = {
        "", "", "", U8(u8"事務所用"), "ABCDEFGHIJ0123456789KLMNOP", U8(u8"工場内設置・定期点検済み（保守契約あり）"),
    };
    static const int kRates[] = {42, 100, 167, 200, 250, 333, 400, 500, 1000};

    char line[1024];
    const int method = static_cast<int>(i % 8) + 1;
    const long roll = random.Below(100);
    // Kinds: a few excluded, some with their own basis.
    const int kind = roll < 4 ? 11 : roll < 14 ? 10 : 0;
    long acquired;
    if (method == 7)
        acquired = random.Below(2) == 0 ? 20240101 + random.Below(12) * 100 + random.Below(28)
                                        : 20230101 + random.Below(12) * 100 + random.Below(28);
    else
        acquired = 19800101 + random.Below(45) * 10000 + random.Below(12) * 100 + random.Below(28);
    int disposal = 0;
    long disposalDate = 0;
    const long fate = random.Below(20);
    if (fate == 0) {
        disposal = 4;
        disposalDate = 20230101 + random.Below(12) * 100 + random.Below(28);
    } else if (fate == 1) {
        disposal = 5;
        disposalDate = 20240101 + random.Below(12) * 100 + random.Below(28);
    }
    const long long cost = (100000 + random.Below(50000000)) * 10000LL + (random.Below(4) == 0 ? 5000 : 0);
    const long long opening = random.Below(6) == 0 ? 0 : cost / (2 + random.Below(5));
    const int life = static_cast<int>(random.Below(6) == 0 ? 0 : 2 + random.Below(49));
    const int rate = kRates[random.Below(sizeof kRates / sizeof kRates[0])];
    const int basisIsAmount = static_cast<int>(random.Below(2));
    const long long basisValue =
        basisIsAmount != 0 ? (1000 + random.Below(200000)) * 10000LL : (1 + random.Below(9999)) * 100LL;
    const int ratio = random.Below(3) == 0 ? 5000 + static_cast<int>(random.Below(5001)) : 10000;
    const int months = 1 + static_cast<int>(random.Below(12));
    const int category = 1 + static_cast<int>(random.Below(2));
    const int equal = random.Below(8) == 0 ? 1 : 0;
    const long long ordinary = opening / (1 + random.Below(10));
    const long long additional1 = random.Below(10) == 0 ? ordinary / 10 : 0;
    const long long additional2 = random.Below(20) == 0 ? ordinary / 20 : 0;
    // Now and then below zero, so that the range filter drops it.
    const long long expenses = random.Below(25) == 0 ? -10000 : ordinary * ratio / 10000;
    const long long revised = cost / (3 + random.Below(4));
    const long long balance = opening - ordinary;
    const long long basis = random.Below(2) == 0 ? opening : cost;

    std::string quantity;
    const char* unit = kUnits[random.Below(sizeof kUnits / sizeof kUnits[0])];
    if (*unit != '\0' || random.Below(2) == 0) quantity = std::to_string(1 + random.Below(200)) + unit;

    std::snprintf(line, sizeof line,
                  "[asset]\ncode = %ld\nkind = %d\nname = %s%ld\nquantity = %s\nremarks = %s\n"
                  "disposal = %d\ndisposal_date = %ld\nacquired = %ld\ncost = %s\nopening = %s\n"
                  "method = %d\nlife = %d\nrate = %d\nbasis_is_amount = %d\nbasis_value = %s\n"
                  "ratio = %d\nmonths = %d\nbasis = %s\nbalance = %s\ncategory = %d\nequal = %d\n"
                  "revised = %s\nordinary = %s\nadditional1 = %s\nadditional2 = %s\nexpenses = %s\n",
                  i + 1, kind, kNames[random.Below(sizeof kNames / sizeof kNames[0])], i + 1, quantity.c_str(),
                  kRemarks[random.Below(sizeof kRemarks / sizeof kRemarks[0])], disposal, disposalDate, acquired,
                  Amount(cost).c_str(), Amount(opening).c_str(), method, life, rate, basisIsAmount,
                  Amount(basisValue).c_str(), ratio, months, Amount(basis).c_str(), Amount(balance).c_str(), category,
                  equal, Amount(revised).c_str(), Amount(ordinary).c_str(), Amount(additional1).c_str(),
                  Amount(additional2).c_str(), Amount(expenses).c_str());
    return line;
}

}  // namespace

std::string GeneratedCompanyText(long assets) {
    std::string text = reinterpret_cast<const char*>(kSamplePlatform);
    text +=
        U8(u8"[data]\nid = GEN01\nnumber = 1\nname = 生成商事＆Co.\nperiod = 20240101 20241231\n"
           u8"business = 3\nfraction = 0\n");
    text.reserve(text.size() + static_cast<size_t>(assets > 0 ? assets : 0) * 420);

    Sequence random;
    for (long i = 0; i < assets; ++i) text += GeneratedAsset(i, random);
    return text;
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
