#include "deprec/ClGenkashokyakuProc.h"

#include <cstring>
#include <new>

#include "deprec/AssetFields.h"
#include "deprec/RecordAlloc.h"
#include "platform/BokCmn.h"

namespace {

// The largest necessary-expenses amount the schedule can carry, in yen.
const double kMaxExpenses = 99999999999.0;

// Frees every record, then the nodes: the list never points at freed memory.
void EmptyAssetList(SisanRecList& list) {
    for (StSISANREC* pRec : list) delete pRec;
    list.clear();
}

// The filters, in the order they are applied; true keeps the asset.
bool KeepsExpenses(const StSISANREC& rec) {
    ClFixDec expenses = asset::Expenses(rec);
    return !(ClFixDec(0.0) > expenses) && !(expenses > ClFixDec(kMaxExpenses));
}

bool KeepsCategory(const StSISANREC& rec, const StDATAINFO& data, int nCategory) {
    // Only data that keeps both business kinds can be split by the choice.
    if (data.nJigyoKubun != 3 || nCategory == 3) return true;
    return asset::Category(rec) == nCategory;
}

bool KeepsKind(const StSISANREC& rec) { return asset::Kind(rec) != asset::kKindExcluded; }

bool KeepsDisposal(const StSISANREC& rec, const StDATAINFO& data) {
    return !asset::DisposedBefore(rec, data.nKikanFrom);
}

// Small-amount assets are expensed in their year of acquisition only.
bool KeepsSmallAmount(const StSISANREC& rec, const StDATAINFO& data) {
    return !(asset::Method(rec) == asset::kMethodSmallAmount && asset::AcquisitionDate(rec) < data.nKikanFrom);
}

bool PassesFilters(const StSISANREC& rec, const StDATAINFO& data, int nCategory) {
    return KeepsExpenses(rec) && KeepsCategory(rec, data, nCategory) && KeepsKind(rec) && KeepsDisposal(rec, data) &&
           KeepsSmallAmount(rec, data);
}

}  // namespace

ClGenkashokyakuProc::ClGenkashokyakuProc() : m_pRule(nullptr) {}

ClGenkashokyakuProc::~ClGenkashokyakuProc() { ReleaseRule(); }

int ClGenkashokyakuProc::SetupRule(const char* pszDataID) {
    if (m_pRule == nullptr) {
        m_pRule = new (std::nothrow) ClRuleGenkashokyaku;
        if (m_pRule == nullptr) return 0;
    }
    m_pRule->AttachSetMgr(ClDataMgr::Inst()->GetSetMgr());
    m_pRule->SetCurDataID(pszDataID);
    m_pRule->AttachOptLink(ClLinkMgr::Inst()->GetOptLink());
    return 1;
}

long ClGenkashokyakuProc::PrepareMove(long* plCount) {
    if (m_pRule == nullptr) return -1;
    FinishMove();
    long lStatus = m_pRule->MoveReady(nullptr, RuleGenkashokyaku_Sort_Code, RuleGenkashokyaku_Sum_None);
    if (lStatus != 0) return lStatus;
    lStatus = m_pRule->GetCount(plCount);
    if (lStatus != 0) {
        FinishMove();
        return lStatus;
    }
    return 0;
}

long ClGenkashokyakuProc::FinishMove() {
    if (m_pRule == nullptr) return 0;
    return m_pRule->MoveFinish();
}

void ClGenkashokyakuProc::ReleaseRule() {
    if (m_pRule == nullptr) return;
    m_pRule->MoveFinish();
    delete m_pRule;
    m_pRule = nullptr;
}

int ClGenkashokyakuProc::Extract(SisanRecList& listAssets, const StDATAINFO* pData, int nCategory) {
    EmptyAssetList(listAssets);
    if (pData == nullptr) return 0;

    // The data ID field is the platform's; its terminator is not trusted.
    char szDataID[sizeof pData->szDataID + 1];
    std::memcpy(szDataID, pData->szDataID, sizeof pData->szDataID);
    szDataID[sizeof pData->szDataID] = '\0';
    if (SetupRule(szDataID) == 0) return 0;

    long lCount = 0;
    long lStatus = PrepareMove(&lCount);
    if (lStatus != 0 && lStatus != BOK_NO_MORE_RECORDS) {
        ReleaseRule();
        return 0;
    }

    StKOTEISHISANINFO master;
    StKOTEINENINFO year;
    StKOTEITSUKIINFO month;
    StSISANREC candidate;
    for (long lIndex = 0; lIndex < lCount; ++lIndex) {
        std::memset(&master, 0, sizeof master);
        std::memset(&year, 0, sizeof year);
        lStatus = m_pRule->Move(lIndex, &master, &year, &month);
        if (lStatus != 0) {
            ReleaseRule();
            if (lStatus == BOK_NO_MORE_RECORDS) break;
            EmptyAssetList(listAssets);
            return 0;
        }

        std::memset(&candidate, 0, sizeof candidate);
        std::memcpy(candidate.bytes, &master, SISANREC_MASTER_BYTES);
        std::memcpy(candidate.bytes + SISANREC_YEAR_OFFSET, &year, SISANREC_YEAR_BYTES);
        if (!PassesFilters(candidate, *pData, nCategory)) continue;

        StSISANREC* pRec = NewSisanRecord<StSISANREC>();
        if (pRec == nullptr || !AppendRecord(listAssets, pRec)) {
            ReleaseRule();
            EmptyAssetList(listAssets);
            return 0;
        }
        *pRec = candidate;
    }
    ReleaseRule();
    return 1;
}
