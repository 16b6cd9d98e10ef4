#include "platform/BokBCore.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/AssetColumns.h"
#include "platform/Sets.h"
#include "platform/Store.h"

using bok::detail::CopyField;
using bok::detail::Statement;
using bok::detail::Store;

// Cursors ----------------------------------------------------------------------
//
// A cursor takes a snapshot of its set at Ready: the sets are small, and a
// snapshot keeps no statement open between the caller's calls.  The eras
// are the store's kept list itself, shared rather than copied.

struct BokCursor__ {
    enum class Kind { Data, Era };
    explicit BokCursor__(Kind kind) : eKind(kind) {}
    Kind eKind;
    bool bReady = false;
    size_t nNext = 0;
    std::vector<StDATAINFO> vecData;
    std::shared_ptr<const bok::detail::EraList> pEras;
};

namespace {

using bok::detail::Operation;
using bok::detail::ReadScope;

// Every cursor handed out and not yet released, so that a stale or foreign
// handle is refused instead of followed.  A program holds one or two at a
// time, so a short list searched from its end serves best.
std::vector<BOKCURSOR>& LiveCursors() {
    static std::vector<BOKCURSOR> cursors;
    return cursors;
}

BOKCURSOR NewCursor(BokCursor__::Kind kind) {
    BOKCURSOR cursor = new BokCursor__(kind);
    LiveCursors().push_back(cursor);
    return cursor;
}

std::vector<BOKCURSOR>::iterator FindLive(BOKCURSOR cursor) {
    std::vector<BOKCURSOR>& live = LiveCursors();
    for (auto it = live.end(); it != live.begin();)
        if (*--it == cursor) return it;
    return live.end();
}

bool IsLive(BOKCURSOR cursor, BokCursor__::Kind kind) {
    return cursor != nullptr && FindLive(cursor) != LiveCursors().end() && cursor->eKind == kind;
}

long ReleaseCursorOf(BOKCURSOR cursor, BokCursor__::Kind kind) {
    if (!IsLive(cursor, kind)) return BOK_ERR_BAD_ARGUMENT;
    LiveCursors().erase(FindLive(cursor));
    delete cursor;
    return 0;
}

// Data sets walk by number, then ID, so that a walk is stable and the
// first of two sets that share a number is always the same one.
constexpr const char kDataSetsSql[] =
    "SELECT id, number, name, period_from, period_to, genka, kind, business, fraction FROM data_sets"
    " ORDER BY number, id";
constexpr const char kCurrentUserSql[] = "SELECT id FROM users WHERE current != 0 ORDER BY id LIMIT 1";
constexpr const char kUserSql[] = "SELECT first_no, selected_no FROM users WHERE id = ?1";

long StepStatus(int step) {
    const int primary = step & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED ? BOK_ERR_STORE_BUSY : BOK_ERR_STORE_IO;
}

void FillDataInfo(const Statement& row, StDATAINFO* record) {
    std::memset(record, 0, sizeof *record);
    row.CopyBytes(0, record->szDataID, sizeof record->szDataID - 1);
    record->nDataNo = static_cast<int32_t>(row.Int(1));
    row.CopyBytes(2, record->szJigyoName, sizeof record->szJigyoName - 1);
    record->nKikanFrom = static_cast<int32_t>(row.Int(3));
    record->nKikanTo = static_cast<int32_t>(row.Int(4));
    record->nGenkaFlag = static_cast<int32_t>(row.Int(5));
    record->nDataKind = static_cast<int16_t>(row.Int(6));
    record->nJigyoKubun = static_cast<uint8_t>(row.Int(7));
    record->nHasuuShokyaku = static_cast<uint8_t>(row.Int(8));
}

// Sets -------------------------------------------------------------------------

class BokPeriod final : public ClBokPeriod {
public:
    BokPeriod(long first, long last) : m_lFirst(first), m_lLast(last) {}
    long GetPeriod(long* first, long* last) override {
        if (first == nullptr || last == nullptr) return BOK_ERR_BAD_ARGUMENT;
        ReadScope read;
        if (const long status = read.Check(Operation::GetPeriod)) return status;
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
        ReadScope read;
        if (const long status = read.Check(Operation::GetDatCursor)) return status;
        *cursor = NewCursor(BokCursor__::Kind::Data);
        return 0;
    }

    long ReadyDat(BOKCURSOR cursor, int /*mode*/) override {
        if (!IsLive(cursor, BokCursor__::Kind::Data)) return BOK_ERR_BAD_ARGUMENT;
        cursor->bReady = false;
        ReadScope read;
        if (const long status = read.Check(Operation::ReadyDat)) return status;

        Statement rows = Statement::Cached(kDataSetsSql);
        std::vector<StDATAINFO> records;
        int step;
        while ((step = rows.Step()) == SQLITE_ROW) {
            records.emplace_back();
            FillDataInfo(rows, &records.back());
        }
        if (step != SQLITE_DONE) return StepStatus(step);
        cursor->vecData = std::move(records);
        cursor->nNext = 0;
        cursor->bReady = true;
        return 0;
    }

    long WalkDat(StDATAINFO* record, BOKCURSOR cursor) override {
        if (record == nullptr || !IsLive(cursor, BokCursor__::Kind::Data)) return BOK_ERR_BAD_ARGUMENT;
        if (!cursor->bReady) return BOK_ERR_NOT_READY;
        ReadScope read;
        if (const long status = read.Check(Operation::WalkDat, static_cast<long>(cursor->nNext))) return status;
        if (cursor->nNext >= cursor->vecData.size()) return BOK_NO_MORE_RECORDS;
        *record = cursor->vecData[cursor->nNext++];
        return 0;
    }

    long ReleaseDatCursor(BOKCURSOR cursor) override { return ReleaseCursorOf(cursor, BokCursor__::Kind::Data); }

    long GetBokPeriod(ClBokPeriod** period) override {
        if (period == nullptr) return BOK_ERR_BAD_ARGUMENT;
        *period = nullptr;
        ReadScope read;
        if (const long status = read.Check(Operation::GetBokPeriod)) return status;
        long first = 0, last = 0;
        if (const long status = Store::Inst().SelectedPeriod(&first, &last)) return status;
        *period = new BokPeriod(first, last);
        return 0;
    }
};

class SetGengo final : public ClSetGengo {
public:
    long GetCursor(BOKCURSOR* cursor) override {
        if (cursor == nullptr) return BOK_ERR_BAD_ARGUMENT;
        *cursor = nullptr;
        ReadScope read;
        if (const long status = read.Check(Operation::GengoGetCursor)) return status;
        *cursor = NewCursor(BokCursor__::Kind::Era);
        return 0;
    }

    long Ready(BOKCURSOR cursor) override {
        if (!IsLive(cursor, BokCursor__::Kind::Era)) return BOK_ERR_BAD_ARGUMENT;
        cursor->bReady = false;
        ReadScope read;
        if (const long status = read.Check(Operation::GengoReady)) return status;
        long status = 0;
        std::shared_ptr<const bok::detail::EraList> eras = Store::Inst().Eras(&status);
        if (status != 0) return status;
        cursor->pEras = std::move(eras);
        cursor->nNext = 0;
        cursor->bReady = true;
        return 0;
    }

    long Walk(StGENGOINFO* record, BOKCURSOR cursor) override {
        if (record == nullptr || !IsLive(cursor, BokCursor__::Kind::Era)) return BOK_ERR_BAD_ARGUMENT;
        if (!cursor->bReady) return BOK_ERR_NOT_READY;
        ReadScope read;
        if (const long status = read.Check(Operation::GengoWalk, static_cast<long>(cursor->nNext))) return status;
        if (cursor->nNext >= cursor->pEras->size()) return BOK_NO_MORE_RECORDS;
        *record = (*cursor->pEras)[cursor->nNext++];
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
        ReadScope read;
        if (const long status = read.Check(Operation::GetCurUserID)) return status;
        Statement user = Statement::Cached(kCurrentUserSql);
        const int step = user.Step();
        if (step == SQLITE_DONE) return BOK_ERR_NOT_FOUND;
        if (step != SQLITE_ROW) return StepStatus(step);
        user.CopyBytes(0, userId, 64);
        return 0;
    }

    long GetSelectedNo(const char* userId, long* firstNo, long* dataNo) override {
        if (firstNo != nullptr) *firstNo = 0;
        if (dataNo != nullptr) *dataNo = 0;
        if (userId == nullptr || firstNo == nullptr || dataNo == nullptr) return BOK_ERR_BAD_ARGUMENT;
        ReadScope read;
        if (const long status = read.Check(Operation::GetSelectedNo)) return status;
        Statement user = Statement::Cached(kUserSql);
        user.Bind(1, std::string_view(userId, strnlen(userId, 64)));
        const int step = user.Step();
        if (step == SQLITE_DONE) return BOK_ERR_NOT_FOUND;
        if (step != SQLITE_ROW) return StepStatus(step);
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

    // The walk between MoveReady and MoveFinish.  It holds the store's read
    // transaction throughout, so that every record comes from the state the
    // count was taken in.
    bool bReady = false;
    long lCount = 0;
    long lNext = 0;                 // the index the statement delivers next
    sqlite3_stmt* pWalk = nullptr;  // the store's kept statement
    uint64_t nGeneration = 0;       // of the connection that holds the walk

    void Finish() {
        // A statement or hold of a closed connection is gone with it.
        if (bReady && nGeneration == Store::Inst().Generation()) {
            sqlite3_reset(pWalk);
            sqlite3_clear_bindings(pWalk);
            Store::Inst().EndRead(nGeneration);
        }
        pWalk = nullptr;
        bReady = false;
        lCount = 0;
        lNext = 0;
    }
};

// The walk reads every asset column, in table order: Move decodes column i
// into the field of kAssetColumns[i].  Statements are kept by the address
// of their SQL, which these strings keep for the whole run.
static const char* WalkSql(bool byDate) {
    static const std::string select = "SELECT " + bok::detail::AssetColumnList() + " FROM assets WHERE data_id = ?1";
    static const std::string byCode = select + " ORDER BY code, seq LIMIT -1 OFFSET ?2";
    static const std::string byAcquired = select + " ORDER BY acquired, code, seq LIMIT -1 OFFSET ?2";
    return byDate ? byAcquired.c_str() : byCode.c_str();
}
static constexpr const char kWalkCountSql[] =
    "SELECT (SELECT COUNT(*) FROM data_sets WHERE id = ?1), COUNT(*) FROM assets WHERE data_id = ?1";

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
    Impl& walk = *m_pImpl;
    walk.Finish();
    Store& store = Store::Inst();
    if (const long status = store.BeginRead()) return status;
    const uint64_t generation = store.Generation();
    // Until the walk is ready, every way out ends the hold again.
    auto fail = [&](long status) {
        store.EndRead(generation);
        return status;
    };
    long fault = 0;
    if (store.FindFault(Operation::MoveReady, Store::kAnyIndex, &fault)) return fail(fault);

    int64_t assets = 0;
    {
        Statement count = Statement::Cached(kWalkCountSql);
        count.Bind(1, walk.strDataId);
        const int step = count.Step();
        if (step != SQLITE_ROW) return fail(StepStatus(step));
        if (count.Int(0) == 0) return fail(BOK_ERR_NOT_FOUND);
        assets = count.Int(1);
    }
    sqlite3_stmt* statement = store.Prepared(WalkSql(sort == RuleGenkashokyaku_Sort_Date));
    if (statement == nullptr) return fail(BOK_ERR_STORE_IO);
    sqlite3_bind_blob64(statement, 1, walk.strDataId.empty() ? "" : walk.strDataId.data(), walk.strDataId.size(),
                        SQLITE_TRANSIENT);
    sqlite3_bind_int64(statement, 2, 0);

    walk.pWalk = statement;
    walk.nGeneration = generation;
    walk.lCount = assets > 0x7fffffff ? 0x7fffffff : static_cast<long>(assets);
    walk.lNext = 0;
    walk.bReady = true;
    return 0;
}

long ClRuleGenkashokyaku::GetCount(long* count) {
    if (count == nullptr) return BOK_ERR_BAD_ARGUMENT;
    if (!m_pImpl->bReady) return BOK_ERR_NOT_READY;
    ReadScope read;
    if (const long status = read.Check(Operation::GetCount)) return status;
    *count = m_pImpl->lCount;
    return 0;
}

static void CopyColumn(sqlite3_stmt* row, int column, char* field, size_t size) {
    const void* data = sqlite3_column_blob(row, column);
    const int bytes = sqlite3_column_bytes(row, column);
    if (data != nullptr && bytes > 0)
        std::memcpy(field, data, static_cast<size_t>(bytes) < size ? static_cast<size_t>(bytes) : size);
}

// A whole number into a packed field of size bytes, cut to the field's
// width as an assignment to it would.
static void StoreInteger(char* field, size_t size, int64_t value) {
    switch (size) {
    case 1: {
        const uint8_t narrow = static_cast<uint8_t>(value);
        std::memcpy(field, &narrow, 1);
        break;
    }
    case 2: {
        const int16_t narrow = static_cast<int16_t>(value);
        std::memcpy(field, &narrow, 2);
        break;
    }
    case 4: {
        const int32_t narrow = static_cast<int32_t>(value);
        std::memcpy(field, &narrow, 4);
        break;
    }
    default:
        std::memcpy(field, &value, 8);
        break;
    }
}

long ClRuleGenkashokyaku::Move(long index, StKOTEISHISANINFO* master, StKOTEINENINFO* year, StKOTEITSUKIINFO* month) {
    if (master != nullptr) std::memset(master, 0, sizeof *master);
    if (year != nullptr) std::memset(year, 0, sizeof *year);
    if (month != nullptr) std::memset(month, 0, sizeof *month);
    if (master == nullptr || year == nullptr) return BOK_ERR_BAD_ARGUMENT;
    Impl& walk = *m_pImpl;
    if (!walk.bReady) return BOK_ERR_NOT_READY;
    // The store was closed under the walk: its statement is gone.
    if (walk.nGeneration != Store::Inst().Generation()) return BOK_ERR_STORE_IO;
    {
        ReadScope read;
        if (const long status = read.Check(Operation::Move, index)) return status;
    }
    if (index < 0) return BOK_ERR_BAD_ARGUMENT;
    if (index >= walk.lCount) return BOK_NO_MORE_RECORDS;

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
        return step == SQLITE_DONE ? BOK_NO_MORE_RECORDS : StepStatus(step);
    }
    walk.lNext = index + 1;

    sqlite3_stmt* row = walk.pWalk;
    char* const records[] = {reinterpret_cast<char*>(master), reinterpret_cast<char*>(year)};
    for (size_t i = 0; i < bok::detail::kAssetColumnCount; ++i) {
        const bok::detail::AssetColumn& column = bok::detail::kAssetColumns[i];
        char* field = records[static_cast<int>(column.eRecord)] + column.nOffset;
        if (column.eType == bok::detail::AssetType::Text)
            CopyColumn(row, static_cast<int>(i), field, bok::detail::AssetTextMax(column));
        else
            StoreInteger(field, column.nSize, sqlite3_column_int64(row, static_cast<int>(i)));
    }
    return 0;
}

long ClRuleGenkashokyaku::MoveFinish() {
    m_pImpl->Finish();
    return 0;
}
