#include "platform/Store.h"

#include <sys/stat.h>

#include <cstring>

#include "compat/drives.h"
#include "platform/BokBCore.h"

namespace bok::detail {

// Texts are cp932 bytes and stored as blobs, so that SQLite never takes
// them for UTF-8.  Amounts are INTEGER counts of ten-thousandths of a yen.
const char* const kSchemaSql = R"sql(
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
CREATE TABLE assets(
    seq INTEGER PRIMARY KEY,
    data_id BLOB NOT NULL,
    code INTEGER NOT NULL,
    kind INTEGER NOT NULL,
    name BLOB NOT NULL,
    quantity BLOB NOT NULL,
    remarks BLOB NOT NULL,
    disposal INTEGER NOT NULL,
    disposal_date INTEGER NOT NULL,
    acquired INTEGER NOT NULL,
    cost INTEGER NOT NULL,
    deduction INTEGER NOT NULL,
    opening INTEGER NOT NULL,
    method INTEGER NOT NULL,
    life INTEGER NOT NULL,
    rate INTEGER NOT NULL,
    basis_is_amount INTEGER NOT NULL,
    basis_value INTEGER NOT NULL,
    ratio INTEGER NOT NULL,
    months INTEGER NOT NULL,
    basis INTEGER NOT NULL,
    balance INTEGER NOT NULL,
    category INTEGER NOT NULL,
    equal INTEGER NOT NULL,
    revised INTEGER NOT NULL,
    ordinary INTEGER NOT NULL,
    additional1 INTEGER NOT NULL,
    additional2 INTEGER NOT NULL,
    expenses INTEGER NOT NULL);
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
    "SELECT seq, data_id, code, kind, name, quantity, remarks, disposal, disposal_date, acquired, cost,"
    " deduction, opening, method, life, rate, basis_is_amount, basis_value, ratio, months, basis, balance,"
    " category, equal, revised, ordinary, additional1, additional2, expenses FROM assets LIMIT 0",
    "SELECT operation, status, at_index FROM faults LIMIT 0",
};

std::string StorePath(const std::string& home) {
    if (home.empty()) return kStoreFileName;
    if (home.back() == '/') return home + kStoreFileName;
    return home + "/" + kStoreFileName;
}

static bool SchemaMatches(sqlite3* db) {
    {
        Statement version(db, "SELECT value FROM meta WHERE key = 'schema'");
        if (!version.Ok() || version.Step() != SQLITE_ROW) return false;
        if (version.Bytes(0) != kSchemaVersion) return false;
    }
    for (const char* probe : kSchemaProbes) {
        Statement statement(db, probe);
        if (!statement.Ok()) return false;
    }
    return true;
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
    if (!SchemaMatches(handle)) {
        sqlite3_close_v2(handle);
        return BOK_ERR_BAD_STORE;
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

Statement::~Statement() { sqlite3_finalize(m_pStmt); }

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

std::string Statement::Bytes(int column) const {
    const void* data = sqlite3_column_blob(m_pStmt, column);
    const int size = sqlite3_column_bytes(m_pStmt, column);
    if (data == nullptr || size <= 0) return {};
    return std::string(static_cast<const char*>(data), static_cast<size_t>(size));
}

// Store ----------------------------------------------------------------------

Store& Store::Inst() {
    static Store store;
    return store;
}

Store::~Store() { Close(); }

long Store::Open() {
    // A process that moves to another home (tests do) gets that home's
    // store, not the one it opened first.
    const std::string path = StorePath(compat::PlatformHome());
    if (m_pDb != nullptr && path == m_strPath) return 0;
    Close();
    sqlite3* db = nullptr;
    const long status = OpenStoreFile(path, SQLITE_OPEN_READWRITE, &db);
    if (status != 0) return status;
    m_pDb = db;
    m_strPath = path;
    m_nFaultsVersion = -1;
    return 0;
}

void Store::Close() {
    sqlite3_finalize(m_pDataVersion);
    m_pDataVersion = nullptr;
    m_mapFaults.clear();
    m_nFaultsVersion = -1;
    m_strPath.clear();
    if (m_pDb != nullptr) {
        // close_v2 keeps the connection until walks still holding one of
        // its statements let go of it.
        sqlite3_close_v2(m_pDb);
        m_pDb = nullptr;
    }
    ++m_nGeneration;
}

void Store::LoadFaults() {
    // data_version changes whenever another connection (bokctl, or a test's
    // SetFault) has written to the store, so faults are read again only
    // then and a walk of many records pays one cheap step per call.
    if (m_pDataVersion == nullptr &&
        sqlite3_prepare_v2(m_pDb, "PRAGMA data_version", -1, &m_pDataVersion, nullptr) != SQLITE_OK) {
        m_pDataVersion = nullptr;
        return;
    }
    int64_t version = -1;
    if (sqlite3_step(m_pDataVersion) == SQLITE_ROW) version = sqlite3_column_int64(m_pDataVersion, 0);
    sqlite3_reset(m_pDataVersion);
    if (version == m_nFaultsVersion && version != -1) return;

    m_mapFaults.clear();
    Statement faults(m_pDb, "SELECT operation, status, at_index FROM faults");
    while (faults.Step() == SQLITE_ROW)
        m_mapFaults[faults.Bytes(0)] = Fault{static_cast<long>(faults.Int(1)), static_cast<long>(faults.Int(2))};
    m_nFaultsVersion = version;
}

bool Store::FindFault(const char* operation, long index, long* status) {
    if (Open() != 0) return false;
    LoadFaults();
    const auto found = m_mapFaults.find(operation);
    if (found == m_mapFaults.end()) return false;
    const Fault& fault = found->second;
    if (index != kAnyIndex && fault.atIndex != -1 && fault.atIndex != index) return false;
    *status = fault.status;
    return true;
}

void CopyField(char* field, size_t size, std::string_view bytes) {
    std::memcpy(field, bytes.data(), bytes.size() < size ? bytes.size() : size);
}

}  // namespace bok::detail
