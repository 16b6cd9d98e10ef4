#include "platform/Store.h"

#include <sys/stat.h>

#include <cstring>

#include "compat/drives.h"
#include "platform/AssetColumns.h"
#include "platform/BokBCore.h"

namespace bok::detail {

// Texts are cp932 bytes and stored as blobs, so that SQLite never takes
// them for UTF-8.  Amounts are INTEGER counts of ten-thousandths of a yen.
static const char kSchemaHeadSql[] = R"sql(
CREATE TABLE meta(
    key TEXT PRIMARY KEY,
    value TEXT NOT NULL);
CREATE TABLE data_sets(
    id BLOB PRIMARY KEY,
    number INTEGER NOT NULL,
    name BLOB NOT NULL,
    period_from INTEGER NOT NULL,
    period_to INTEGER NOT NULL,
    genka INTEGER NOT NULL,
    kind INTEGER NOT NULL,
    business INTEGER NOT NULL,
    fraction INTEGER NOT NULL);
CREATE TABLE users(
    id BLOB PRIMARY KEY,
    first_no INTEGER NOT NULL,
    selected_no INTEGER NOT NULL,
    current INTEGER NOT NULL);
CREATE TABLE eras(
    start INTEGER PRIMARY KEY,
    name BLOB NOT NULL,
    number INTEGER NOT NULL);
CREATE TABLE folders(
    type INTEGER PRIMARY KEY,
    path BLOB NOT NULL);
)sql";

// The asset's own keys come first, then its columns in table order.
static const char kSchemaAssetsSql[] = R"sql(CREATE TABLE assets(
    seq INTEGER PRIMARY KEY,
    data_id BLOB NOT NULL,
    code INTEGER NOT NULL)sql";

static const char kSchemaTailSql[] = R"sql();
CREATE INDEX assets_walk ON assets(data_id, code, seq);
CREATE TABLE faults(
    operation TEXT PRIMARY KEY,
    status INTEGER NOT NULL,
    at_index INTEGER NOT NULL);
INSERT INTO meta(key, value) VALUES('schema', '1');
)sql";

// Every column the platform reads; a store that lacks one is another
// schema, refused at open rather than failing in the middle of a walk.
static const char* const kSchemaProbes[] = {
    "SELECT id, number, name, period_from, period_to, genka, kind, business, fraction FROM data_sets LIMIT 0",
    "SELECT id, first_no, selected_no, current FROM users LIMIT 0",
    "SELECT start, name, number FROM eras LIMIT 0",
    "SELECT type, path FROM folders LIMIT 0",
    "SELECT operation, status, at_index FROM faults LIMIT 0",
};

const std::string& AssetColumnList() {
    static const std::string list = [] {
        std::string names;
        for (const AssetColumn& column : kAssetColumns) {
            if (!names.empty()) names += ", ";
            names += column.pszName;
        }
        return names;
    }();
    return list;
}

const char* SchemaSql() {
    static const std::string sql = [] {
        std::string text = kSchemaHeadSql;
        text += kSchemaAssetsSql;
        for (const AssetColumn& column : kAssetColumns) {
            text += ",\n    ";
            text += column.pszName;
            text += column.eType == AssetType::Text ? " BLOB NOT NULL" : " INTEGER NOT NULL";
        }
        text += kSchemaTailSql;
        return text;
    }();
    return sql.c_str();
}

std::string StorePath(const std::string& home) {
    if (home.empty()) return kStoreFileName;
    if (home.back() == '/') return home + kStoreFileName;
    return home + "/" + kStoreFileName;
}

static bool IsBusy(int code) { return (code & 0xff) == SQLITE_BUSY || (code & 0xff) == SQLITE_LOCKED; }

// 0, BOK_ERR_BAD_STORE, or BOK_ERR_STORE_BUSY when another program kept the
// store locked for the whole wait: that store may be perfectly good.
static long CheckSchema(sqlite3* db) {
    {
        Statement version(db, "SELECT value FROM meta WHERE key = 'schema'");
        if (!version.Ok()) return IsBusy(sqlite3_extended_errcode(db)) ? BOK_ERR_STORE_BUSY : BOK_ERR_BAD_STORE;
        const int step = version.Step();
        if (step != SQLITE_ROW) return IsBusy(step) ? BOK_ERR_STORE_BUSY : BOK_ERR_BAD_STORE;
        if (version.Bytes(0) != kSchemaVersion) return BOK_ERR_BAD_STORE;
    }
    static const std::string assetsProbe = "SELECT seq, data_id, code, " + AssetColumnList() + " FROM assets LIMIT 0";
    for (size_t i = 0; i <= sizeof kSchemaProbes / sizeof kSchemaProbes[0]; ++i) {
        Statement statement(
            db, i < sizeof kSchemaProbes / sizeof kSchemaProbes[0] ? kSchemaProbes[i] : assetsProbe.c_str());
        if (!statement.Ok()) return IsBusy(sqlite3_extended_errcode(db)) ? BOK_ERR_STORE_BUSY : BOK_ERR_BAD_STORE;
    }
    return 0;
}

long OpenStoreFile(const std::string& path, int flags, sqlite3** db) {
    *db = nullptr;
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return BOK_ERR_NO_STORE;
    if (!S_ISREG(info.st_mode)) return BOK_ERR_BAD_STORE;

    sqlite3* handle = nullptr;
    // Never SQLITE_OPEN_CREATE here: a missing store must stay missing
    // rather than turn into an empty one.
    if (sqlite3_open_v2(path.c_str(), &handle, flags & ~SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(handle);
        return BOK_ERR_BAD_STORE;
    }
    sqlite3_busy_timeout(handle, kBusyTimeoutMs);
    if (const long status = CheckSchema(handle)) {
        sqlite3_close_v2(handle);
        return status;
    }
    *db = handle;
    return 0;
}

// Statement ------------------------------------------------------------------

Statement::Statement(sqlite3* db, const char* sql) {
    if (db == nullptr || sqlite3_prepare_v2(db, sql, -1, &m_pStmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(m_pStmt);
        m_pStmt = nullptr;
    }
}

Statement::Statement(CachedTag, const char* sql) : m_pStmt(Store::Inst().Prepared(sql)), m_bOwned(false) {}

Statement Statement::Cached(const char* sql) { return Statement(CachedTag{}, sql); }

Statement::~Statement() {
    if (m_bOwned) {
        sqlite3_finalize(m_pStmt);
    } else if (m_pStmt != nullptr) {
        sqlite3_reset(m_pStmt);
        sqlite3_clear_bindings(m_pStmt);
    }
}

void Statement::Bind(int index, int64_t value) {
    if (m_pStmt != nullptr) sqlite3_bind_int64(m_pStmt, index, value);
}

void Statement::Bind(int index, std::string_view bytes) {
    // A zero-length blob must still be a blob, not NULL.
    if (m_pStmt != nullptr)
        sqlite3_bind_blob64(m_pStmt, index, bytes.empty() ? "" : bytes.data(), bytes.size(), SQLITE_TRANSIENT);
}

int Statement::Step() { return m_pStmt != nullptr ? sqlite3_step(m_pStmt) : SQLITE_MISUSE; }

void Statement::Reset() {
    if (m_pStmt != nullptr) {
        sqlite3_reset(m_pStmt);
        sqlite3_clear_bindings(m_pStmt);
    }
}

int64_t Statement::Int(int column) const { return sqlite3_column_int64(m_pStmt, column); }

void Statement::CopyBytes(int column, char* field, size_t size) const {
    const void* data = sqlite3_column_blob(m_pStmt, column);
    const int bytes = sqlite3_column_bytes(m_pStmt, column);
    if (data != nullptr && bytes > 0)
        std::memcpy(field, data, static_cast<size_t>(bytes) < size ? static_cast<size_t>(bytes) : size);
}

std::string Statement::Bytes(int column) const {
    const void* data = sqlite3_column_blob(m_pStmt, column);
    const int size = sqlite3_column_bytes(m_pStmt, column);
    if (data == nullptr || size <= 0) return {};
    return std::string(static_cast<const char*>(data), static_cast<size_t>(size));
}

// Store ----------------------------------------------------------------------

namespace {

// The names of Operation, as faults are stored.
const char* const kOperationNames[] = {
    "Initiate",    "ExpSysLink", "GetCurUserID", "GetSelectedNo", "GetDatCursor",
    "ReadyDat",    "WalkDat",    "GetBokPeriod", "GetPeriod",     "Gengo.GetCursor",
    "Gengo.Ready", "Gengo.Walk", "MoveReady",    "GetCount",      "Move",
};
static_assert(sizeof kOperationNames / sizeof kOperationNames[0] == static_cast<size_t>(Operation::Count));

const char kBeginSql[] = "BEGIN";
const char kCommitSql[] = "COMMIT";
const char kRollbackSql[] = "ROLLBACK";
const char kDataVersionSql[] = "PRAGMA data_version";
const char kFaultsSql[] = "SELECT operation, status, at_index FROM faults";
const char kErasSql[] = "SELECT number, start, name FROM eras ORDER BY start";
const char kSelectedNoSql[] = "SELECT selected_no FROM users WHERE current != 0 ORDER BY id LIMIT 1";
const char kPeriodSql[] = "SELECT period_from, period_to FROM data_sets WHERE number = ?1 ORDER BY id LIMIT 1";

// Steps a statement without rows to its end.
int Run(sqlite3_stmt* statement) {
    if (statement == nullptr) return SQLITE_MISUSE;
    const int step = sqlite3_step(statement);
    sqlite3_reset(statement);
    return step;
}

long StatusOf(int step) { return IsBusy(step) ? BOK_ERR_STORE_BUSY : BOK_ERR_STORE_IO; }

}  // namespace

Store& Store::Inst() {
    static Store store;
    return store;
}

Store::~Store() { Close(); }

long Store::Open() {
    // The readers of a held transaction stay with its store.
    if (m_nHolds > 0) return 0;
    // A process that moves to another home (tests do) gets that home's
    // store, not the one it opened first.
    const std::string path = StorePath(compat::PlatformHome());
    if (m_pDb != nullptr && path == m_strPath) return 0;
    Close();
    sqlite3* db = nullptr;
    // One thread uses the connection: SQLite need not lock it per call.
    const long status = OpenStoreFile(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, &db);
    if (status != 0) return status;
    // The walks read each page once, and what is read again is kept above
    // SQLite: a small page cache serves, so that memory grows with what the
    // program keeps, not with the store.
    sqlite3_exec(db, "PRAGMA cache_size = -64", nullptr, nullptr, nullptr);
    m_pDb = db;
    m_strPath = path;
    return 0;
}

void Store::DropKept() {
    for (const Kept& kept : m_vecKept) sqlite3_finalize(kept.stmt);
    m_vecKept.clear();
    m_pEras.reset();
    m_nFaultsSerial = m_nErasSerial = m_nPeriodSerial = 0;
}

void Store::Close() {
    // A transaction left open ends with its connection.
    m_nHolds = 0;
    m_bPinned = false;
    DropKept();
    m_nDataVersion = -1;
    ++m_nSerial;
    m_strPath.clear();
    if (m_pDb != nullptr) {
        // close_v2 keeps the connection until walks still holding one of
        // its statements let go of it.
        sqlite3_close_v2(m_pDb);
        m_pDb = nullptr;
    }
    ++m_nGeneration;
}

sqlite3_stmt* Store::Prepared(const char* sql) {
    if (m_pDb == nullptr) return nullptr;
    for (const Kept& kept : m_vecKept)
        if (kept.sql == sql) return kept.stmt;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(m_pDb, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return nullptr;
    }
    m_vecKept.push_back(Kept{sql, statement});
    return statement;
}

long Store::BeginRead() {
    if (m_nHolds > 0) {
        ++m_nHolds;
        return 0;
    }
    if (const long status = Open()) return status;
    // A transaction some failure left open is not ours to continue.
    if (sqlite3_get_autocommit(m_pDb) == 0) Run(Prepared(kRollbackSql));
    if (Run(Prepared(kBeginSql)) != SQLITE_DONE) return BOK_ERR_STORE_IO;

    // The first read starts the transaction; data_version then tells
    // whether anyone has written since the last one.
    sqlite3_stmt* version = Prepared(kDataVersionSql);
    const int step = version != nullptr ? sqlite3_step(version) : SQLITE_MISUSE;
    const int64_t value = step == SQLITE_ROW ? sqlite3_column_int64(version, 0) : -1;
    if (version != nullptr) sqlite3_reset(version);
    if (step != SQLITE_ROW) {
        Run(Prepared(kRollbackSql));
        return StatusOf(step);
    }
    if (value != m_nDataVersion) {
        m_nDataVersion = value;
        ++m_nSerial;
    }
    m_nHolds = 1;
    return 0;
}

void Store::EndTransaction() {
    if (m_pDb == nullptr) return;
    if (Run(Prepared(kCommitSql)) != SQLITE_DONE) Run(Prepared(kRollbackSql));
}

void Store::EndRead(uint64_t generation) {
    if (generation != m_nGeneration || m_nHolds == 0) return;
    if (--m_nHolds == 0) EndTransaction();
}

long Store::Pin() {
    if (m_bPinned) return 0;
    const long status = BeginRead();
    if (status != 0) return status;
    m_bPinned = true;
    m_nPinGeneration = m_nGeneration;
    return 0;
}

void Store::Unpin() {
    if (!m_bPinned) return;
    m_bPinned = false;
    EndRead(m_nPinGeneration);
}

bool Store::FindFault(Operation operation, long index, long* status) {
    if (operation >= Operation::Count) return false;
    if (m_nFaultsSerial != m_nSerial) {
        for (Fault& fault : m_aFaults) fault = Fault{};
        Statement faults = Statement::Cached(kFaultsSql);
        while (faults.Step() == SQLITE_ROW) {
            const void* name = sqlite3_column_blob(faults.Get(), 0);
            const size_t length = static_cast<size_t>(sqlite3_column_bytes(faults.Get(), 0));
            for (size_t i = 0; i < static_cast<size_t>(Operation::Count); ++i) {
                if (name != nullptr && std::strlen(kOperationNames[i]) == length &&
                    std::memcmp(kOperationNames[i], name, length) == 0)
                    m_aFaults[i] = Fault{true, static_cast<long>(faults.Int(1)), static_cast<long>(faults.Int(2))};
            }
        }
        m_nFaultsSerial = m_nSerial;
    }
    const Fault& fault = m_aFaults[static_cast<int>(operation)];
    if (!fault.bSet) return false;
    if (index != kAnyIndex && fault.atIndex != -1 && fault.atIndex != index) return false;
    *status = fault.status;
    return true;
}

std::shared_ptr<const EraList> Store::Eras(long* status) {
    if (m_nErasSerial != m_nSerial) {
        auto eras = std::make_shared<EraList>();
        Statement rows = Statement::Cached(kErasSql);
        int step;
        while ((step = rows.Step()) == SQLITE_ROW) {
            StGENGOINFO era;
            std::memset(&era, 0, sizeof era);
            era.nGengoNo = static_cast<int32_t>(rows.Int(0));
            era.nStartDate = static_cast<int32_t>(rows.Int(1));
            rows.CopyBytes(2, era.szName, sizeof era.szName - 1);
            eras->push_back(era);
        }
        m_lErasStatus = step == SQLITE_DONE ? 0 : StatusOf(step);
        if (m_lErasStatus != 0) eras->clear();
        m_pEras = std::move(eras);
        m_nErasSerial = m_nSerial;
    }
    *status = m_lErasStatus;
    return m_pEras;
}

long Store::SelectedPeriod(long* first, long* last) {
    if (m_nPeriodSerial != m_nSerial) {
        m_lPeriodFirst = m_lPeriodLast = 0;
        Statement user = Statement::Cached(kSelectedNoSql);
        int step = user.Step();
        if (step == SQLITE_ROW) {
            Statement data = Statement::Cached(kPeriodSql);
            data.Bind(1, user.Int(0));
            step = data.Step();
            if (step == SQLITE_ROW) {
                m_lPeriodFirst = static_cast<long>(data.Int(0));
                m_lPeriodLast = static_cast<long>(data.Int(1));
            }
        }
        m_lPeriodStatus = step == SQLITE_ROW ? 0 : step == SQLITE_DONE ? BOK_ERR_NOT_FOUND : StatusOf(step);
        m_nPeriodSerial = m_nSerial;
    }
    *first = m_lPeriodFirst;
    *last = m_lPeriodLast;
    return m_lPeriodStatus;
}

void CopyField(char* field, size_t size, std::string_view bytes) {
    std::memcpy(field, bytes.data(), bytes.size() < size ? bytes.size() : size);
}

}  // namespace bok::detail
