// The platform's store: one SQLite database, "<home>/bok.db".
//
// Internal to the platform.  The classes open the store of the running
// process's home lazily through Store::Inst(); the administration functions
// open a home of their choice with OpenStoreFile and close it again.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace bok::detail {

constexpr const char* kStoreFileName = "bok.db";
constexpr const char* kSchemaVersion = "1";
constexpr int kBusyTimeoutMs = 5000;

// The statement that creates every table; run inside a transaction.
extern const char* const kSchemaSql;

// "<home>/bok.db".
std::string StorePath(const std::string& home);

// Opens an existing store and checks its schema.  0 with *db set, or
// BOK_ERR_NO_STORE / BOK_ERR_BAD_STORE with *db null.
long OpenStoreFile(const std::string& path, int flags, sqlite3** db);

// For the administration functions: opens the store of home, first
// creating the home and an empty store when create is set and there is
// none.  On failure *message says why (UTF-8).
bool OpenAdminStore(const std::string& home, bool create, sqlite3** db, std::string* message);

// A prepared statement that finalizes itself.
class Statement {
public:
    Statement(sqlite3* db, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return m_pStmt != nullptr; }
    sqlite3_stmt* Get() const { return m_pStmt; }

    void Bind(int index, int64_t value);
    void Bind(int index, std::string_view bytes);   // as a blob
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step();
    void Reset();

    int64_t Int(int column) const;
    std::string Bytes(int column) const;

private:
    sqlite3_stmt* m_pStmt = nullptr;
};

// The store of the running process.
class Store {
public:
    static Store& Inst();

    // 0 when the store of compat::PlatformHome() is open; otherwise the
    // failure status.  A failed open is retried on the next call, and a
    // change of home closes the store of the old one.
    long Open();
    sqlite3* Db() const { return m_pDb; }
    // Changes whenever the store is closed, so that walks holding a
    // statement of an earlier connection can tell.
    uint64_t Generation() const { return m_nGeneration; }
    void Close();

    // When a fault is set for operation: true with its status.  For walks
    // index is the record index; other operations pass kAnyIndex.
    static constexpr long kAnyIndex = -2;
    bool FindFault(const char* operation, long index, long* status);

private:
    Store() = default;
    ~Store();
    void LoadFaults();

    struct Fault {
        long status;
        long atIndex;
    };

    sqlite3* m_pDb = nullptr;
    std::string m_strPath;
    sqlite3_stmt* m_pDataVersion = nullptr;
    int64_t m_nFaultsVersion = -1;
    std::map<std::string, Fault> m_mapFaults;
    uint64_t m_nGeneration = 1;
};

// Copies bytes into a fixed record field: at most size bytes, the rest of
// the (zero-filled) field untouched.
void CopyField(char* field, size_t size, std::string_view bytes);

}  // namespace bok::detail
