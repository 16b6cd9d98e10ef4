#include "platform/BokBCore.h"

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/Sets.h"
#include "platform/Store.h"

using bok::detail::CopyField;
using bok::detail::Statement;
using bok::detail::Store;

// Cursors ----------------------------------------------------------------------
//
// A cursor takes a snapshot of its set at Ready: the sets are small, and a
// snapshot keeps no statement open between the caller's calls.

struct BokCursor__ {
    enum class Kind { Data, Era };
    explicit BokCursor__(Kind kind) : eKind(kind) {}
    Kind eKind;
    bool bReady = false;
    size_t nNext = 0;
    std::vector<StDATAINFO> vecData;
    std::vector<StGENGOINFO> vecEras;
};

namespace {

// Every cursor handed out and not yet released, so that a stale or foreign
// handle is refused instead of followed.
std::set<BOKCURSOR>& LiveCursors() {
    static std::set<BOKCURSOR> cursors;
    return cursors;
}

BOKCURSOR NewCursor(BokCursor__::Kind kind) {
    BOKCURSOR cursor = new BokCursor__(kind);
    LiveCursors().insert(cursor);
    return cursor;
}

bool IsLive(BOKCURSOR cursor, BokCursor__::Kind kind) {
    return cursor != nullptr && LiveCursors().count(cursor) != 0 && cursor->eKind == kind;
}

long ReleaseCursorOf(BOKCURSOR cursor, BokCursor__::Kind kind) {
    if (!IsLive(cursor, kind)) return BOK_ERR_BAD_ARGUMENT;
    LiveCursors().erase(cursor);
    delete cursor;
    return 0;
}

// The common head of every operation: the store must open, and a fault set
// for the operation answers in its place.  0 lets the operation run.
long Precheck(const char* operation, long index = Store::kAnyIndex) {
    const long status = Store::Inst().Open();
    if (status != 0) return status;
    long fault = 0;
    if (Store::Inst().FindFault(operation, index, &fault)) return fault;
    return 0;
}

// Data sets walk by number, then ID, so that a walk is stable and the
// first of two sets that share a number is always the same one.
constexpr const char* kDataColumns =
    "SELECT id, number, name, period_from, period_to, genka, kind, business, fraction FROM data_sets";

void FillDataInfo(const Statement& row, StDATAINFO* record) {
    std::memset(record, 0, sizeof *record);
    CopyField(record->szDataID, sizeof record->szDataID - 1, row.Bytes(0));
    record->nDataNo = static_cast<int32_t>(row.Int(1));
    CopyField(record->szJigyoName, sizeof record->szJigyoName - 1, row.Bytes(2));
    record->nKikanFrom = static_cast<int32_t>(row.Int(3));
    record->nKikanTo = static_cast<int32_t>(row.Int(4));
    record->nGenkaFlag = static_cast<int32_t>(row.Int(5));
    record->nDataKind = static_cast<int16_t>(row.Int(6));
    record->nJigyoKubun = static_cast<uint8_t>(row.Int(7));
    record->nHasuuShokyaku = static_cast<uint8_t>(row.Int(8));
}

// The signed-in user's selected data number; BOK_ERR_NOT_FOUND without one.
long SelectedDataNo(long* dataNo) {
    Statement user(Store::Inst().Db(), "SELECT selected_no FROM users WHERE current != 0 ORDER BY id LIMIT 1");
    const int step = user.Step();
    if (step == SQLITE_DONE) return BOK_ERR_NOT_FOUND;
    if (step != SQLITE_ROW) return BOK_ERR_STORE_IO;
    *dataNo = static_cast<long>(user.Int(0));
    return 0;
}

// Sets -------------------------------------------------------------------------

class BokPeriod final : public ClBokPeriod {
public:
    BokPeriod(long first, long last) : m_lFirst(first), m_lLast(last) {}
    long GetPeriod(long* first, long* last) override {
        if (first == nullptr || last == nullptr) return BOK_ERR_BAD_ARGUMENT;
        if (const long status = Precheck("GetPeriod")) return status;
        *first = m_lFirst;
        *last = m_lLast;
        return 0;
    }

private:
    long m_lFirst;
    long m_lLast;
};

class SetData final : public ClSetData {
public:
    long GetDatCursor(BOKCURSOR* cursor) override {
        if (cursor == nullptr) return BOK_ERR_BAD_ARGUMENT;
        *cursor = nullptr;
        if (const long status = Precheck("GetDatCursor")) return status;
        *cursor = NewCursor(BokCursor__::Kind::Data);
        return 0;
    }

    long ReadyDat(BOKCURSOR cursor, int /*mode*/) override {
        if (!IsLive(cursor, BokCursor__::Kind::Data)) return BOK_ERR_BAD_ARGUMENT;
        cursor->bReady = false;
        if (const long status = Precheck("ReadyDat")) return status;

        std::string sql = kDataColumns;
        sql += " ORDER BY number, id";
        Statement rows(Store::Inst().Db(), sql.c_str());
        std::vector<StDATAINFO> records;
        int step;
        while ((step = rows.Step()) == SQLITE_ROW) {
            records.emplace_back();
            FillDataInfo(rows, &records.back());
        }
        if (step != SQLITE_DONE) return BOK_ERR_STORE_IO;
        cursor->vecData = std::move(records);
        cursor->nNext = 0;
        cursor->bReady = true;
        return 0;
    }

    long WalkDat(StDATAINFO* record, BOKCURSOR cursor) override {
        if (record == nullptr || !IsLive(cursor, BokCursor__::Kind::Data)) return BOK_ERR_BAD_ARGUMENT;
        if (!cursor->bReady) return BOK_ERR_NOT_READY;
        if (const long status = Precheck("WalkDat", static_cast<long>(cursor->nNext))) return status;
        if (cursor->nNext >= cursor->vecData.size()) return BOK_NO_MORE_RECORDS;
        *record = cursor->vecData[cursor->nNext++];
        return 0;
    }

    long ReleaseDatCursor(BOKCURSOR cursor) override { return ReleaseCursorOf(cursor, BokCursor__::Kind::Data); }

    long GetBokPeriod(ClBokPeriod** period) override {
        if (period == nullptr) return BOK_ERR_BAD_ARGUMENT;
        *period = nullptr;
        if (const long status = Precheck("GetBokPeriod")) return status;

        long dataNo = 0;
        if (const long status = SelectedDataNo(&dataNo)) return status;
        Statement data(Store::Inst().Db(),
                       "SELECT period_from, period_to FROM data_sets WHERE number = ?1 ORDER BY id LIMIT 1");
        data.Bind(1, static_cast<int64_t>(dataNo));
        const int step = data.Step();
        if (step == SQLITE_DONE) return BOK_ERR_NOT_FOUND;
        if (step != SQLITE_ROW) return BOK_ERR_STORE_IO;
        *period = new BokPeriod(static_cast<long>(data.Int(0)), static_cast<long>(data.Int(1)));
        return 0;
    }
};

class SetGengo final : public ClSetGengo {
public:
    long GetCursor(BOKCURSOR* cursor) override {
        if (cursor == nullptr) return BOK_ERR_BAD_ARGUMENT;
        *cursor = nullptr;
        if (const long status = Precheck("Gengo.GetCursor")) return status;
        *cursor = NewCursor(BokCursor__::Kind::Era);
        return 0;
    }

    long Ready(BOKCURSOR cursor) override {
        if (!IsLive(cursor, BokCursor__::Kind::Era)) return BOK_ERR_BAD_ARGUMENT;
        cursor->bReady = false;
        if (const long status = Precheck("Gengo.Ready")) return status;

        Statement rows(Store::Inst().Db(), "SELECT number, start, name FROM eras ORDER BY start");
        std::vector<StGENGOINFO> records;
        int step;
        while ((step = rows.Step()) == SQLITE_ROW) {
            StGENGOINFO era;
            std::memset(&era, 0, sizeof era);
            era.nGengoNo = static_cast<int32_t>(rows.Int(0));
            era.nStartDate = static_cast<int32_t>(rows.Int(1));
            CopyField(era.szName, sizeof era.szName - 1, rows.Bytes(2));
            records.push_back(era);
        }
        if (step != SQLITE_DONE) return BOK_ERR_STORE_IO;
        cursor->vecEras = std::move(records);
        cursor->nNext = 0;
        cursor->bReady = true;
        return 0;
    }

    long Walk(StGENGOINFO* record, BOKCURSOR cursor) override {
        if (record == nullptr || !IsLive(cursor, BokCursor__::Kind::Era)) return BOK_ERR_BAD_ARGUMENT;
        if (!cursor->bReady) return BOK_ERR_NOT_READY;
        if (const long status = Precheck("Gengo.Walk", static_cast<long>(cursor->nNext))) return status;
        if (cursor->nNext >= cursor->vecEras.size()) return BOK_NO_MORE_RECORDS;
        *record = cursor->vecEras[cursor->nNext++];
        return 0;
    }

    long ReleaseCursor(BOKCURSOR cursor) override { return ReleaseCursorOf(cursor, BokCursor__::Kind::Era); }
};

class SetMgr final : public ClSetMgr {
public:
    ClSetBase* GetSetObject(int kind, int flag) override {
        if (kind == 13 && flag == 0) return bok::detail::SharedSetGengo();
        if (kind == 5 && flag == 1) return bok::detail::SharedSetData();
        return nullptr;
    }
};

class SysUser final : public ClSysUser {
public:
    long GetCurUserID(char* userId) override {
        if (userId == nullptr) return BOK_ERR_BAD_ARGUMENT;
        std::memset(userId, 0, 65);
        if (const long status = Precheck("GetCurUserID")) return status;
        Statement user(Store::Inst().Db(), "SELECT id FROM users WHERE current != 0 ORDER BY id LIMIT 1");
        const int step = user.Step();
        if (step == SQLITE_DONE) return BOK_ERR_NOT_FOUND;
        if (step != SQLITE_ROW) return BOK_ERR_STORE_IO;
        CopyField(userId, 64, user.Bytes(0));
        return 0;
    }

    long GetSelectedNo(const char* userId, long* firstNo, long* dataNo) override {
        if (firstNo != nullptr) *firstNo = 0;
        if (dataNo != nullptr) *dataNo = 0;
        if (userId == nullptr || firstNo == nullptr || dataNo == nullptr) return BOK_ERR_BAD_ARGUMENT;
        if (const long status = Precheck("GetSelectedNo")) return status;
        Statement user(Store::Inst().Db(), "SELECT first_no, selected_no FROM users WHERE id = ?1");
        user.Bind(1, std::string_view(userId, strnlen(userId, 64)));
        const int step = user.Step();
        if (step == SQLITE_DONE) return BOK_ERR_NOT_FOUND;
        if (step != SQLITE_ROW) return BOK_ERR_STORE_IO;
        *firstNo = static_cast<long>(user.Int(0));
        *dataNo = static_cast<long>(user.Int(1));
        return 0;
    }
};

}  // namespace

namespace bok::detail {

ClSetMgr* SharedSetMgr() {
    static SetMgr setMgr;
    return &setMgr;
}
ClSetData* SharedSetData() {
    static SetData setData;
    return &setData;
}
ClSetGengo* SharedSetGengo() {
    static SetGengo setGengo;
    return &setGengo;
}
ClSysUser* SharedSysUser() {
    static SysUser sysUser;
    return &sysUser;
}

int LiveCursorCount() { return static_cast<int>(LiveCursors().size()); }

void ReleaseAllCursors() {
    for (BOKCURSOR cursor : LiveCursors()) delete cursor;
    LiveCursors().clear();
}

}  // namespace bok::detail

// The depreciation rule ------------------------------------------------------

static int g_nLiveRules = 0;

struct ClRuleGenkashokyaku::Impl {
    ClSetMgr* pSetMgr = nullptr;
    ClOptLink* pOptLink = nullptr;
    std::string strDataId;

    // The walk between MoveReady and MoveFinish.
    bool bReady = false;
    long lCount = 0;
    long lNext = 0;              // the index the statement delivers next
    sqlite3_stmt* pWalk = nullptr;
    uint64_t nGeneration = 0;    // of the connection that prepared pWalk

    void Finish() {
        sqlite3_finalize(pWalk);
        pWalk = nullptr;
        bReady = false;
        lCount = 0;
        lNext = 0;
    }
};

// Column order of the walk; Move reads them by these positions.
static constexpr const char kAssetColumns[] =
    "SELECT kind, name, quantity, remarks, disposal, acquired, cost, deduction, opening, method, life, rate,"
    " basis_is_amount, basis_value, ratio, months, basis, balance, disposal_date, category, equal, revised,"
    " ordinary, additional1, additional2, expenses FROM assets WHERE data_id = ?1";

ClRuleGenkashokyaku::ClRuleGenkashokyaku() : m_pImpl(new Impl) { ++g_nLiveRules; }

ClRuleGenkashokyaku::~ClRuleGenkashokyaku() {
    m_pImpl->Finish();
    delete m_pImpl;
    --g_nLiveRules;
}

int ClRuleGenkashokyaku::LiveCount() { return g_nLiveRules; }

long ClRuleGenkashokyaku::AttachSetMgr(ClSetMgr* setMgr) {
    m_pImpl->pSetMgr = setMgr;
    return 0;
}

long ClRuleGenkashokyaku::SetCurDataID(const char* dataId) {
    if (dataId == nullptr) return BOK_ERR_BAD_ARGUMENT;
    m_pImpl->strDataId.assign(dataId, strnlen(dataId, sizeof StDATAINFO::szDataID));
    return 0;
}

long ClRuleGenkashokyaku::AttachOptLink(ClOptLink* optLink) {
    m_pImpl->pOptLink = optLink;
    return 0;
}

long ClRuleGenkashokyaku::MoveReady(StFINDINFO* /*find*/, _RuleGenkashokyaku_SortType sort,
                                    _RuleGenkashokyaku_MoveReady_SumType /*sum*/) {
    m_pImpl->Finish();
    if (const long status = Precheck("MoveReady")) return status;
    sqlite3* db = Store::Inst().Db();

    Statement count(db, "SELECT (SELECT COUNT(*) FROM data_sets WHERE id = ?1), COUNT(*) FROM assets WHERE data_id = ?1");
    count.Bind(1, m_pImpl->strDataId);
    if (count.Step() != SQLITE_ROW) return BOK_ERR_STORE_IO;
    if (count.Int(0) == 0) return BOK_ERR_NOT_FOUND;
    const int64_t assets = count.Int(1);

    std::string sql = kAssetColumns;
    sql += sort == RuleGenkashokyaku_Sort_Date ? " ORDER BY acquired, code, seq" : " ORDER BY code, seq";
    sql += " LIMIT -1 OFFSET ?2";
    sqlite3_stmt* walk = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &walk, nullptr) != SQLITE_OK) {
        sqlite3_finalize(walk);
        return BOK_ERR_STORE_IO;
    }
    sqlite3_bind_blob64(walk, 1, m_pImpl->strDataId.data(), m_pImpl->strDataId.size(), SQLITE_TRANSIENT);
    sqlite3_bind_int64(walk, 2, 0);

    m_pImpl->pWalk = walk;
    m_pImpl->nGeneration = Store::Inst().Generation();
    m_pImpl->lCount = assets > 0x7fffffff ? 0x7fffffff : static_cast<long>(assets);
    m_pImpl->lNext = 0;
    m_pImpl->bReady = true;
    return 0;
}

long ClRuleGenkashokyaku::GetCount(long* count) {
    if (count == nullptr) return BOK_ERR_BAD_ARGUMENT;
    if (!m_pImpl->bReady) return BOK_ERR_NOT_READY;
    if (const long status = Precheck("GetCount")) return status;
    *count = m_pImpl->lCount;
    return 0;
}

static int64_t Column(sqlite3_stmt* row, int column) { return sqlite3_column_int64(row, column); }

static void CopyColumn(sqlite3_stmt* row, int column, char* field, size_t size) {
    const void* data = sqlite3_column_blob(row, column);
    const int bytes = sqlite3_column_bytes(row, column);
    if (data != nullptr && bytes > 0)
        std::memcpy(field, data, static_cast<size_t>(bytes) < size ? static_cast<size_t>(bytes) : size);
}

long ClRuleGenkashokyaku::Move(long index, StKOTEISHISANINFO* master, StKOTEINENINFO* year,
                               StKOTEITSUKIINFO* month) {
    if (master != nullptr) std::memset(master, 0, sizeof *master);
    if (year != nullptr) std::memset(year, 0, sizeof *year);
    if (month != nullptr) std::memset(month, 0, sizeof *month);
    if (master == nullptr || year == nullptr) return BOK_ERR_BAD_ARGUMENT;
    Impl& walk = *m_pImpl;
    if (!walk.bReady) return BOK_ERR_NOT_READY;
    if (const long status = Precheck("Move", index)) return status;
    if (index < 0) return BOK_ERR_BAD_ARGUMENT;
    if (index >= walk.lCount) return BOK_NO_MORE_RECORDS;
    // The store was closed under the walk: its statement is of no use.
    if (walk.nGeneration != Store::Inst().Generation()) return BOK_ERR_STORE_IO;

    // In order, each Move is one step of the open statement; only a jump
    // pays for a new offset.
    if (index != walk.lNext) {
        sqlite3_reset(walk.pWalk);
        sqlite3_bind_int64(walk.pWalk, 2, index);
    }
    const int step = sqlite3_step(walk.pWalk);
    if (step != SQLITE_ROW) {
        sqlite3_reset(walk.pWalk);
        walk.lNext = -1;
        return step == SQLITE_DONE ? BOK_NO_MORE_RECORDS : BOK_ERR_STORE_IO;
    }
    walk.lNext = index + 1;

    sqlite3_stmt* row = walk.pWalk;
    master->nShisanKind = static_cast<int32_t>(Column(row, 0));
    CopyColumn(row, 1, master->szName, sizeof master->szName - 1);
    // The quantity is a fixed field: nine bytes fill it without a terminator.
    CopyColumn(row, 2, master->szSuuryo, sizeof master->szSuuryo);
    CopyColumn(row, 3, master->szTekiyo, sizeof master->szTekiyo - 1);
    master->nJyotoKubun = static_cast<int16_t>(Column(row, 4));
    master->nShutokuDate = static_cast<int32_t>(Column(row, 5));
    master->llShutokuKingaku = Column(row, 6);
    master->llKojoKingaku = Column(row, 7);
    master->llKishuBoka = Column(row, 8);
    master->nShokyakuHouhou = static_cast<int16_t>(Column(row, 9));
    master->nTaiyouNensu = static_cast<int16_t>(Column(row, 10));
    master->nShokyakuRitsu = static_cast<int32_t>(Column(row, 11));
    master->nKisoFlag = static_cast<uint8_t>(Column(row, 12));
    master->llKisoValue = Column(row, 13);
    master->nJigyoWariai = static_cast<int16_t>(Column(row, 14));
    master->nShokyakuTsuki = static_cast<int16_t>(Column(row, 15));
    master->llShokyakuKiso = Column(row, 16);
    master->llMishokyakuZan = Column(row, 17);
    master->nJyotoDate = static_cast<int32_t>(Column(row, 18));
    master->nJigyoKubun = static_cast<int16_t>(Column(row, 19));
    master->nKintoFlag = static_cast<uint8_t>(Column(row, 20));
    master->llKaiteiShutoku = Column(row, 21);
    year->llFutsuShokyaku = Column(row, 22);
    year->llWarimashi1 = Column(row, 23);
    year->llWarimashi2 = Column(row, 24);
    year->llHitsuyoKeihi = Column(row, 25);
    return 0;
}

long ClRuleGenkashokyaku::MoveFinish() {
    m_pImpl->Finish();
    return 0;
}
