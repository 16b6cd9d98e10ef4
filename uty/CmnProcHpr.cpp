#include "uty/CmnProcHpr.h"

#include <cstring>

#include "platform/BokCmn.h"
#include "platform/BokMsgMgr.h"

namespace {

const char kSourceName[] = "CmnProcHpr";

// Set kinds of the platform's set manager.
const int kSetKindData = 5;
const int kSetKindGengo = 13;

// Error codes of the helper's own failures.
const long kErrNoSetData = -1001;
const long kErrNoPeriod = -1004;

const long kLastValidDate = 99991231;

unsigned long g_nFatalCount = 0;

}  // namespace

DBProcHpr::~DBProcHpr() { ClMsgMgr::Inst()->SetLastError(0, nullptr, 0); }

CmnProcHpr::CmnProcHpr(int nCopy) : m_hOwner(nullptr), m_nCopy(nCopy) {}

CmnProcHpr::~CmnProcHpr() = default;

long CmnProcHpr::RecordError(long lCode, int nLine) {
    if (lCode == 0) return ClMsgMgr::Inst()->SetLastError(0, nullptr, 0);
    return ClMsgMgr::Inst()->SetLastError(lCode, kSourceName, nLine);
}

int CmnProcHpr::CheckStatus(long lStatus) {
    const int bFatal = ClMsgMgr::Inst()->CheckFatalErrorWithMsg(lStatus, 0, 1, m_hOwner);
    if (bFatal) ++g_nFatalCount;
    return bFatal;
}

unsigned long CmnProcHpr::GetFatalCount() { return g_nFatalCount; }

ClSetMgr* CmnProcHpr::GetSetMgr() { return ClDataMgr::Inst()->GetSetMgr(); }

ClSetData* CmnProcHpr::GetSetData() {
    return dynamic_cast<ClSetData*>(ClDataMgr::Inst()->GetSetObject(kSetKindData, 1));
}

long CmnProcHpr::GetPeriodObject(ClBokPeriod** ppPeriod) {
    *ppPeriod = nullptr;
    ClSetData* pSetData = GetSetData();
    if (pSetData == nullptr) return RecordError(kErrNoSetData, __LINE__);
    pSetData->GetBokPeriod(ppPeriod);
    if (*ppPeriod == nullptr) return RecordError(kErrNoPeriod, __LINE__);
    return 0;
}

int CmnProcHpr::GetPeriod(long* plFirst, long* plLast) {
    *plFirst = 0;
    *plLast = 0;

    ClBokPeriod* pPeriod = nullptr;
    long lResult = GetPeriodObject(&pPeriod);
    if (lResult != 0) {
        RecordError(lResult, __LINE__);
        return -1;
    }

    long lStatus = pPeriod->GetPeriod(plFirst, plLast);
    int bFatal = CheckStatus(lStatus);
    delete pPeriod;
    if (bFatal) {
        RecordError(lStatus, __LINE__);
        return -1;
    }
    // A status the platform does not judge fatal leaves the dates as it
    // wrote them; that is its answer.
    return 0;
}

int CmnProcHpr::GetGengo(long lDate, StGENGOINFO* pInfo, int* pnYear) {
    std::memset(pInfo, 0, sizeof *pInfo);

    ClSetMgr* pSetMgr = GetSetMgr();
    ClSetGengo* pGengo = pSetMgr ? dynamic_cast<ClSetGengo*>(pSetMgr->GetSetObject(kSetKindGengo, 0)) : nullptr;
    if (pGengo == nullptr) {
        RecordError(kErrNoSetData, __LINE__);
        return -1;
    }

    BOKCURSOR cursor = nullptr;
    long lStatus = pGengo->GetCursor(&cursor);
    if (CheckStatus(lStatus) || lStatus != 0) {
        RecordError(lStatus, __LINE__);
        return -1;
    }
    lStatus = pGengo->Ready(cursor);
    if (CheckStatus(lStatus) || lStatus != 0) {
        pGengo->ReleaseCursor(cursor);
        RecordError(lStatus, __LINE__);
        return -1;
    }

    // The platform walks the eras in ascending order of their first day,
    // so the era of lDate is the last one that starts on or before it.
    StGENGOINFO current;
    StGENGOINFO previous;
    std::memset(&current, 0, sizeof current);
    std::memset(&previous, 0, sizeof previous);
    int nRead = 0;
    for (;;) {
        lStatus = pGengo->Walk(&current, cursor);
        if (CheckStatus(lStatus)) {
            pGengo->ReleaseCursor(cursor);
            RecordError(lStatus, __LINE__);
            return -1;
        }
        if (lStatus != 0) break;
        if (nRead == 0) {
            if (current.nStartDate > lDate) {
                // Before every era: not an error of the platform.
                pGengo->ReleaseCursor(cursor);
                return -1;
            }
        } else if (lDate >= previous.nStartDate && lDate <= current.nStartDate - 1) {
            break;
        }
        previous = current;
        std::memset(&current, 0, sizeof current);
        ++nRead;
    }
    pGengo->ReleaseCursor(cursor);

    if (nRead == 0 || lDate > kLastValidDate) return -1;

    *pInfo = previous;
    if (pnYear != nullptr) *pnYear = static_cast<int>(lDate / 10000 - previous.nStartDate / 10000 + 1);
    return 0;
}

int CmnProcHpr::GetGengoName(long lDate, char* pszName, int* pnYear) {
    StGENGOINFO info;
    if (GetGengo(lDate, &info, pnYear) != 0) return -1;
    // The platform's name field may lack its terminator; the caller's
    // buffer holds sizeof szName bytes.
    size_t nLen = strnlen(info.szName, sizeof info.szName - 1);
    std::memcpy(pszName, info.szName, nLen);
    pszName[nLen] = '\0';
    return 0;
}
