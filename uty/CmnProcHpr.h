// The accounting period and the Japanese era of a date, asked of the
// platform's sets.
//
// A helper is cheap: constructing one makes no platform call.  Callers
// create one on the stack for each question and let it go; every platform
// failure is recorded with the platform's message manager, and destroying
// the helper clears that record again.
#pragma once

#include "compat/win32.h"
#include "platform/BokBCore.h"

// Its teardown clears the platform's last error.
class DBProcHpr {
public:
    DBProcHpr() = default;
    virtual ~DBProcHpr();
    DBProcHpr(const DBProcHpr&) = delete;
    DBProcHpr& operator=(const DBProcHpr&) = delete;
};

class CmnProcHpr {
public:
    // nCopy 0: use the platform's shared set manager (every caller).
    explicit CmnProcHpr(int nCopy = 0);
    virtual ~CmnProcHpr();
    CmnProcHpr(const CmnProcHpr&) = delete;
    CmnProcHpr& operator=(const CmnProcHpr&) = delete;

    ClSetMgr* GetSetMgr();
    // The company-data set, or null.
    ClSetData* GetSetData();
    // 0 and *ppPeriod owned by the caller, or the recorded error code.
    long GetPeriodObject(ClBokPeriod** ppPeriod);

    // First and last day of the accounting period; 0, or -1 on failure.
    int GetPeriod(long* plFirst, long* plLast);
    // The era that lDate (YYYYMMDD) falls in, and the year within it when
    // pnYear is not null; 0 found, -1 not found or failed (*pInfo zeroed).
    int GetGengo(long lDate, StGENGOINFO* pInfo, int* pnYear);
    // As GetGengo, giving the era's name into pszName (at least 16 bytes).
    int GetGengoName(long lDate, char* pszName, int* pnYear);

    // How many statuses the platform's check has judged fatal in this
    // process, through any helper.  A caller compares it before and after
    // its work: a fatal status leaves the figures without their facts.
    static unsigned long GetFatalCount();

private:
    // Records code with this source's name and line (0 records no error)
    // and returns what the message manager answered.
    long RecordError(long lCode, int nLine);
    // Non-zero when the platform judges lStatus fatal (it then shows its
    // own message).
    int CheckStatus(long lStatus);

    HWND m_hOwner;
    DBProcHpr m_DBProcHpr;
    int m_nCopy;
};
