// The fixed assets of one company data set, walked through the platform's
// depreciation rule and turned into the lines of the income-tax
// depreciation schedule.
//
// Extract fills the asset list with copies of the assets that belong in
// the schedule; MakeSchedule makes one StSISANDATA per asset, except that
// every small-amount asset is folded into one shared last line.  Records
// are allocated with new; the lists' owner deletes them.
#pragma once

#include "decimal/ClFixDec.h"
#include "deprec/SisanRecords.h"
#include "platform/BokBCore.h"

class ClGenkashokyakuProc {
public:
    ClGenkashokyakuProc();
    virtual ~ClGenkashokyakuProc();
    ClGenkashokyakuProc(const ClGenkashokyakuProc&) = delete;
    ClGenkashokyakuProc& operator=(const ClGenkashokyakuProc&) = delete;

    // Empties listAssets, then fills it with the kept assets in walk order.
    // nCategory: 1 general use only, 2 real-estate use only, 3 both.
    // 1 success, 0 failure (the list is then empty).
    int Extract(SisanRecList& listAssets, const StDATAINFO* pData, int nCategory);

    // Creates the rule object when there is none and selects the data.
    // 1, or 0 when the object cannot be created.
    int SetupRule(const char* pszDataID);
    // Starts a walk over every asset; the platform's status (0 success).
    long PrepareMove(long* plCount);
    // Ends any open walk; its status, or 0 without a rule object.
    long FinishMove();
    // Ends the walk and destroys the rule object; a second call does nothing.
    void ReleaseRule();

    // Empties listOutput, then fills it with one line per asset and the
    // shared small-amount line last.  1 success, 0 out of memory.
    int MakeSchedule(const SisanRecList& listAssets, SisanDataList& listOutput, const StDATAINFO* pData);

    // Guarantee amount of a declining-balance asset, in whole yen.
    ClFixDec CalcGuaranteeAmount(const StSISANREC& rec, int nFraction);
    // Depreciation before the guarantee adjustment, in whole yen.
    ClFixDec CalcPreAdjustment(const StSISANREC& rec, long lPeriodStart, int nFraction);
    // Non-zero when a declining-balance asset (method 5 or 8) has fallen
    // below its guarantee amount and switches to the revised value.
    int IsSwitchedToRevised(const StSISANREC& rec, const StDATAINFO& data);

private:
    // The field steps, in the order MakeSchedule runs them; each writes
    // its fields of line from rec, or leaves them empty.
    void SetSisanmei(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data);
    void SetSuuryo(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data);
    void SetSyutokuNengetu(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data);
    void SetSyutokuKingaku(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data);
    void SetSyoukyakuHosyougaku(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data);
    void SetKisyuTyoubokakaku(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data);
    void SetSyoukyakuKisokingaku(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data);
    void SetSyoukyakuHouhou(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data);
    void SetKeikasoti(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data);
    void SetTaiyounensu(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data);
    void SetSyoukyakuritu(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data);
    void SetKaiteiSyoukyakuritu(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data);
    void SetKaiteiSyutokukagaku(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data);
    void SetSyoukyakukikan(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data);
    void SetChouseimaeSyoukyakugaku(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data);
    void SetFutuuSyoukyakuhi(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data);
    void SetWarimasiSyoukyakuhi(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data);
    void SetJigyousenyuWariai(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data);
    void SetHituyoukeihiSannyuugaku(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data);
    void SetMisyoukyakuZandaka(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data);
    void SetTekiyou(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data);

    void RunFieldSteps(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data);

    ClRuleGenkashokyaku* m_pRule;
};

// Fault injection for tests: the record allocation with index nIndex
// (0 = the next one) and every later one fail until this is called again
// with -1.
void SetRecordAllocFailureForTests(long nIndex);
