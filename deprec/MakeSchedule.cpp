// The schedule lines of the kept assets.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "compat/mbcs.h"
#include "decimal/GuaranteeTables.h"
#include "deprec/AssetFields.h"
#include "deprec/ClGenkashokyakuProc.h"
#include "deprec/RecordAlloc.h"
#include "uty/CmnProcHpr.h"

namespace {

using asset::TextField;

// Round() modes of the fixed roundings.
const short kRoundUp = 1;
const short kRoundDown = 2;
// Round() positions.
const short kWholeYen = 1;
const short kTwoDecimals = 3;

const size_t kUnitLimit = 4;
const size_t kUpperRemarksLimit = 20;

const char kSmallAmountName[] = "少額減価償却資産";
const char kSmallAmountMethodName[] = "少額";
const char kSmallAmountUpper[] = "措法28の2";
const char kSmallAmountLower[] = "(明細は別途保管)";
const char kRemarkEqual[] = "均等償却";
const char kRemarkRevised[] = "改定償却";

void EmptyOutputList(SisanDataList& list) {
    for (StSISANDATA* pLine : list) delete pLine;
    list.clear();
}

// The number of leading bytes of text that fit in nLimit bytes without
// parting a double-byte character from its trail byte.  A lead byte that
// no trail byte follows stands alone.
size_t FitLength(const char* text, size_t nLength, size_t nLimit) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    size_t i = 0;
    while (i < nLength) {
        size_t nStep = (_ismbblead(p[i]) && i + 1 < nLength && _ismbbtrail(p[i + 1])) ? 2 : 1;
        if (i + nStep > nLimit) break;
        i += nStep;
    }
    return i;
}

// Copies as much of text as the field holds, whole characters only.
template <size_t N>
void PutText(char (&field)[N], const char* text, size_t nLength) {
    size_t n = FitLength(text, nLength, N - 1);
    std::memcpy(field, text, n);
    field[n] = '\0';
}

template <size_t N>
void PutText(char (&field)[N], const char* text) {
    PutText(field, text, std::strlen(text));
}

// A number that does not fit its field is left out rather than cut: a cut
// number would read as another value.
template <size_t N>
__attribute__((format(printf, 2, 3))) void PutNumber(char (&field)[N], const char* format, ...) {
    char szText[64];
    va_list args;
    va_start(args, format);
    int nLength = std::vsnprintf(szText, sizeof szText, format, args);
    va_end(args);
    if (nLength < 0 || static_cast<size_t>(nLength) >= N) {
        field[0] = '\0';
        return;
    }
    std::memcpy(field, szText, static_cast<size_t>(nLength) + 1);
}

// As PutNumber, but a text that fills the field exactly may leave its
// terminator on the first byte of the next field, which the caller knows
// to be empty; the field is then read up to its width.
template <size_t N, size_t M>
__attribute__((format(printf, 3, 4))) void PutNumberSpilling(char (&field)[N], char (&next)[M], const char* format,
                                                             ...) {
    char szText[64];
    va_list args;
    va_start(args, format);
    int nLength = std::vsnprintf(szText, sizeof szText, format, args);
    va_end(args);
    if (nLength < 0 || static_cast<size_t>(nLength) > N) {
        field[0] = '\0';
        return;
    }
    std::memcpy(field, szText, static_cast<size_t>(nLength));
    if (static_cast<size_t>(nLength) < N)
        field[nLength] = '\0';
    else
        next[0] = '\0';
}

// A whole number as "%d" (width 1) or "%02d" (width 2) prints it, without
// going through the formatter for the small values of every line.
template <size_t N>
void PutInteger(char (&field)[N], long value, int width) {
    if (value < 0) {
        if (width == 2)
            PutNumber(field, "%02ld", value);
        else
            PutNumber(field, "%ld", value);
        return;
    }
    char szDigits[24];
    char* p = szDigits + sizeof szDigits;
    do {
        *--p = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (szDigits + sizeof szDigits - p < width) *--p = '0';
    const size_t nLength = static_cast<size_t>(szDigits + sizeof szDigits - p);
    if (nLength >= N) {
        field[0] = '\0';
        return;
    }
    std::memcpy(field, p, nLength);
    field[nLength] = '\0';
}

template <size_t N>
void PutMoney(char (&field)[N], const ClFixDec& value) {
    FormatInteger(value, field, N);
}

ClFixDec AcquisitionBase(const StSISANREC& rec) { return asset::Cost(rec) - asset::Deduction(rec); }

ClFixDec Yen(int n) { return ClFixDec(n, 0u); }

bool HasOpeningAboveOneYen(const StSISANREC& rec) { return asset::Opening(rec) > Yen(1); }

// Depreciated in equal instalments, with something left to depreciate.
bool IsEqualInstalment(const StSISANREC& rec) { return asset::EqualFlag(rec) != 0 && HasOpeningAboveOneYen(rec); }

bool IsSmallAmount(const StSISANREC& rec) { return asset::Method(rec) == asset::kMethodSmallAmount; }

short FractionMode(const StDATAINFO& data) { return static_cast<short>(data.nHasuuShokyaku); }

// The first day of the accounting period, 0 when the platform cannot say
// (then no asset counts as disposed before the period).
long PeriodStart() {
    long lFirst = 0;
    long lLast = 0;
    CmnProcHpr helper(0);
    if (helper.GetPeriod(&lFirst, &lLast) != 0) return 0;
    return lFirst;
}

// Adds the asset's business-use share of its cost, rounded up to whole
// yen, to the running total held as text in field.  A total that cannot
// be formed or written keeps the previous one.
template <size_t N>
void AddSmallAmountShare(const StSISANREC& rec, char (&field)[N]) {
    ClFixDec share = asset::Cost(rec) * Yen(asset::BusinessRatio(rec)) / Yen(10000);
    share.Round(kRoundUp, kWholeYen);
    ClFixDec total = ClFixDec(static_cast<const char*>(field)) + share;
    char szTotal[N];
    FormatInteger(total, szTotal, N);
    if (szTotal[0] != '\0') std::memcpy(field, szTotal, std::strlen(szTotal) + 1);
}

}  // namespace

int ClGenkashokyakuProc::MakeSchedule(const SisanRecList& listAssets, SisanDataList& listOutput,
                                      const StDATAINFO* pData) {
    EmptyOutputList(listOutput);
    if (pData == nullptr) return 0;

    // A status the platform judged fatal (it has shown its message) leaves
    // an era or the period unknown: the lines would carry blank or wrong
    // figures, so the schedule fails at the asset where it happened.
    const unsigned long nFatalBefore = CmnProcHpr::GetFatalCount();
    StSISANDATA* pShared = nullptr;
    for (const StSISANREC* pRec : listAssets) {
        if (IsSmallAmount(*pRec)) {
            if (pShared == nullptr) pShared = NewSisanRecord<StSISANDATA>();
            if (pShared == nullptr) {
                // A schedule without its small-amount line would be
                // reported as complete.
                EmptyOutputList(listOutput);
                return 0;
            }
            RunFieldSteps(*pRec, *pShared, *pData);
        } else {
            StSISANDATA* pLine = NewSisanRecord<StSISANDATA>();
            if (pLine == nullptr || !AppendRecord(listOutput, pLine)) {
                delete pShared;
                EmptyOutputList(listOutput);
                return 0;
            }
            RunFieldSteps(*pRec, *pLine, *pData);
        }
        if (CmnProcHpr::GetFatalCount() != nFatalBefore) {
            delete pShared;
            EmptyOutputList(listOutput);
            return 0;
        }
    }
    if (pShared != nullptr && !AppendRecord(listOutput, pShared)) {
        EmptyOutputList(listOutput);
        return 0;
    }
    return 1;
}

void ClGenkashokyakuProc::RunFieldSteps(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data) {
    using FieldStep = void (ClGenkashokyakuProc::*)(const StSISANREC&, StSISANDATA&, const StDATAINFO&);
    static const FieldStep kSteps[] = {
        &ClGenkashokyakuProc::SetSisanmei,
        &ClGenkashokyakuProc::SetSuuryo,
        &ClGenkashokyakuProc::SetSyutokuNengetu,
        &ClGenkashokyakuProc::SetSyutokuKingaku,
        &ClGenkashokyakuProc::SetSyoukyakuHosyougaku,
        &ClGenkashokyakuProc::SetKisyuTyoubokakaku,
        &ClGenkashokyakuProc::SetSyoukyakuKisokingaku,
        &ClGenkashokyakuProc::SetSyoukyakuHouhou,
        &ClGenkashokyakuProc::SetKeikasoti,
        &ClGenkashokyakuProc::SetTaiyounensu,
        &ClGenkashokyakuProc::SetSyoukyakuritu,
        &ClGenkashokyakuProc::SetKaiteiSyoukyakuritu,
        &ClGenkashokyakuProc::SetKaiteiSyutokukagaku,
        &ClGenkashokyakuProc::SetSyoukyakukikan,
        &ClGenkashokyakuProc::SetChouseimaeSyoukyakugaku,
        &ClGenkashokyakuProc::SetFutuuSyoukyakuhi,
        &ClGenkashokyakuProc::SetWarimasiSyoukyakuhi,
        &ClGenkashokyakuProc::SetJigyousenyuWariai,
        &ClGenkashokyakuProc::SetHituyoukeihiSannyuugaku,
        &ClGenkashokyakuProc::SetMisyoukyakuZandaka,
        &ClGenkashokyakuProc::SetTekiyou,
    };
    for (FieldStep step : kSteps) {
        try {
            (this->*step)(rec, line, data);
        } catch (int) {
            // A figure beyond the range of ClFixDec has no text; the
            // field keeps what it held and the other fields go on.
        }
    }
}

// Figures -------------------------------------------------------------------

ClFixDec ClGenkashokyakuProc::CalcGuaranteeAmount(const StSISANREC& rec, int nFraction) {
    int nLife = asset::Life(rec);
    // The tables have no rate outside the lives 1 to 101.
    if (nLife < 1 || nLife > GUARANTEE_TABLE_SIZE) return ClFixDec();
    const ClFixDec* pTable = asset::Method(rec) == asset::kMethodDeclining200 ? GuaranteeTable200 : GuaranteeTable250;
    ClFixDec amount = AcquisitionBase(rec) * pTable[nLife - 1] / Yen(10000);
    amount.Round(static_cast<short>(nFraction), 0);
    return amount;
}

ClFixDec ClGenkashokyakuProc::CalcPreAdjustment(const StSISANREC& rec, long lPeriodStart, int nFraction) {
    ClFixDec base = asset::Opening(rec);
    if (asset::OpeningCount(rec) == 0) {
        base = AcquisitionBase(rec);
        if (asset::DisposedBefore(rec, lPeriodStart)) base = ClFixDec();
    }
    int nRate = asset::Rate(rec);
    if (nRate == 0) return ClFixDec();
    ClFixDec amount = base * nRate / 1000.0;
    amount.Round(static_cast<short>(nFraction), 0);
    return amount;
}

int ClGenkashokyakuProc::IsSwitchedToRevised(const StSISANREC& rec, const StDATAINFO& data) {
    short nMode = FractionMode(data);
    return CalcPreAdjustment(rec, PeriodStart(), nMode) < CalcGuaranteeAmount(rec, nMode);
}

// Field steps ---------------------------------------------------------------

void ClGenkashokyakuProc::SetSisanmei(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO&) {
    if (IsSmallAmount(rec)) {
        PutText(line.SISANMEI, kSmallAmountName);
        return;
    }
    // The field holds 32 bytes; a double-byte character that would straddle
    // its end is left out whole.
    TextField name = asset::Name(rec);
    PutText(line.SISANMEI, name.text, name.length);
}

void ClGenkashokyakuProc::SetSuuryo(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO&) {
    if (IsSmallAmount(rec)) return;
    TextField quantity = asset::Quantity(rec);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(quantity.text);
    size_t nLength = quantity.length;

    // The unit is the tail of non-digits, as long as the field allows and
    // starting on a whole character.
    size_t nUnit = nLength;
    while (nUnit > 0 && nLength - nUnit < kUnitLimit && !_ismbcdigit(p[nUnit - 1])) --nUnit;
    if (nUnit < nLength && _ismbstrail(p, p + nUnit)) ++nUnit;
    if (nUnit < nLength) PutText(line.SUURYOTANI, quantity.text + nUnit, nLength - nUnit);

    if (nUnit == 0) {
        PutText(line.SUURYO, "0.00");
        return;
    }
    char szNumber[sizeof(StKOTEISHISANINFO::szSuuryo) + 1];
    size_t n = 0;
    for (size_t i = 0; i < nUnit; ++i) {
        if (p[i] != ',' && p[i] != ' ') szNumber[n++] = static_cast<char>(p[i]);
    }
    szNumber[n] = '\0';
    ClFixDec value(std::atof(szNumber));
    value.Round(0, kTwoDecimals);
    // Nine digits give twelve characters, which fill the field: their
    // terminator falls on the first byte of SUURYOTANI, harmless while no
    // unit is there (a text of nine digits has none).  With a unit the
    // number would cut it, so it is left out instead.
    if (line.SUURYOTANI[0] == '\0') {
        PutNumberSpilling(line.SUURYO, line.SUURYOTANI, "%.2f", value.ToDouble());
        return;
    }
    PutNumber(line.SUURYO, "%.2f", value.ToDouble());
}

void ClGenkashokyakuProc::SetSyutokuNengetu(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO&) {
    long lDate = asset::AcquisitionDate(rec);
    char szName[sizeof(StGENGOINFO::szName)] = {};
    int nYear = 0;
    CmnProcHpr helper(0);
    if (helper.GetGengoName(lDate, szName, &nYear) == 0) {
        PutText(line.SYUTOKUNENGETU_GENGO, szName);
    } else {
        nYear = 0;
    }
    PutInteger(line.SYUTOKUNENGETU_NEN, nYear, 2);
    if (!IsSmallAmount(rec)) PutInteger(line.SYUTOKUNENGETU_TUKI, (lDate % 10000) / 100, 2);
}

void ClGenkashokyakuProc::SetSyutokuKingaku(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO&) {
    if (IsSmallAmount(rec)) {
        AddSmallAmountShare(rec, line.SYUTOKUKINGAKU);
        return;
    }
    PutMoney(line.SYUTOKUKINGAKU, asset::Cost(rec));
}

void ClGenkashokyakuProc::SetSyoukyakuHosyougaku(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data) {
    if (!asset::IsDeclining(asset::Method(rec))) return;
    PutMoney(line.SYOUKYAKUHOSYOUGAKU, CalcGuaranteeAmount(rec, FractionMode(data)));
}

void ClGenkashokyakuProc::SetKisyuTyoubokakaku(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO&) {
    if (IsSmallAmount(rec)) return;
    PutMoney(line.KISYUTYOUBOKAKAKU, asset::Opening(rec));
}

void ClGenkashokyakuProc::SetSyoukyakuKisokingaku(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data) {
    int nMethod = asset::Method(rec);
    if (nMethod == asset::kMethodSmallAmount) return;

    if (IsEqualInstalment(rec)) {
        ClFixDec basis;
        if ((nMethod == 2 || nMethod == 6) && asset::Kind(rec) == asset::kKindOwnBasis) {
            if (asset::BasisIsAmount(rec) == 0) {
                ClFixDec percent = asset::BasisValue(rec) / 100.0;
                percent.Round(kRoundDown, kTwoDecimals);
                basis = AcquisitionBase(rec) * percent;
                basis.Round(kRoundDown, kWholeYen);
            } else {
                basis = asset::BasisValue(rec);
            }
            ClFixDec cap = Yen(100000);
            if (basis > cap) basis = cap;
        } else {
            basis = AcquisitionBase(rec) * ClFixDec(0.05);
            basis.Round(kRoundDown, kWholeYen);
        }
        PutMoney(line.SYOUKYAKUKISOKINGAKU, basis);
        return;
    }
    if (asset::IsDeclining(nMethod) && IsSwitchedToRevised(rec, data) && HasOpeningAboveOneYen(rec)) {
        PutMoney(line.SYOUKYAKUKISOKINGAKU, asset::Revised(rec));
        return;
    }
    PutMoney(line.SYOUKYAKUKISOKINGAKU, asset::PlatformBasis(rec));
}

void ClGenkashokyakuProc::SetSyoukyakuHouhou(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO&) {
    // The report's method codes, by the platform's method code 1..8.
    static const char* const kReportCodes[] = {"1", "2", "4", "3", "1", "2", "6", "1"};
    int nMethod = asset::Method(rec);
    PutText(line.SYOUKYAKUHOUHOU, (nMethod >= 1 && nMethod <= 8) ? kReportCodes[nMethod - 1] : "6");
    if (nMethod == asset::kMethodSmallAmount) PutText(line.SYOUKYAKUMEI, kSmallAmountMethodName);
}

// The transitional measure of the 250% method for assets acquired in the
// last months of 2012.
void ClGenkashokyakuProc::SetKeikasoti(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO&) {
    long lDate = asset::AcquisitionDate(rec);
    if (asset::Method(rec) == asset::kMethodDeclining250 && lDate >= 20120401 && lDate <= 20121231)
        PutText(line.KEIKASOTI, "1");
}

void ClGenkashokyakuProc::SetTaiyounensu(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO&) {
    if (IsSmallAmount(rec) || IsEqualInstalment(rec)) return;
    PutInteger(line.TAIYOUNENSU, asset::Life(rec), 1);
}

void ClGenkashokyakuProc::SetSyoukyakuritu(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO&) {
    int nMethod = asset::Method(rec);
    if (nMethod == asset::kMethodOneThird) {
        PutText(line.SYOUKYAKURITU, "1/3");
        return;
    }
    if (nMethod == asset::kMethodSmallAmount || IsEqualInstalment(rec)) return;
    ClFixDec rate(asset::Rate(rec) * 0.001);
    PutNumber(line.SYOUKYAKURITU, "%.3f", rate.ToDouble());
}

// The revised rate is not part of this schedule.
void ClGenkashokyakuProc::SetKaiteiSyoukyakuritu(const StSISANREC&, StSISANDATA&, const StDATAINFO&) {}

void ClGenkashokyakuProc::SetKaiteiSyutokukagaku(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data) {
    if (!asset::IsDeclining(asset::Method(rec))) return;
    if (IsSwitchedToRevised(rec, data)) PutMoney(line.KAITEISYUTOKUKAGAKU, asset::Revised(rec));
}

void ClGenkashokyakuProc::SetSyoukyakukikan(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO&) {
    if (IsSmallAmount(rec)) return;
    PutInteger(line.SYOUKYAKUKIKAN, asset::Months(rec), 1);
}

void ClGenkashokyakuProc::SetChouseimaeSyoukyakugaku(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data) {
    if (!asset::IsDeclining(asset::Method(rec))) return;
    PutMoney(line.CHOUSEIMAESYOUKYAKUGAKU, CalcPreAdjustment(rec, PeriodStart(), FractionMode(data)));
}

void ClGenkashokyakuProc::SetFutuuSyoukyakuhi(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO&) {
    if (IsSmallAmount(rec)) return;
    PutMoney(line.FUTUUSYOUKYAKUHI, asset::Ordinary(rec));
}

void ClGenkashokyakuProc::SetWarimasiSyoukyakuhi(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO&) {
    if (IsSmallAmount(rec)) return;
    PutMoney(line.WARIMASISYOUKYAKUHI, asset::Additional2(rec) + asset::Additional1(rec));
}

void ClGenkashokyakuProc::SetJigyousenyuWariai(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO&) {
    if (IsSmallAmount(rec)) return;
    ClFixDec percent = Yen(asset::BusinessRatio(rec)) / Yen(100);
    PutNumber(line.JIGYOUSENYUWARIAI, "%.1f", percent.ToDouble());
}

void ClGenkashokyakuProc::SetHituyoukeihiSannyuugaku(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO&) {
    if (IsSmallAmount(rec)) {
        AddSmallAmountShare(rec, line.HITUYOUKEIHISANNYUUGAKU);
        return;
    }
    PutMoney(line.HITUYOUKEIHISANNYUUGAKU, asset::Expenses(rec));
}

void ClGenkashokyakuProc::SetMisyoukyakuZandaka(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO&) {
    if (IsSmallAmount(rec)) return;
    PutMoney(line.MISYOUKYAKUZANDAKA, asset::Balance(rec));
}

void ClGenkashokyakuProc::SetTekiyou(const StSISANREC& rec, StSISANDATA& line, const StDATAINFO& data) {
    if (IsSmallAmount(rec)) {
        PutText(line.TEKIYOU_JYOUDAN, kSmallAmountUpper);
        PutText(line.TEKIYOU_GEDAN, kSmallAmountLower);
        return;
    }

    // The user's own remarks stand alone: 20 bytes above, the rest below
    // (what the lower line cannot hold is left out).
    TextField remarks = asset::Remarks(rec);
    if (remarks.length > 0) {
        size_t nUpper = FitLength(remarks.text, remarks.length, kUpperRemarksLimit);
        PutText(line.TEKIYOU_JYOUDAN, remarks.text, nUpper);
        PutText(line.TEKIYOU_GEDAN, remarks.text + nUpper, remarks.length - nUpper);
        return;
    }

    const char* pszRemark = nullptr;
    if (IsEqualInstalment(rec)) pszRemark = kRemarkEqual;
    if (asset::IsDeclining(asset::Method(rec)) && HasOpeningAboveOneYen(rec) && IsSwitchedToRevised(rec, data) &&
        asset::Ordinary(rec) > ClFixDec())
        pszRemark = kRemarkRevised;
    if (pszRemark != nullptr) PutText(line.TEKIYOU_JYOUDAN, pszRemark);
}
