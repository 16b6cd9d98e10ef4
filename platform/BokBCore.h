// BokBCore: the platform's sets (company data, eras), the signed-in user,
// the accounting period and the depreciation rule.
//
// Walks answer 0 per record and non-zero at their end (5000, no more
// records), filling the caller's record.  Cursors are opened and released
// by the caller.
#pragma once

#include "platform/records.h"

constexpr long BOK_NO_MORE_RECORDS = 5000;

// Failure statuses of this platform (all negative, so the message manager
// judges them fatal).
constexpr long BOK_ERR_NO_STORE = -101;      // the home holds no database
constexpr long BOK_ERR_BAD_STORE = -102;     // not a database, or another schema
constexpr long BOK_ERR_STORE_IO = -103;      // the database failed while in use
constexpr long BOK_ERR_BAD_ARGUMENT = -104;  // null pointer, unknown cursor, bad index
constexpr long BOK_ERR_NOT_FOUND = -105;     // no such data set, user or record
constexpr long BOK_ERR_NOT_READY = -106;     // a walk step before its Ready
constexpr long BOK_ERR_STORE_BUSY = -107;    // another program held the store locked past the wait

typedef struct BokCursor__* BOKCURSOR;

class ClSetMgr;
class ClOptLink;

class ClSetBase {
public:
    virtual ~ClSetBase() = default;
};

class ClBokPeriod {
public:
    virtual ~ClBokPeriod() = default;
    // First and last day of the accounting period as YYYYMMDD.
    virtual long GetPeriod(long* first, long* last) = 0;
};

class ClSetData : public ClSetBase {
public:
    virtual long GetDatCursor(BOKCURSOR* cursor) = 0;
    virtual long ReadyDat(BOKCURSOR cursor, int mode) = 0;
    virtual long WalkDat(StDATAINFO* record, BOKCURSOR cursor) = 0;
    virtual long ReleaseDatCursor(BOKCURSOR cursor) = 0;
    // The period of the selected data; the caller deletes it.  *period
    // stays null when there is none.
    virtual long GetBokPeriod(ClBokPeriod** period) = 0;
};

class ClSetGengo : public ClSetBase {
public:
    virtual long GetCursor(BOKCURSOR* cursor) = 0;
    virtual long Ready(BOKCURSOR cursor) = 0;
    // Eras in ascending order of their first day.
    virtual long Walk(StGENGOINFO* record, BOKCURSOR cursor) = 0;
    virtual long ReleaseCursor(BOKCURSOR cursor) = 0;
};

class ClSetMgr {
public:
    virtual ~ClSetMgr() = default;
    // 13 with 0: the era set (ClSetGengo); 5 with 1: company data (ClSetData).
    virtual ClSetBase* GetSetObject(int kind, int flag) = 0;
};

class ClSysUser {
public:
    virtual ~ClSysUser() = default;
    // The signed-in user's ID into a buffer of 65 bytes.
    virtual long GetCurUserID(char* userId) = 0;
    // The user's first selection number and selected data number.
    virtual long GetSelectedNo(const char* userId, long* firstNo, long* dataNo) = 0;
};

enum _RuleGenkashokyaku_SortType { RuleGenkashokyaku_Sort_Code = 0, RuleGenkashokyaku_Sort_Date = 1 };
enum _RuleGenkashokyaku_MoveReady_SumType { RuleGenkashokyaku_Sum_None = 0, RuleGenkashokyaku_Sum_Kubun = 1 };

// Walks the fixed assets of one company data set, in asset-code order.
class ClRuleGenkashokyaku {
public:
    ClRuleGenkashokyaku();
    virtual ~ClRuleGenkashokyaku();
    ClRuleGenkashokyaku(const ClRuleGenkashokyaku&) = delete;
    ClRuleGenkashokyaku& operator=(const ClRuleGenkashokyaku&) = delete;

    long AttachSetMgr(ClSetMgr* setMgr);
    long SetCurDataID(const char* dataId);
    long AttachOptLink(ClOptLink* optLink);
    long MoveReady(StFINDINFO* find, _RuleGenkashokyaku_SortType sort, _RuleGenkashokyaku_MoveReady_SumType sum);
    long GetCount(long* count);
    long Move(long index, StKOTEISHISANINFO* master, StKOTEINENINFO* year, StKOTEITSUKIINFO* month);
    long MoveFinish();

    // Live rule objects, for tests that check that none is left behind.
    static int LiveCount();

private:
    struct Impl;
    Impl* m_pImpl;
};
