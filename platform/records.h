// The accounting platform's records, byte for byte.
//
// Records are byte-packed: a 64-bit amount may start at an odd offset.  Only
// the fields the linkage reads are named; the rest is the platform's own.
// Amounts count ten-thousandths of a yen; dates are YYYYMMDD numbers.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

// One company data set (ClSetData::WalkDat).
struct StDATAINFO {
    char szDataID[16];  // 0   data ID text
    int32_t nDataNo;    // 16  data number
    char rsv20[4];
    char szJigyoName[260];  // 24  business (office) name
    int32_t nKikanFrom;     // 284 first day of the accounting period
    int32_t nKikanTo;       // 288 last day
    char rsv292[8];
    int32_t nGenkaFlag;  // 300 non-zero: keeps manufacturing costs
    char rsv304[22];
    int16_t nDataKind;  // 326 99 = past-results data
    char rsv328[619];
    uint8_t nJigyoKubun;  // 947 1 general, 2 real estate, 3 both
    char rsv948[284];
    uint8_t nHasuuShokyaku;  // 1232 0 half up, 1 up, 2 down
    char rsv1233[272];
};

// One era (ClSetGengo::Walk).
struct StGENGOINFO {
    int32_t nGengoNo;    // 0   platform's own number
    int32_t nStartDate;  // 4   first day of the era
    char szName[16];     // 8   era name
};

// Asset master (ClRuleGenkashokyaku::Move).
struct StKOTEISHISANINFO {
    char rsv0[48];
    int32_t nShisanKind;  // 48  asset kind code (11 excluded, 10 see basis)
    char szName[193];     // 52  asset name
    char szSuuryo[9];     // 245 quantity with unit, e.g. "10台"
    char szTekiyo[82];    // 254 remarks
    int16_t nJyotoKubun;  // 336 disposal status (4, 5: left the business)
    char rsv338[18];
    int32_t nShutokuDate;  // 356 acquisition date
    char rsv360[8];
    int64_t llShutokuKingaku;  // 368 acquisition cost
    int64_t llKojoKingaku;     // 376 deduction from the acquisition cost
    int64_t llKishuBoka;       // 384 opening book value
    int16_t nShokyakuHouhou;   // 392 method code 1..8
    int16_t nTaiyouNensu;      // 394 useful life in years
    int32_t nShokyakuRitsu;    // 396 rate in thousandths
    char rsv400[4];
    uint8_t nKisoFlag;  // 404 non-zero: 408 is an amount, else a percentage
    char rsv405[3];
    int64_t llKisoValue;  // 408 amount or percentage for the equal-instalment basis
    char rsv416[10];
    int16_t nJigyoWariai;  // 426 business-use ratio, hundredths of a percent
    char rsv428[2];
    int16_t nShokyakuTsuki;  // 430 months depreciated in the year
    char rsv432[16];
    int64_t llShokyakuKiso;  // 448 depreciation basis
    char rsv456[24];
    int64_t llMishokyakuZan;  // 480 undepreciated balance
    int32_t nJyotoDate;       // 488 date of the disposal
    char rsv492[36];
    int16_t nJigyoKubun;  // 528 1 general use, 2 real-estate use
    char rsv530[4];
    uint8_t nKintoFlag;  // 534 non-zero: equal instalments
    char rsv535[2];
    int64_t llKaiteiShutoku;  // 537 revised acquisition value
    char rsv545[3];
};

// The asset's figures for the year.
struct StKOTEINENINFO {
    char rsv0[40];
    int64_t llFutsuShokyaku;  // 40  ordinary depreciation
    int64_t llWarimashi1;     // 48  first additional depreciation
    int64_t llWarimashi2;     // 56  second additional depreciation
    int64_t llHitsuyoKeihi;   // 64  amount included in necessary expenses
    char rsv72[888];
};

// The asset's monthly figures; the linkage never reads them.
struct StKOTEITSUKIINFO {
    int64_t llTsuki[12];  // 0   the platform's monthly depreciation
    char rsv96[1424];
};

// Search conditions of MoveReady; the linkage passes none.
struct StFINDINFO {
    char rsv0[64];
};

#pragma pack(pop)

static_assert(sizeof(StDATAINFO) == 1505);
static_assert(offsetof(StDATAINFO, nDataNo) == 16);
static_assert(offsetof(StDATAINFO, szJigyoName) == 24);
static_assert(offsetof(StDATAINFO, nKikanFrom) == 284);
static_assert(offsetof(StDATAINFO, nKikanTo) == 288);
static_assert(offsetof(StDATAINFO, nGenkaFlag) == 300);
static_assert(offsetof(StDATAINFO, nDataKind) == 326);
static_assert(offsetof(StDATAINFO, nJigyoKubun) == 947);
static_assert(offsetof(StDATAINFO, nHasuuShokyaku) == 1232);

static_assert(sizeof(StGENGOINFO) == 24);
static_assert(offsetof(StGENGOINFO, nStartDate) == 4);
static_assert(offsetof(StGENGOINFO, szName) == 8);

static_assert(sizeof(StKOTEISHISANINFO) == 548);
static_assert(offsetof(StKOTEISHISANINFO, nShisanKind) == 48);
static_assert(offsetof(StKOTEISHISANINFO, szName) == 52);
static_assert(offsetof(StKOTEISHISANINFO, szSuuryo) == 245);
static_assert(offsetof(StKOTEISHISANINFO, szTekiyo) == 254);
static_assert(offsetof(StKOTEISHISANINFO, nJyotoKubun) == 336);
static_assert(offsetof(StKOTEISHISANINFO, nShutokuDate) == 356);
static_assert(offsetof(StKOTEISHISANINFO, llShutokuKingaku) == 368);
static_assert(offsetof(StKOTEISHISANINFO, llKojoKingaku) == 376);
static_assert(offsetof(StKOTEISHISANINFO, llKishuBoka) == 384);
static_assert(offsetof(StKOTEISHISANINFO, nShokyakuHouhou) == 392);
static_assert(offsetof(StKOTEISHISANINFO, nTaiyouNensu) == 394);
static_assert(offsetof(StKOTEISHISANINFO, nShokyakuRitsu) == 396);
static_assert(offsetof(StKOTEISHISANINFO, nKisoFlag) == 404);
static_assert(offsetof(StKOTEISHISANINFO, llKisoValue) == 408);
static_assert(offsetof(StKOTEISHISANINFO, nJigyoWariai) == 426);
static_assert(offsetof(StKOTEISHISANINFO, nShokyakuTsuki) == 430);
static_assert(offsetof(StKOTEISHISANINFO, llShokyakuKiso) == 448);
static_assert(offsetof(StKOTEISHISANINFO, llMishokyakuZan) == 480);
static_assert(offsetof(StKOTEISHISANINFO, nJyotoDate) == 488);
static_assert(offsetof(StKOTEISHISANINFO, nJigyoKubun) == 528);
static_assert(offsetof(StKOTEISHISANINFO, nKintoFlag) == 534);
static_assert(offsetof(StKOTEISHISANINFO, llKaiteiShutoku) == 537);

static_assert(sizeof(StKOTEINENINFO) == 960);
static_assert(offsetof(StKOTEINENINFO, llFutsuShokyaku) == 40);
static_assert(offsetof(StKOTEINENINFO, llWarimashi1) == 48);
static_assert(offsetof(StKOTEINENINFO, llWarimashi2) == 56);
static_assert(offsetof(StKOTEINENINFO, llHitsuyoKeihi) == 64);
static_assert(sizeof(StKOTEITSUKIINFO) == 1520);
