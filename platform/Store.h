// The platform's store: one SQLite database, "<home>/bok.db".
//
// Internal to the platform.  The classes open the store of the running
// process's home lazily through Store::Inst(); the administration functions
// open a home of their choice with OpenStoreFile and close it again.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/records.h"

namespace bok::detail {

constexpr const char* kStoreFileName = "bok.db";
constexpr const char* kSchemaVersion = "1";
constexpr int kBusyTimeoutMs = 5000;

// The statement that creates every table; run inside a transaction.
const char* SchemaSql();

// "<home>/bok.db".
std::string StorePath(const std::string& home);

// Opens an existing store and checks its schema.  0 with *db set, or
// BOK_ERR_NO_STORE / BOK_ERR_BAD_STORE with *db null.
long OpenStoreFile(const std::string& path, int flags, sqlite3** db);

// For the administration functions: opens the store of home, first
// creating the home and an empty store when create is set and there is
// none.  On failure *message says why (UTF-8).
bool OpenAdminStore(const std::string& home, bool create, sqlite3** db, std::string* message);

// A prepared statement.  Made with a connection, it is prepared there and
// finalized at the end; made with Cached, it is the store's own statement
// for that SQL (prepared once per connection and kept), and the end only
// resets it for the next user.
class Statement {
public:
    Statement(sqlite3* db, const char* sql);
    // sql must be a literal: statements are kept by its address.
    static Statement Cached(const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return m_pStmt != nullptr; }
    sqlite3_stmt* Get() const { return m_pStmt; }

    void Bind(int index, int64_t value);
    void Bind(int index, std::string_view bytes);  // as a blob
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step();
    void Reset();

    int64_t Int(int column) const;
    std::string Bytes(int column) const;
    // A blob column straight into a fixed field: at most size bytes, the
    // rest of the (zero-filled) field untouched.
    void CopyBytes(int column, char* field, size_t size) const;

private:
    struct CachedTag {};
    Statement(CachedTag, const char* sql);

    sqlite3_stmt* m_pStmt = nullptr;
    bool m_bOwned = true;
};

// The operations a fault can be set for, in the order of kFaultOperations.
enum class Operation {
    Initiate,
    ExpSysLink,
    GetCurUserID,
    GetSelectedNo,
    GetDatCursor,
    ReadyDat,
    WalkDat,
    GetBokPeriod,
    GetPeriod,
    GengoGetCursor,
    GengoReady,
    GengoWalk,
    MoveReady,
    GetCount,
    Move,
    Count
};

// The eras in ascending order of their first day, as one read saw them.
using EraList = std::vector<StGENGOINFO>;

// The store of the running process.
//
// Every read runs inside a read transaction, so that what it reads belongs
// to one state of the store.  A transaction is held while anyone holds it:
// one operation (ReadScope), a depreciation walk from MoveReady to
// MoveFinish, or the connection from Initiate to Terminate.  While it is
// held nothing can change under the readers (the store keeps a write-ahead
// log, so writers in other processes go on meanwhile), and what was read
// once (the faults, the eras, the period of the selected data) is kept and
// served again without a query.  When a new transaction begins, SQLite's
// data_version says whether another connection has written since: only then
// is the kept data read again.
class Store {
public:
    static Store& Inst();

    // 0 when the store of compat::PlatformHome() is open; otherwise the
    // failure status.  A failed open is retried on the next call, and a
    // change of home closes the store of the old one, except while a read
    // transaction is held: its readers stay with the store they began on.
    long Open();
    sqlite3* Db() const { return m_pDb; }
    // Changes whenever the store is closed, so that walks holding a
    // statement of an earlier connection can tell.
    uint64_t Generation() const { return m_nGeneration; }
    void Close();

    // Holds the read transaction, beginning it (and opening the store) when
    // nobody holds it yet: 0, or the failure status.  Each successful
    // BeginRead is ended by one EndRead with the generation it began in; an
    // EndRead of an earlier generation (the store was closed meanwhile)
    // does nothing.
    long BeginRead();
    void EndRead(uint64_t generation);

    // The connection's own hold, from Initiate to Terminate.
    long Pin();
    void Unpin();

    // The statement kept for sql on this connection, or null.
    sqlite3_stmt* Prepared(const char* sql);

    // When a fault is set for operation: true with its status.  For walks
    // index is the record index; other operations pass kAnyIndex.  Within
    // a read transaction only.
    static constexpr long kAnyIndex = -2;
    bool FindFault(Operation operation, long index, long* status);

    // The kept eras; *status is 0 or the failure status (then the list is
    // empty).  Within a read transaction only.
    std::shared_ptr<const EraList> Eras(long* status);
    // The period of the signed-in user's selected data; 0 or the failure
    // status.  Within a read transaction only.
    long SelectedPeriod(long* first, long* last);

private:
    Store() = default;
    ~Store();
    void DropKept();
    void EndTransaction();

    struct Fault {
        bool bSet = false;
        long status = 0;
        long atIndex = -1;
    };
    struct Kept {
        const char* sql;
        sqlite3_stmt* stmt;
    };

    sqlite3* m_pDb = nullptr;
    std::string m_strPath;
    uint64_t m_nGeneration = 1;

    int m_nHolds = 0;
    bool m_bPinned = false;
    uint64_t m_nPinGeneration = 0;
    int64_t m_nDataVersion = -1;
    // What was read is kept with the serial of the state it was read in;
    // the serial moves on whenever the store may hold something else.
    uint64_t m_nSerial = 1;

    std::vector<Kept> m_vecKept;

    uint64_t m_nFaultsSerial = 0;
    Fault m_aFaults[static_cast<int>(Operation::Count)];

    uint64_t m_nErasSerial = 0;
    long m_lErasStatus = 0;
    std::shared_ptr<const EraList> m_pEras;

    uint64_t m_nPeriodSerial = 0;
    long m_lPeriodStatus = 0;
    long m_lPeriodFirst = 0;
    long m_lPeriodLast = 0;
};

// One operation's hold of the read transaction, with the checks every
// operation begins with: the store must open, and a fault set for the
// operation answers in its place.
class ReadScope {
public:
    // The generation is taken after BeginRead, which may have opened the
    // store anew.
    ReadScope() : m_lStatus(Store::Inst().BeginRead()), m_nGeneration(Store::Inst().Generation()) {}
    ~ReadScope() {
        if (m_lStatus == 0) Store::Inst().EndRead(m_nGeneration);
    }
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;

    // 0 lets the operation run; otherwise the status it answers.
    long Check(Operation operation, long index = Store::kAnyIndex) {
        if (m_lStatus != 0) return m_lStatus;
        long fault = 0;
        if (Store::Inst().FindFault(operation, index, &fault)) return fault;
        return 0;
    }

private:
    long m_lStatus;
    uint64_t m_nGeneration;
};

// Copies bytes into a fixed record field: at most size bytes, the rest of
// the (zero-filled) field untouched.
void CopyField(char* field, size_t size, std::string_view bytes);

}  // namespace bok::detail
