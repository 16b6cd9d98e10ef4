// Typed access to the fields of a kept asset, at the platform's offsets.
//
// A StSISANREC is a byte copy of two packed platform records, so every read
// goes through memcpy at the offset the platform record declares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "decimal/ClFixDec.h"
#include "deprec/SisanRecords.h"
#include "platform/records.h"

namespace asset {

#define ASSET_MASTER_OFFSET(field) offsetof(StKOTEISHISANINFO, field)
#define ASSET_YEAR_OFFSET(field) (SISANREC_YEAR_OFFSET + offsetof(StKOTEINENINFO, field))

// Method codes with a meaning of their own.
constexpr int kMethodOneThird = 4;      // shown with the rate "1/3"
constexpr int kMethodDeclining250 = 5;  // declining balance with a guarantee amount
constexpr int kMethodSmallAmount = 7;   // small-amount depreciable asset
constexpr int kMethodDeclining200 = 8;

constexpr int kKindExcluded = 11;
constexpr int kKindOwnBasis = 10;

inline int32_t Kind(const StSISANREC& r) { return SisanField<int32_t>(r, ASSET_MASTER_OFFSET(nShisanKind)); }
inline int16_t DisposalStatus(const StSISANREC& r) { return SisanField<int16_t>(r, ASSET_MASTER_OFFSET(nJyotoKubun)); }
inline int32_t DisposalDate(const StSISANREC& r) { return SisanField<int32_t>(r, ASSET_MASTER_OFFSET(nJyotoDate)); }
inline int32_t AcquisitionDate(const StSISANREC& r) {
    return SisanField<int32_t>(r, ASSET_MASTER_OFFSET(nShutokuDate));
}
inline int16_t Method(const StSISANREC& r) { return SisanField<int16_t>(r, ASSET_MASTER_OFFSET(nShokyakuHouhou)); }
inline int16_t Life(const StSISANREC& r) { return SisanField<int16_t>(r, ASSET_MASTER_OFFSET(nTaiyouNensu)); }
inline int32_t Rate(const StSISANREC& r) { return SisanField<int32_t>(r, ASSET_MASTER_OFFSET(nShokyakuRitsu)); }
inline uint8_t BasisIsAmount(const StSISANREC& r) { return SisanField<uint8_t>(r, ASSET_MASTER_OFFSET(nKisoFlag)); }
inline int16_t BusinessRatio(const StSISANREC& r) { return SisanField<int16_t>(r, ASSET_MASTER_OFFSET(nJigyoWariai)); }
inline int16_t Months(const StSISANREC& r) { return SisanField<int16_t>(r, ASSET_MASTER_OFFSET(nShokyakuTsuki)); }
inline int16_t Category(const StSISANREC& r) { return SisanField<int16_t>(r, ASSET_MASTER_OFFSET(nJigyoKubun)); }
inline uint8_t EqualFlag(const StSISANREC& r) { return SisanField<uint8_t>(r, ASSET_MASTER_OFFSET(nKintoFlag)); }

// Amounts, as ClFixDec values of their counts of ten-thousandths.
inline ClFixDec Amount(const StSISANREC& r, size_t offset) { return ClFixDec(SisanField<int64_t>(r, offset)); }
inline ClFixDec Cost(const StSISANREC& r) { return Amount(r, ASSET_MASTER_OFFSET(llShutokuKingaku)); }
inline ClFixDec Deduction(const StSISANREC& r) { return Amount(r, ASSET_MASTER_OFFSET(llKojoKingaku)); }
inline ClFixDec Opening(const StSISANREC& r) { return Amount(r, ASSET_MASTER_OFFSET(llKishuBoka)); }
inline ClFixDec BasisValue(const StSISANREC& r) { return Amount(r, ASSET_MASTER_OFFSET(llKisoValue)); }
inline ClFixDec PlatformBasis(const StSISANREC& r) { return Amount(r, ASSET_MASTER_OFFSET(llShokyakuKiso)); }
inline ClFixDec Balance(const StSISANREC& r) { return Amount(r, ASSET_MASTER_OFFSET(llMishokyakuZan)); }
inline ClFixDec Revised(const StSISANREC& r) { return Amount(r, ASSET_MASTER_OFFSET(llKaiteiShutoku)); }
inline ClFixDec Ordinary(const StSISANREC& r) { return Amount(r, ASSET_YEAR_OFFSET(llFutsuShokyaku)); }
inline ClFixDec Additional1(const StSISANREC& r) { return Amount(r, ASSET_YEAR_OFFSET(llWarimashi1)); }
inline ClFixDec Additional2(const StSISANREC& r) { return Amount(r, ASSET_YEAR_OFFSET(llWarimashi2)); }
inline ClFixDec Expenses(const StSISANREC& r) { return Amount(r, ASSET_YEAR_OFFSET(llHitsuyoKeihi)); }
inline int64_t OpeningCount(const StSISANREC& r) { return SisanField<int64_t>(r, ASSET_MASTER_OFFSET(llKishuBoka)); }

// Texts: the platform terminates them, but a copy is never trusted to
// reach past its own field.
struct TextField {
    const char* text;
    size_t length;
};
inline TextField Text(const StSISANREC& r, size_t offset, size_t width) {
    const char* p = SisanText(r, offset);
    return {p, strnlen(p, width)};
}
inline TextField Name(const StSISANREC& r) {
    return Text(r, ASSET_MASTER_OFFSET(szName), sizeof(StKOTEISHISANINFO::szName));
}
inline TextField Quantity(const StSISANREC& r) {
    return Text(r, ASSET_MASTER_OFFSET(szSuuryo), sizeof(StKOTEISHISANINFO::szSuuryo));
}
inline TextField Remarks(const StSISANREC& r) {
    return Text(r, ASSET_MASTER_OFFSET(szTekiyo), sizeof(StKOTEISHISANINFO::szTekiyo));
}

// Disposal statuses 4 and 5 mark an asset that has left the business.
inline bool DisposedBefore(const StSISANREC& r, long lDate) {
    int16_t nStatus = DisposalStatus(r);
    return (nStatus == 4 || nStatus == 5) && DisposalDate(r) < lDate;
}

inline bool IsDeclining(int nMethod) { return nMethod == kMethodDeclining250 || nMethod == kMethodDeclining200; }

}  // namespace asset

#undef ASSET_MASTER_OFFSET
#undef ASSET_YEAR_OFFSET
